// Windows bitmap fonts made drawable: which files are taken, and that
// nothing but the charset of their ANSI raster fonts changes.
#include "platform/gdi/FontWinFnt.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <cstdint>

namespace lumeria::gdi {
namespace {

QByteArray le(uint32_t v, int size)
{
    QByteArray out;
    for (int i = 0; i < size; ++i)
        out += char((v >> (8 * i)) & 0xFF);
    return out;
}

// The part of a FNT header the reader looks at, padded to a full one.
QByteArray fnt(uint16_t version = 0x300, uint16_t type = 0, uint8_t charset = 0)
{
    QByteArray h = le(version, 2) + QByteArray(64, '\x11') + le(type, 2) + QByteArray(17, '\x22') + char(charset);
    return h + QByteArray(148 - h.size(), '\x33');
}

// An NE executable with a table of resources (type, offset) in 16-byte units.
QByteArray ne(const std::vector<std::pair<uint16_t, int>>& resources, int tail, uint16_t shift = 4)
{
    QByteArray file = "MZ" + QByteArray(0x3A, '\0') + le(0x40, 4);
    QByteArray header = "NE" + QByteArray(0x22, '\0') + le(0x40, 2);
    header += QByteArray(0x40 - header.size(), '\0');
    QByteArray table = le(shift, 2);
    for (const auto& [type, offset] : resources)
        table += le(type, 2) + le(1, 2) + le(0, 4) + le(offset, 2) + le(16, 2) + le(0, 2) + le(0x8001, 2) + le(0, 4);
    table += le(0, 2);
    return file + header + table + QByteArray(tail, '\0');
}

std::span<const std::byte> bytesOf(const QByteArray& b)
{
    return {reinterpret_cast<const std::byte*>(b.constData()), size_t(b.size())};
}

TEST(FontWinFnt, AnAnsiRasterFntChangesOnlyItsCharset)
{
    for (const uint16_t version : {0x200, 0x300}) {
        const QByteArray font = fnt(version);
        const auto marked = drawableBitmapFont(bytesOf(font));
        ASSERT_TRUE(marked);
        QByteArray expected = font;
        expected[85] = char(77);
        EXPECT_EQ(*marked, expected);
    }
    // A header cut before its charset, a vector font, an OEM font and a
    // version no Windows wrote are not drawn.
    EXPECT_FALSE(drawableBitmapFont(bytesOf(fnt().left(85))));
    EXPECT_FALSE(drawableBitmapFont(bytesOf(fnt(0x300, 1))));
    EXPECT_FALSE(drawableBitmapFont(bytesOf(fnt(0x300, 0, 255))));
    EXPECT_FALSE(drawableBitmapFont(bytesOf(fnt(0x100))));
    EXPECT_FALSE(drawableBitmapFont({}));
}

TEST(FontWinFnt, AFonMarksEachAnsiFontResourceWithinTheFile)
{
    // Fonts at 0x100 and 0x200, a non-font resource at 0x300 that looks
    // like one, and an OEM font at 0x400.
    QByteArray file = ne({{0x8008, 0x10}, {0x8008, 0x20}, {0x8007, 0x30}, {0x8008, 0x40}}, 0);
    file += QByteArray(0x100 - file.size(), '\0');
    file += fnt() + QByteArray(0x100 - 148, '\0') + fnt(0x200) + QByteArray(0x100 - 148, '\0') + fnt() +
            QByteArray(0x100 - 148, '\0') + fnt(0x300, 0, 255);
    const auto marked = drawableBitmapFont(bytesOf(file));
    ASSERT_TRUE(marked);
    QByteArray expected = file;
    expected[0x100 + 85] = char(77);
    expected[0x200 + 85] = char(77);
    EXPECT_EQ(*marked, expected);

    // A font resource past the end, a resource table cut short, offsets in
    // units no 16-bit file had, and a 32-bit executable.
    EXPECT_FALSE(drawableBitmapFont(bytesOf(ne({{0x8008, 0x1000}}, 0))));
    EXPECT_FALSE(drawableBitmapFont(bytesOf(ne({{0x8008, 0x10}}, 0).left(0x8A))));
    QByteArray wideShift = ne({{0x8008, 0}}, 0, 16);
    EXPECT_FALSE(drawableBitmapFont(bytesOf(wideShift + fnt())));
    QByteArray pe = "MZ" + QByteArray(0x3A, '\0') + le(0x40, 4) + "PE" + QByteArray(0x100, '\0');
    EXPECT_FALSE(drawableBitmapFont(bytesOf(pe)));
}

} // namespace
} // namespace lumeria::gdi
