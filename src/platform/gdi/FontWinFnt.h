#pragma once

#include <QByteArray>
#include <cstddef>
#include <optional>
#include <span>

namespace lumeria::gdi {

// Windows bitmap fonts, a bare .FNT or a .FON (a 16-bit NE executable
// whose font resources are FNTs), made drawable by the font database.
//
// FreeType reads them but leaves their character map without an encoding,
// and the text path finds no glyph through such a map. Marked with the
// Macintosh charset, the map is labelled Apple Roman and still looked up
// by raw code, which for an ANSI font's codes is the Unicode character
// save for 0x80-0x9F. Returns the bytes with every ANSI raster font in
// them so marked; nothing when they hold none, or are neither format
// (a 32-bit PE .FON is not read).
std::optional<QByteArray> drawableBitmapFont(std::span<const std::byte> bytes);

} // namespace lumeria::gdi
