#include "platform/Codepage.h"

#include "platform/CodepageTables.h"

#include <QHash>

#include <vector>

namespace lumeria {

namespace {

const Codepage* g_active = nullptr;

} // namespace

Codepage::Codepage(QString name, const std::array<char16_t, 128>& upperHalf) : m_name(std::move(name))
{
    for (int i = 0; i < 0x80; ++i)
        m_high[i] = static_cast<char16_t>(i);
    for (int i = 0; i < 0x80; ++i)
        m_high[0x80 + i] = upperHalf[i];
    // The lowest byte wins where two bytes decode alike.
    for (int i = 255; i >= 0; --i)
        m_reverse.insert(m_high[i], static_cast<char>(i));
}

const Codepage& Codepage::windows1252()
{
    return *byNumber(1252);
}

const Codepage* Codepage::byNumber(int number)
{
    for (const Codepage& cp : all()) {
        if (cp.m_number == number)
            return &cp;
    }
    return nullptr;
}

const Codepage* Codepage::byName(const QString& name)
{
    QString n = name.trimmed().toLower();
    for (const char* prefix : {"windows-", "windows", "win", "cp"}) {
        if (n.startsWith(QLatin1String(prefix))) {
            n = n.mid(int(qstrlen(prefix)));
            break;
        }
    }
    bool ok = false;
    const int number = n.toInt(&ok);
    return ok ? byNumber(number) : nullptr;
}

QStringList Codepage::names()
{
    QStringList out;
    for (const Codepage& cp : all())
        out << cp.name();
    return out;
}

const std::vector<Codepage>& Codepage::all()
{
    static const std::vector<Codepage> pages = [] {
        std::vector<Codepage> list;
        for (const codepages::NamedTable& table : codepages::kTables)
            list.push_back(fromTable(table.number, *table.high));
        return list;
    }();
    return pages;
}

Codepage Codepage::fromTable(int number, const std::array<char16_t, 128>& upperHalf)
{
    Codepage cp(QStringLiteral("windows-%1").arg(number), upperHalf);
    cp.m_number = number;
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
    QByteArray out(text.size(), Qt::Uninitialized);
    char* dst = out.data();
    for (QChar c : text) {
        // Every code page here keeps ASCII as it is, and most text is ASCII.
        if (c.unicode() < 0x80) {
            *dst++ = char(c.unicode());
            continue;
        }
        *dst++ = char(fromUnicode(c).value_or('?'));
    }
    return out;
}

std::optional<unsigned char> Codepage::fromUnicode(QChar c) const
{
    if (c.unicode() < 0x80)
        return static_cast<unsigned char>(c.unicode());
    const auto it = m_reverse.constFind(c.unicode());
    if (it == m_reverse.constEnd())
        return std::nullopt;
    return static_cast<unsigned char>(*it);
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
