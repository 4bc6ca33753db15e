#include "platform/Codepage.h"

#include <QHash>

namespace lumeria {

namespace {

// 0x80..0x9F of Windows-1252; the five bytes Windows leaves undefined map to
// the C1 control of the same value, as MultiByteToWideChar does.
constexpr std::array<char16_t, 32> k1252Controls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

const Codepage* g_active = nullptr;

} // namespace

Codepage::Codepage(QString name, const std::array<char16_t, 32>& controlRange) : m_name(std::move(name))
{
    for (int i = 0; i < 256; ++i)
        m_high[i] = static_cast<char16_t>(i);
    for (int i = 0; i < 32; ++i)
        m_high[0x80 + i] = controlRange[i];
    for (int i = 255; i >= 0; --i)
        m_reverse.insert(m_high[i], static_cast<char>(i));
}

const Codepage& Codepage::windows1252()
{
    static const Codepage cp(QStringLiteral("windows-1252"), k1252Controls);
    return cp;
}

QString Codepage::decode(std::string_view bytes) const
{
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* dst = out.data();
    for (size_t i = 0; i < bytes.size(); ++i)
        dst[i] = QChar(m_high[static_cast<unsigned char>(bytes[i])]);
    return out;
}

QByteArray Codepage::encode(QStringView text) const
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        auto it = m_reverse.constFind(c.unicode());
        out.append(it == m_reverse.constEnd() ? '?' : *it);
    }
    return out;
}

const Codepage& activeCodepage()
{
    return g_active ? *g_active : Codepage::windows1252();
}

void setActiveCodepage(const Codepage& codepage)
{
    g_active = &codepage;
}

} // namespace lumeria
