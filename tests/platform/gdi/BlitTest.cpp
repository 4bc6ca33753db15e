#include "GdiTestSupport.h"

#include <gtest/gtest.h>

namespace lumeria::gdi {
namespace {

using namespace test;

// A source whose every pixel is distinct: red = x, green = y.
Surface gradient(int w, int h)
{
    Surface s(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            s.setPixel(x, y, pixelFromColour(rgb(x, y, 200)));
    }
    return s;
}

TEST(BlitCopy, BitBltCopiesTheSourceRectToTheDestination)
{
    const Surface source = gradient(8, 8);
    Surface s(8, 8);
    Canvas c(s);
    c.bitBlt(Rect::fromSize(1, 2, 3, 2), source.view(), {4, 5});
    EXPECT_EQ(s.colourAt(1, 2), rgb(4, 5, 200));
    EXPECT_EQ(s.colourAt(3, 3), rgb(6, 6, 200));
    EXPECT_EQ(inkBounds(s), Rect({1, 2, 4, 4}));
}

TEST(BlitCopy, SourceRectPartlyOutsideTheSourceCopiesOnlyWhatExists)
{
    const Surface source = gradient(4, 4);
    Surface s(8, 8);
    Canvas c(s);
    c.bitBlt(Rect::fromSize(0, 0, 6, 6), source.view(), {2, -1});
    EXPECT_EQ(inkBounds(s), Rect({0, 1, 2, 5}));
    EXPECT_EQ(s.colourAt(0, 1), rgb(2, 0, 200));
}

TEST(BlitCopy, OverlappingBlitOnOneSurfaceReadsTheOriginalPixels)
{
    Surface s = gradient(8, 8);
    const Surface before = s;
    Canvas c(s);
    c.bitBlt(Rect::fromSize(1, 1, 6, 6), s.view(), {0, 0});
    for (int y = 1; y < 7; ++y) {
        for (int x = 1; x < 7; ++x)
            ASSERT_EQ(s.pixel(x, y), before.pixel(x - 1, y - 1)) << x << "," << y;
    }
}

TEST(BlitStretch, DoublingRepeatsEachPixelAndNegativeWidthMirrors)
{
    const Surface source = gradient(3, 2);
    Surface s(6, 4);
    Canvas c(s);
    c.stretchBlt({0, 0, 6, 4}, source.view(), {0, 0, 3, 2});
    EXPECT_EQ(s.colourAt(0, 0), rgb(0, 0, 200));
    EXPECT_EQ(s.colourAt(1, 1), rgb(0, 0, 200));
    EXPECT_EQ(s.colourAt(2, 0), rgb(1, 0, 200));
    EXPECT_EQ(s.colourAt(5, 3), rgb(2, 1, 200));

    Surface m(3, 2);
    // A negative extent counts back from the pixel before its start.
    Canvas(m).stretchBlt({0, 0, 3, 2}, source.view(), {2, 0, -3, 2});
    EXPECT_EQ(m.colourAt(0, 0), rgb(2, 0, 200));
    EXPECT_EQ(m.colourAt(2, 1), rgb(0, 1, 200));
}

TEST(BlitStretch, ShrinkingMergesByTheStretchModeAsStretchDibitsDoes)
{
    const Surface source = gradient(8, 1);
    auto shrunk = [&](StretchMode mode) {
        Surface s(4, 1);
        Canvas c(s);
        c.setStretchMode(mode);
        c.stretchBlt({0, 0, 4, 1}, source.view(), {0, 0, 8, 1});
        return s;
    };
    // The default mode ANDs each pair: red 0 & 1, 2 & 3 ...
    EXPECT_EQ(shrunk(StretchMode::AndScans).colourAt(1, 0), rgb(2, 0, 200));
    EXPECT_EQ(shrunk(StretchMode::OrScans).colourAt(1, 0), rgb(3, 0, 200));
    EXPECT_EQ(shrunk(StretchMode::DeleteScans).colourAt(3, 0), rgb(7, 0, 200));

    // The same walk as StretchDIBits of a top-down bitmap, mirrored or not,
    // in every mode, over a shrink that does not divide evenly.
    const Surface odd = gradient(7, 5);
    for (StretchMode mode :
         {StretchMode::AndScans, StretchMode::OrScans, StretchMode::DeleteScans, StretchMode::Halftone}) {
        for (const BlitArea dest : {BlitArea{0, 0, 3, 2}, BlitArea{3, 0, -3, 2}}) {
            Surface viaBlt(4, 3, kWhite), viaDibits(4, 3, kWhite);
            Canvas a(viaBlt), b(viaDibits);
            a.setStretchMode(mode);
            b.setStretchMode(mode);
            a.stretchBlt(dest, odd.view(), {0, 0, 7, 5});
            b.stretchDibits(dest, {odd.view(), false}, {0, 0, 7, 5});
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < 4; ++x)
                    ASSERT_EQ(viaBlt.pixel(x, y), viaDibits.pixel(x, y)) << int(mode) << " " << dest.width;
            }
        }
    }
}

