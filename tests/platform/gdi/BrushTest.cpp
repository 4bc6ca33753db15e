#include "GdiTestSupport.h"

#include "platform/gdi/HatchPatterns.h"

#include <gtest/gtest.h>

namespace lumeria::gdi {
namespace {

using namespace test;

TEST(BrushFill, SolidFillRectCoversExactlyTheRectWhateverTheRop2)
{
    Surface s(6, 5);
    Canvas c(s);
    c.setRop2(Rop2::Nop);
    c.fillRect({1, 1, 4, 3}, Brush::solid(kBlack));
    c.fillRect({5, 4, 5, 9}, Brush::solid(kBlack)); // empty
    EXPECT_EQ(picture(s), "......\n"
                          ".###..\n"
                          ".###..\n"
                          "......\n"
                          "......\n");
}

TEST(BrushFill, PatternZeroBitsTakeTheTextColourAndOneBitsTheBackground)
{
    Surface s(8, 2);
    Canvas c(s);
    c.setTextColour(kRed);
    c.setBackgroundColour(kBlue);
    c.fillRect({0, 0, 8, 2}, Brush::pattern({0xF0, 0x81, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(rowOf(s, 0, kBlue), "####....");
    EXPECT_EQ(rowOf(s, 0, kRed), "....####");
    EXPECT_EQ(rowOf(s, 1, kBlue), "#......#");
}

TEST(BrushFill, PatternIsAlignedToTheSurfaceOriginNotTheShape)
{
    // A diagonal pattern filled in two overlapping shapes at different
    // offsets (and through a canvas origin) must line up pixel for pixel.
    const std::array<uint8_t, 8> diagonal = {0x7F, 0xBF, 0xDF, 0xEF, 0xF7, 0xFB, 0xFD, 0xFE};
    Surface whole(16, 16);
    Canvas a(whole);
    a.setTextColour(kBlack);
    a.fillRect({0, 0, 16, 16}, Brush::pattern(diagonal));

    Surface pieces(16, 16);
    Canvas b(pieces);
    b.setTextColour(kBlack);
    b.fillRect({0, 0, 5, 16}, Brush::pattern(diagonal));
    b.setOrigin({3, 7});
    b.fillRect({2, -7, 13, 9}, Brush::pattern(diagonal));
    EXPECT_EQ(picture(pieces), picture(whole));
    EXPECT_EQ(whole.colourAt(0, 0), kBlack);
    EXPECT_EQ(whole.colourAt(9, 9), kBlack);
    EXPECT_EQ(whole.colourAt(1, 0), kWhite);
}

TEST(BrushFill, PatternsOfAnySizeRepeatFromTheBrushOriginInFillsAndBlits)
{
    // A 3 x 2 pattern: one set pixel at its top left. Laid from origin
    // (1, 1), the set pixels are where x - 1 and y - 1 are multiples of 3
    // and 2; a shape fill and a pattern blit
    // agree, and a fill through a canvas origin is still aligned to the
    // device, as the brush origin is.
    const Brush brush = Brush::monochromePattern(3, 2, {1, 0, 0, 0, 0, 0});
    const std::string expected = "........\n"
                                 ".#..#..#\n"
                                 "........\n"
                                 ".#..#..#\n"
                                 "........\n";
    for (int way = 0; way < 3; ++way) {
        Surface s(8, 5);
        Canvas c(s);
        c.setTextColour(kWhite);
        c.setBackgroundColour(kBlack);
        c.setBrushOrigin({1, 1});
        c.setBrush(brush);
        if (way == 0) {
            c.fillRect({0, 0, 8, 5}, brush);
        } else if (way == 1) {
            c.patBlt({0, 0, 8, 5}, kPatCopy);
        } else {
            c.setOrigin({-2, 3});
            c.fillRect({2, -3, 10, 2}, brush);
        }
        EXPECT_EQ(picture(s), expected) << way;
    }

    // A colour pattern wider than eight pixels is not cut to eight.
    std::vector<uint32_t> pixels(10, pixelFromColour(kWhite));
    pixels[9] = pixelFromColour(kRed);
    Surface wide(20, 1);
    Canvas w(wide);
    w.fillRect({0, 0, 20, 1}, Brush::colourPattern(10, 1, pixels));
    EXPECT_EQ(rowOf(wide, 0, kRed), ".........#.........#");

    // Sizes a brush cannot have make a black solid brush, not a crash.
    EXPECT_EQ(Brush::colourPattern(0, 4, {}).style, BrushStyle::Solid);
    EXPECT_EQ(Brush::monochromePattern(2, 2, {1, 0, 1}).style, BrushStyle::Solid);
    EXPECT_EQ(Brush::monochromePattern(Brush::kMaxPatternSide + 1, 1, {}).style, BrushStyle::Solid);
}

TEST(BrushFill, PatternPaintsBothColoursEvenInTransparentMode)
{
    Surface s(8, 1, kBlue);
    Canvas c(s);
    c.setBackgroundMode(BackgroundMode::Transparent);
    c.setBackgroundColour(kRed);
    c.setBrush(Brush::pattern({0x55, 0, 0, 0, 0, 0, 0, 0}));
    c.setPen(Pen::none());
    c.drawRectangle({0, 0, 9, 2});
    EXPECT_EQ(rowOf(s, 0, kBlack), "#.#.#.#.");
    EXPECT_EQ(rowOf(s, 0, kRed), ".#.#.#.#");
}

// A colour pattern keeps its own pixels, laid from the surface origin
// whichever way it is drawn: a shape's fill, fillRect or a pattern blit,
// and the DC's text and background colours do not touch it.
TEST(BrushFill, AColourPatternKeepsItsOwnPixelsInFillsAndBlits)
{
    Brush::Pixels pixels{};
    for (int i = 0; i < 64; ++i)
        pixels[size_t(i)] = pixelFromColour(rgb(i * 4, 255 - i * 4, (i % 3) * 100));
    const Brush brush = Brush::colourPattern(pixels);
    const auto expected = [&](int x, int y) { return colourFromPixel(pixels[size_t((y & 7) * 8 + (x & 7))]); };

    Surface shapes(16, 16);
    Canvas c(shapes);
    c.setTextColour(kRed);
    c.setBackgroundColour(kBlue);
    c.setBrush(brush);
    c.setPen(Pen::none());
    c.drawRectangle({1, 2, 12, 13});
    Surface filled(16, 16);
    Canvas f(filled);
    f.setOrigin({3, 5});
    f.fillRect({-3, -5, 13, 11}, brush);
    Surface blitted(16, 16);
    Canvas b(blitted);
    b.setBrush(brush);
    b.patBlt({0, 0, 16, 16}, kPatCopy);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            ASSERT_EQ(filled.colourAt(x, y), expected(x, y)) << x << "," << y;
            ASSERT_EQ(blitted.colourAt(x, y), expected(x, y)) << x << "," << y;
            const bool inside = x >= 1 && x < 11 && y >= 2 && y < 12; // no pen: one short
            ASSERT_EQ(shapes.colourAt(x, y), inside ? expected(x, y) : kWhite) << x << "," << y;
        }
    }
}

TEST(BrushFill, SeeThroughHatchIsAnAndPassThenAnXorPass)
{
    // How a transparent hatch is laid over a picture: the raw pattern ANDed
    // (ink black, background white) and then the coloured pattern XORed (ink
    // in the fill colour, background black).
    const auto hatch = hatchPattern(3);
    ASSERT_TRUE(hatch.has_value());
    EXPECT_FALSE(hatchPattern(1).has_value());
    EXPECT_FALSE(hatchPattern(49).has_value());
    Surface s(8, 2, kBlue);
    Canvas c(s);
    c.setPen(Pen::none());
    c.setBrush(Brush::pattern(*hatch));
    c.setTextColour(kBlack);
    c.setBackgroundColour(kWhite);
    c.setRop2(Rop2::MaskPen);
    c.drawRectangle({0, 0, 9, 3});
    c.setTextColour(kRed);
    c.setBackgroundColour(kBlack);
    c.setRop2(Rop2::XorPen);
    c.drawRectangle({0, 0, 9, 3});
    EXPECT_EQ(rowOf(s, 0, kRed), ".#.#.#.#");
    EXPECT_EQ(rowOf(s, 0, kBlue), "#.#.#.#.");
    EXPECT_EQ(rowOf(s, 1, kRed), "#.#.#.#.");
}

} // namespace
} // namespace lumeria::gdi
