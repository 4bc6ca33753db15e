#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace lumeria {

// An 8-bit Windows code page. Publications are ANSI text written on Windows;
// they are decoded once at the boundary (parser, text sources, file commands)
// and encoded back the same way when scripts write files.
class Codepage {
public:
    static const Codepage& windows1252();
    // Windows-874 and 1250 to 1258, by number or by a name such as
    // "windows-1251", "cp1251", "win1251" or "1251" (letter case ignored).
    // Nothing for any other.
    static const Codepage* byNumber(int number);
    static const Codepage* byName(const QString& name);
    static QStringList names();

    QString decode(std::string_view bytes) const;
    QString decode(const QByteArray& bytes) const { return decode(std::string_view(bytes.constData(), bytes.size())); }
    // Characters the code page cannot represent become '?', as Windows'
    // best-fit conversion does for unmapped characters.
    QByteArray encode(QStringView text) const;

    QChar toUnicode(unsigned char byte) const { return QChar(m_high[byte]); }
    // The byte that decodes to a character, if any does.
    std::optional<unsigned char> fromUnicode(QChar c) const;
    QString name() const { return m_name; }

    int number() const { return m_number; }

private:
    // Every code page, built the first time one is asked for.
    static const std::vector<Codepage>& all();
    static Codepage fromTable(int number, const std::array<char16_t, 128>& upperHalf);
    Codepage(QString name, const std::array<char16_t, 128>& upperHalf);

    QString m_name;
    int m_number = 0;
    std::array<char16_t, 256> m_high{};
    QHash<char16_t, char> m_reverse;
};

// The code page publication text is decoded with for this run (Windows-1252
// unless the command line chose another).
const Codepage& activeCodepage();
void setActiveCodepage(const Codepage& codepage);

} // namespace lumeria