TEST(BlitStretch, HalftoneAveragesTheCoveredPixelsAndAStretchMayReadItsOwnTarget)
{
    Surface source(3, 2);
    // Red 0, 10, 20 over 255, 0, 1; green counts the columns; blue is fixed.
    const int reds[] = {0, 10, 20, 255, 0, 1};
    for (int i = 0; i < 6; ++i)
        source.setPixel(i % 3, i / 3, pixelFromColour(rgb(reds[i], i % 3, 7)));
    Surface s(1, 1);
    Canvas c(s);
    c.setStretchMode(StretchMode::Halftone);
    c.stretchBlt({0, 0, 1, 1}, source.view(), {0, 0, 3, 2});
    // (0 + 10 + 20 + 255 + 0 + 1) / 6 = 47.67, (0 + 1 + 2) * 2 / 6 = 1.
    EXPECT_EQ(s.colourAt(0, 0), rgb(48, 1, 7));

    // Halving a surface onto its own top-left quarter reads every source
    // pixel before any is overwritten.
    Surface self = gradient(8, 8);
    Canvas own(self);
    own.setStretchMode(StretchMode::DeleteScans);
    own.stretchBlt({0, 0, 4, 4}, self.view(), {0, 0, 8, 8});
    EXPECT_EQ(self.colourAt(1, 1), rgb(3, 2, 200));
    EXPECT_EQ(self.colourAt(3, 3), rgb(7, 6, 200));
}

TEST(BlitSetDibitsToDevice, RowsCountFromTheBottomOfTheWholeBitmap)
{
    // Rows 1 and 2 (from the bottom) of a 2 x 4 bottom-up bitmap; top row
    // of the carried part first, red = x, green = its row from the bottom.
    Surface carried(2, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x)
            carried.setPixel(x, y, pixelFromColour(rgb(x, 2 - y, 200)));
    }
    const Dib rows{carried.view(), true};
    {
        Surface s(6, 6, kWhite);
        Canvas c(s);
        // The whole bitmap asked for: only the carried rows land, where the
        // whole one would put them, and nothing is stretched.
        EXPECT_EQ(c.setDibitsToDevice({1, 1}, QSize(2, 4), {0, 0}, 1, rows), 2);
        EXPECT_EQ(inkBounds(s), Rect({1, 2, 3, 4}));
        EXPECT_EQ(s.colourAt(1, 2), rgb(0, 2, 200));
        EXPECT_EQ(s.colourAt(2, 3), rgb(1, 1, 200));
    }
    {
        Surface s(6, 6, kWhite);
        Canvas c(s);
        c.setOrigin({2, 0});
        // One row, from y = 2 up: the carried part's top row only.
        EXPECT_EQ(c.setDibitsToDevice({0, 0}, QSize(2, 1), {1, 2}, 1, rows), 2);
        EXPECT_EQ(inkBounds(s), Rect({2, 0, 3, 1}));
        EXPECT_EQ(s.colourAt(2, 0), rgb(1, 2, 200));
        // A row below the carried ones draws nothing; a bottom-up bitmap
        // reports no lines, a top-down one all it was given.
        EXPECT_EQ(c.setDibitsToDevice({0, 0}, QSize(2, 1), {0, 0}, 1, rows), 0);
        EXPECT_EQ(c.setDibitsToDevice({0, 0}, QSize(2, 1), {0, 0}, 1, {carried.view(), false}), 2);
        EXPECT_EQ(inkBounds(s), Rect({2, 0, 3, 1}));
    }
}

