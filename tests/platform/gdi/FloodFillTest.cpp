#include "GdiTestSupport.h"

#include <gtest/gtest.h>

namespace lumeria::gdi {
namespace {

using namespace test;

TEST(FloodFill, BorderModeStopsAtTheBorderColourAndFollowsOnlyFourNeighbours)
{
    Surface s(7, 6);
    Canvas c(s);
    c.setPen(Pen::solid(kBlack));
    c.setBrush(Brush::none());
    c.drawRectangle({1, 1, 6, 5});
    // A gap in the frame's corner touches the inside only diagonally and
    // does not let the fill out: only 4-connected pixels are reached.
    c.setPixel({5, 1}, kWhite);
    c.setBrush(Brush::solid(kRed));
    EXPECT_TRUE(c.floodFill({3, 3}, kBlack, FloodMode::Border));
    EXPECT_EQ(picture(s, kRed), ".......\n"
                                ".......\n"
                                "..###..\n"
                                "..###..\n"
                                ".......\n"
                                ".......\n");
    // Starting on the border colour fills nothing.
    EXPECT_FALSE(c.floodFill({1, 1}, kBlack, FloodMode::Border));
}

TEST(FloodFill, SurfaceModeNeverReadsBackWhatItPainted)
{
    // The brush paints the very colour being filled over, and then a
    // pattern half of that colour: either would run on for ever, or leave
    // holes, if the fill looked at its own pixels.
    for (const Brush& brush :
         {Brush::solid(kWhite), Brush::pattern({0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55})}) {
        Surface s(9, 9);
        Canvas c(s);
        c.setTextColour(kBlue);
        c.setBackgroundColour(kWhite);
        c.fillRect({4, 0, 5, 9}, Brush::solid(kBlack)); // a wall down the middle
        c.setBrush(brush);
        EXPECT_TRUE(c.floodFill({1, 1}, kWhite, FloodMode::Surface));
        EXPECT_EQ(countOf(s, kBlack), 9);
        // The right half was never reached.
        for (int y = 0; y < 9; ++y) {
            for (int x = 5; x < 9; ++x)
                EXPECT_EQ(s.colourAt(x, y), kWhite) << x << "," << y;
        }
        if (brush.style == BrushStyle::Pattern) {
            EXPECT_EQ(countOf(s, kBlue), 18);
        }
    }
}

TEST(FloodFill, TheClipBoundsTheFillAndLargeAreasNeedNoRecursion)
{
    // A serpentine corridor over a 2000 x 2000 surface: a million pixels on
    // a path far longer than any call stack would hold.
    constexpr int kSide = 2000;
    Surface s(kSide, kSide);
    Canvas c(s);
    for (int x = 2; x < kSide; x += 4) {
        const bool fromTop = (x / 4) % 2 == 0;
        c.fillRect({x, fromTop ? 0 : 2, x + 2, fromTop ? kSide - 2 : kSide}, Brush::solid(kBlack));
    }
    // The clip cuts the corridors of the right half across: the fill snakes
    // through the left half, down the first corridor of the right one as
    // far as the cut, and no further.
    DcState state = c.state();
    state.clip = Region(s.rect()).subtracted(Rect{1000, 1000, kSide, 1010});
    c.setState(state);
    c.setBrush(Brush::solid(kRed));
    EXPECT_TRUE(c.floodFill({0, 0}, kWhite, FloodMode::Surface));
    EXPECT_EQ(s.colourAt(996, 1999), kRed);
    EXPECT_EQ(s.colourAt(1000, 999), kRed);
    EXPECT_EQ(s.colourAt(1000, 1005), kWhite);
    EXPECT_EQ(s.colourAt(1000, 1010), kWhite);
    EXPECT_EQ(s.colourAt(kSide - 1, 0), kWhite);
    EXPECT_GT(countOf(s, kRed), 1000000);
    // Outside the clip there is no start.
    EXPECT_FALSE(c.floodFill({1004, 1005}, kWhite, FloodMode::Surface));
}

} // namespace
} // namespace lumeria::gdi
