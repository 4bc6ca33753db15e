#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <array>
#include <string_view>

namespace lumeria {

// An 8-bit Windows code page. Publications are ANSI text written on Windows;
// they are decoded once at the boundary (parser, text sources, file commands)
// and encoded back the same way when scripts write files.
class Codepage {
public:
    static const Codepage& windows1252();

    QString decode(std::string_view bytes) const;
    QString decode(const QByteArray& bytes) const { return decode(std::string_view(bytes.constData(), bytes.size())); }
    // Characters the code page cannot represent become '?', as Windows'
    // best-fit conversion does for unmapped characters.
    QByteArray encode(QStringView text) const;

    QChar toUnicode(unsigned char byte) const { return QChar(m_high[byte]); }
    QString name() const { return m_name; }

private:
    Codepage(QString name, const std::array<char16_t, 32>& controlRange);

    QString m_name;
    std::array<char16_t, 256> m_high{};
    QHash<char16_t, char> m_reverse;
};

// The code page publication text is decoded with for this run (Windows-1252
// unless the command line chose another).
const Codepage& activeCodepage();
void setActiveCodepage(const Codepage& codepage);

} // namespace lumeria