TEST(BlitStretchDibits, SourceRowsCountFromTheFirstStoredRowAndMirroredCopiesDoNotMirror)
{
    // A 1 x 4 column, red = row (top row first).
    const Surface column = gradient(1, 4);
    Surface s(4, 4, kWhite);
    Canvas c(s);
    // Row 0 of a bottom-up bitmap is its bottom row; of a top-down one, the top.
    EXPECT_EQ(c.stretchDibits({0, 0, 1, 1}, {column.view(), true}, {0, 0, 1, 1}), 4);
    EXPECT_EQ(s.colourAt(0, 0), rgb(0, 3, 200));
    EXPECT_EQ(c.stretchDibits({1, 0, 1, 2}, {column.view(), false}, {0, 0, 1, 2}, kSrcAnd), -4);
    EXPECT_EQ(s.colourAt(1, 0), rgb(0, 0, 200));
    EXPECT_EQ(s.colourAt(1, 1), rgb(0, 1, 200));
    // A SRCCOPY of part of a top-down bitmap counts from the bottom too.
    c.stretchDibits({2, 0, 1, 2}, {column.view(), false}, {0, 1, 1, 2});
    EXPECT_EQ(s.colourAt(2, 0), rgb(0, 1, 200));
    // Both extents negative by the same amount copy the covered pixels
    // unmirrored; a source y past the bottom is pulled back to the last row.
    c.stretchDibits({3, 2, 1, -2}, {column.view(), true}, {0, 2, 1, -2});
    EXPECT_EQ(s.colourAt(3, 1), rgb(0, 2, 200));
    EXPECT_EQ(s.colourAt(3, 2), rgb(0, 3, 200));
    // A source area that misses the bitmap draws nothing and says so.
    EXPECT_EQ(c.stretchDibits({0, 0, 4, 4}, {column.view(), true}, {5, 0, 1, 1}), 0);
}

TEST(BlitStretchDibits, ShrinkingMergesTheSourcePixelsByTheStretchMode)
{
    Surface source(4, 2);
    const uint32_t values[] = {0xFFF0F0F0, 0xFFF0FFF0, 0xFF0FFF0F, 0xFFFFFF00,
                               0xFFF0F00F, 0xFFFFFFFF, 0xFF0F0F0F, 0xFFFF00FF};
    for (int i = 0; i < 8; ++i)
        source.setPixel(i % 4, i / 4, values[i]);
    const Dib dib{source.view(), false};
    auto shrunk = [&](StretchMode mode) {
        Surface s(2, 1, kWhite);
        Canvas c(s);
        c.setStretchMode(mode);
        c.stretchDibits({0, 0, 2, 1}, dib, {0, 0, 4, 2});
        return std::pair{s.pixel(0, 0), s.pixel(1, 0)};
    };
    // Each destination pixel gets a 2 x 2 block.
    const auto block = [&](int x, auto op) {
        return op(op(values[x], values[x + 1]), op(values[x + 4], values[x + 5]));
    };
    const auto both = [](uint32_t a, uint32_t b) { return a & b; };
    const auto either = [](uint32_t a, uint32_t b) { return a | b; };
    EXPECT_EQ(shrunk(StretchMode::AndScans), std::pair(block(0, both), block(2, both)));
    EXPECT_EQ(shrunk(StretchMode::OrScans), std::pair(block(0, either), block(2, either)));
    // The first row of the block, the last pixel along it.
    EXPECT_EQ(shrunk(StretchMode::DeleteScans), std::pair(values[1], values[3]));
}

