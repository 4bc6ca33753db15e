#include "platform/gdi/Canvas.h"
#include "platform/gdi/Surface.h"
#include "platform/image/IconDecoder.h"
#include "render/PictureBlit.h"

#include <gtest/gtest.h>

#include <QFile>

#include <span>

namespace lumeria {
namespace {

QByteArray iconData(const char* name)
{
    QFile f(QStringLiteral(LUMERIA_TEST_DATA "/icons/") + QLatin1String(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

DecodedPicture decoded(const QByteArray& file)
{
    auto d = decodeIcon(std::as_bytes(std::span(file.constData(), size_t(file.size()))));
    EXPECT_TRUE(d) << d.error();
    return d ? std::move(d).value() : DecodedPicture{};
}

// A 1-bit icon of 2 x 2 pixels, colour table black and white. Rows bottom
// first: XOR bits in the top two bits of the first byte, AND likewise.
QByteArray oneBitIcon(uint8_t xorBottom, uint8_t xorTop, uint8_t andBottom, uint8_t andTop)
{
    QByteArray dib;
    const auto u16 = [&](unsigned v) { dib.append(char(v & 0xFF)).append(char(v >> 8)); };
    const auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    u32(40), u32(2), u32(4), u16(1), u16(1);
    dib.append(QByteArray(24, '\0'));
    u32(0), u32(0x00FFFFFF);
    for (uint8_t row : {xorBottom, xorTop, andBottom, andTop})
        u32(row);
    QByteArray file;
    const auto f16 = [&](unsigned v) { file.append(char(v & 0xFF)).append(char(v >> 8)); };
    f16(0), f16(1), f16(1);
    file.append(char(2)).append(char(2)).append(QByteArray(2, '\0'));
    f16(1), f16(1);
    f16(unsigned(dib.size())), f16(0), f16(22), f16(0);
    return file + dib;
}

TEST(IconDrawing, TheMaskAndsTheBackgroundThenTheColoursXorIt)
{
    // Top row: AND 1 over white (inverts), AND 1 over black (leaves the
    // background); bottom row: AND 0 white, AND 0 black (opaque).
    const DecodedPicture icon = decoded(oneBitIcon(0x80, 0x80, 0x00, 0xC0));
    ASSERT_TRUE(icon.xorMasked);
    const gdi::ColorRef background = gdi::rgb(0x30, 0x60, 0x90);
    gdi::Surface surface(2, 2, background);
    gdi::Canvas canvas(surface);
    blitPicture(canvas, icon, gdi::Rect{0, 0, 2, 2}, PictureDrawing::Plain);
    EXPECT_EQ(surface.colourAt(0, 0), gdi::rgb(0xCF, 0x9F, 0x6F)) << "inverted";
    EXPECT_EQ(surface.colourAt(1, 0), background) << "see-through";
    EXPECT_EQ(surface.colourAt(0, 1), gdi::rgb(255, 255, 255));
    EXPECT_EQ(surface.colourAt(1, 1), gdi::rgb(0, 0, 0));
}

TEST(IconDrawing, RealIconsCombineTheirMasksWithWhatLiesBelow)
{
    const gdi::ColorRef background = gdi::rgb(0x20, 0x80, 0xE0);
    const gdi::ColorRef inverse = gdi::rgb(0xDF, 0x7F, 0x1F);

    // White masked pixels invert, and stretched the icon still does.
    const DecodedPicture inverting = decoded(iconData("bmp-24bpp-mask.ico"));
    for (int side : {32, 64}) {
        gdi::Surface surface(side, side, background);
        gdi::Canvas canvas(surface);
        blitPicture(canvas, inverting, gdi::Rect{0, 0, side, side}, PictureDrawing::Transparent);
        int inverted = 0, kept = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                inverted += surface.colourAt(x, y) == inverse;
                kept += surface.colourAt(x, y) == background;
            }
        EXPECT_EQ(inverted, 464 * side * side / (32 * 32)) << side;
        EXPECT_EQ(kept, 0) << side;
    }

    // Black masked pixels leave the background as it was.
    const DecodedPicture favicon = decoded(iconData("favicon.ico"));
    gdi::Surface surface(32, 32, background);
    gdi::Canvas canvas(surface);
    blitPicture(canvas, favicon, gdi::Rect{0, 0, 32, 32}, PictureDrawing::Plain);
    int kept = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            kept += surface.colourAt(x, y) == background;
    EXPECT_EQ(kept, 791);
}

} // namespace
} // namespace lumeria
