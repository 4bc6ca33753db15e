// The symbol fonts' characters as the Unicode characters of the same
// pictures, drawn with a face that has them all.
#pragma once

#include <QString>
#include <QStringView>

#include <cstddef>
#include <span>

namespace lumeria::gdi {

// Fonts whose characters are pictures of their own rather than letters; a
// byte in one of them means the picture at that place in the font.
enum class SymbolSet { None, Symbol, Wingdings, Wingdings2, Wingdings3 };

// The set a face name stands for, case and surrounding spaces ignored.
SymbolSet symbolSetOf(QStringView face);

// The installed face that holds every character the sets map to.
QString symbolFamily();

// Bytes in a symbol font as the characters its glyphs show. Bytes below
// 0x20 and positions a table leaves open keep their own value.
QString symbolText(SymbolSet set, std::span<const std::byte> bytes);

// The same for text already decoded from the publication's code page: each
// character is taken back to the byte it came from, and Windows' private
// copies of the symbol fonts' bytes (U+F000 to U+F0FF) to theirs.
// Characters no byte stands for are kept.
QString symbolText(SymbolSet set, QStringView text);

} // namespace lumeria::gdi