TEST(BlitStretchDibits, HugeAreasCostOnlyTheirVisiblePart)
{
    const Surface source = gradient(4, 4);
    Surface s(16, 16, kWhite);
    Canvas c(s);
    c.clipTo(Rect{4, 4, 8, 8});
    // A stretch to 65535 pixels a side walks the axes once and fills the
    // clipped part only.
    EXPECT_EQ(c.stretchDibits({-30000, -30000, 65535, 65535}, {source.view(), true}, {0, 0, 4, 4}), 4);
    EXPECT_EQ(inkBounds(s), Rect({4, 4, 8, 8}));
    c.stretchDibits({0, 0, 16, 16}, {source.view(), true}, {INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN});
    Surface empty;
    EXPECT_EQ(c.stretchDibits({0, 0, 4, 4}, {empty.view(), true}, {0, 0, 4, 4}), 0);
}

TEST(BlitTransparent, KeyColourAndMaskLeaveTheDestinationShowing)
{
    Surface source(4, 1, kRed);
    source.setPixel(1, 0, pixelFromColour(kWhite));
    source.setPixel(3, 0, pixelFromColour(kWhite));
    Surface s(4, 2, kBlue);
    Canvas c(s);
    c.transparentBlt({0, 0, 4, 1}, source.view(), {0, 0}, kWhite);
    EXPECT_EQ(rowOf(s, 0, kRed), "#.#.");
    EXPECT_EQ(rowOf(s, 0, kBlue), ".#.#");

    BitMask mask(4, 1);
    mask.set(3, 0, true);
    c.transparentBlt({0, 1, 4, 2}, source.view(), {0, 0}, mask);
    EXPECT_EQ(rowOf(s, 1, kWhite), "...#");
    EXPECT_EQ(rowOf(s, 1, kBlue), "###.");
}

TEST(BlitScroll, ScrollMovesPixelsInsideTheAreaAndReportsTheUncoveredStrip)
{
    Surface s = gradient(10, 10);
    const Surface before = s;
    Canvas c(s);
    const Region uncovered = c.scroll({2, 2, 8, 8}, 0, -2);
    EXPECT_EQ(uncovered.boundingRect(), Rect({2, 6, 8, 8}));
    EXPECT_EQ(uncovered.area(), 12);
    EXPECT_EQ(s.pixel(3, 2), before.pixel(3, 4));
    EXPECT_EQ(s.pixel(7, 5), before.pixel(7, 7));
    // Outside the area nothing moves.
    EXPECT_EQ(s.pixel(3, 1), before.pixel(3, 1));
    EXPECT_EQ(s.pixel(1, 4), before.pixel(1, 4));
    EXPECT_EQ(s.pixel(8, 4), before.pixel(8, 4));
}

TEST(BlitScroll, ScrollRespectsTheClipAndTheOrigin)
{
    Surface s = gradient(10, 10);
    const Surface before = s;
    Canvas c(s);
    c.setOrigin({1, 0});
    c.clipTo(Rect{0, 0, 4, 10}); // device x 1..4
    const Region uncovered = c.scroll({0, 0, 8, 10}, 3, 0);
    EXPECT_EQ(uncovered.boundingRect(), Rect({0, 0, 3, 10}));
    EXPECT_EQ(s.pixel(4, 5), before.pixel(1, 5));
    EXPECT_EQ(s.pixel(5, 5), before.pixel(5, 5));
}

// Every pixel of the clipped area takes the pixel dx, dy away from it when
// that one lies in the area, whichever way the area moves and however many
// rectangles the clip has; nothing else changes.
TEST(BlitScroll, EveryDirectionUnderOneOrSeveralClipRectanglesMovesWhatWasThere)
{
    const Rect area{1, 2, 11, 10};
    const QPoint moves[] = {{0, 3}, {0, -3}, {4, 0}, {-4, 0}, {2, 2}, {-3, 1}, {1, -2}, {0, 0}};
    const Region clips[] = {Region(Rect{0, 0, 12, 12}), Region(Rect{0, 0, 5, 12}).united(Rect{7, 0, 12, 12}),
                            Region(Rect{0, 0, 12, 5}).united(Rect{0, 7, 12, 12})};
    for (const Region& clip : clips) {
        for (const QPoint move : moves) {
            Surface s = gradient(12, 12);
            const Surface before = s;
            Canvas c(s);
            c.clipTo(clip);
            const Region uncovered = c.scroll(area, move.x(), move.y());
            for (int y = 0; y < 12; ++y) {
                for (int x = 0; x < 12; ++x) {
                    const bool inside = area.contains(x, y) && clip.contains(x, y);
                    const bool fromArea = area.contains(x - move.x(), y - move.y());
                    const uint32_t expected =
                        inside && fromArea ? before.pixel(x - move.x(), y - move.y()) : before.pixel(x, y);
                    ASSERT_EQ(s.pixel(x, y), expected) << "at " << x << "," << y << " moving " << move.x() << ","
                                                       << move.y() << " under " << clip.rects().size() << " rects";
                    EXPECT_EQ(uncovered.contains(x, y), inside && !fromArea);
                }
            }
        }
    }
}

TEST(SurfaceSharing, QImageWrapsThePixelsWithoutCopying)
{
    Surface s(4, 3, kBlue);
    QImage image = s.image();
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(image.constBits(), reinterpret_cast<const uchar*>(s.view().bits()));
    image.setPixel(1, 1, qRgb(255, 0, 0));
    EXPECT_EQ(s.colourAt(1, 1), kRed);
    Canvas(s).setPixel({2, 2}, rgb(0, 255, 0));
    EXPECT_EQ(image.pixel(2, 2), qRgb(0, 255, 0));
}

TEST(SurfaceSharing, AbsurdSizesGiveANullSurfaceThatDrawingIgnores)
{
    Surface huge(100000, 100000);
    EXPECT_TRUE(huge.isNull());
    EXPECT_TRUE(Surface(-3, 4).isNull());
    Canvas c(huge);
    c.fillRect({0, 0, 10, 10}, Brush::solid(kBlack));
    c.textOut({0, 0}, "x");
    EXPECT_TRUE(c.state().clip.isEmpty());
}

TEST(SurfaceColours, WindowsColourValuesAndClassicSystemColours)
{
    EXPECT_EQ(pixelFromColour(rgb(0x12, 0x34, 0x56)), 0xFF123456u);
    EXPECT_EQ(colourFromPixel(0xFF123456u), 0x00563412u);
    EXPECT_EQ(pixelFromColour(systemColour(SystemColour::ButtonFace)), 0xFFC0C0C0u);
    EXPECT_EQ(pixelFromColour(systemColour(SystemColour::ButtonShadow)), 0xFF808080u);
    EXPECT_EQ(pixelFromColour(systemColour(SystemColour::Highlight)), 0xFF000080u);
    EXPECT_EQ(pixelFromColour(systemColour(SystemColour::InfoBackground)), 0xFFFFFFE1u);
    EXPECT_EQ(pixelFromColour(systemColour(SystemColour::Desktop)), 0xFF008080u);
    EXPECT_EQ(pixelFromColour(kSystemColourFlag | 200), 0xFF000000u);
}

TEST(SurfaceColours, GdiColourValuesKeepOnlyWhatGdiReadsInThem)
{
    EXPECT_EQ(colourFromGdi(0x02123456u), 0x00123456u);  // PALETTERGB
    EXPECT_EQ(colourFromGdi(0x80000005u), 0x00000005u);  // not a system colour in a file
    EXPECT_EQ(colourFromGdi(0x01000105u), 0x01000105u);  // PALETTEINDEX, low word kept
    EXPECT_EQ(colourFromGdi(0x03AB0007u), 0x01000007u);  // any high byte with bit 24
    EXPECT_EQ(colourFromGdi(0x10FF0003u), rgb(0, 0, 0)); // DIBINDEX: no colour table here
    EXPECT_EQ(colourFromGdi(0x10FE0003u), 0x00FE0003u);

    // Palette indices take the default palette until one is selected, and
    // entry 0 past a palette's end.
    Surface s(1, 1);
    Canvas c(s);
    EXPECT_EQ(c.devicePixel(0x0100000Du), 0xFFFF0000u);
    EXPECT_EQ(c.devicePixel(0x01000014u), 0xFF000000u);
    c.setPalette({rgb(1, 2, 3), rgb(4, 5, 6)});
    EXPECT_EQ(c.devicePixel(0x01000001u), 0xFF040506u);
    EXPECT_EQ(c.devicePixel(0x01000002u), 0xFF010203u);
}

} // namespace
} // namespace lumeria::gdi
