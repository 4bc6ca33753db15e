#include "GdiTestSupport.h"

#include "platform/gdi/DcStateSaver.h"

#include <gtest/gtest.h>

namespace lumeria::gdi {
namespace {

using namespace test;

TEST(CanvasRectangle, OutlineOccupiesLeftToRightMinusOne)
{
    Surface s(7, 6);
    Canvas c(s);
    c.setBrush(Brush::solid(kRed));
    c.drawRectangle({1, 1, 6, 5});
    EXPECT_EQ(picture(s), ".......\n"
                          ".#####.\n"
                          ".#...#.\n"
                          ".#...#.\n"
                          ".#####.\n"
                          ".......\n");
    EXPECT_EQ(countOf(s, kRed), 6);
}

TEST(CanvasRectangle, OneByOneDrawsNothingWhateverThePen)
{
    // Its four outline segments each end where they start, and its interior
    // is empty; 1 x 2 is already a pixel of outline twice over.
    for (const Pen& pen : {Pen::solid(kRed), Pen::styled(PenStyle::Dash, kRed)}) {
        Surface s(4, 4);
        Canvas c(s);
        c.setPen(pen);
        c.setBrush(Brush::solid(kBlack));
        c.drawRectangle({1, 1, 2, 2});
        EXPECT_EQ(countOf(s, kWhite), 16);
        c.drawRectangle({1, 1, 2, 3});
        EXPECT_EQ(countOf(s, kRed), 2);
    }
}

TEST(CanvasRectangle, OnePixelWideOutlineIsWrittenOncePerPixel)
{
    // Its outline runs down the column and back up; an XOR pen drawing the
    // middle pixels twice would put them back.
    for (const Rect r : {Rect{1, 1, 2, 6}, Rect{1, 1, 6, 2}}) {
        Surface s(7, 7);
        Canvas c(s);
        c.setRop2(Rop2::XorPen);
        c.setPen(Pen::solid(kRed));
        c.drawRectangle(r);
        EXPECT_EQ(countOf(s, rgb(0, 255, 255)), 5);
        EXPECT_EQ(inkBounds(s), r);
    }
}

TEST(CanvasRectangle, DashedOutlineStartsAtTheTopRightAndRunsLeft)
{
    Surface s(24, 4);
    Canvas c(s);
    c.setBrush(Brush::none());
    c.setPen(Pen::styled(PenStyle::Dash, kBlack));
    c.drawRectangle({0, 0, 24, 4});
    // The 18-pixel dash runs left from the top-right corner, the 6-pixel gap
    // takes the rest of the top and the top-left corner, and the next dash
    // goes down the left side.
    EXPECT_EQ(rowOf(s, 0), std::string(6, '.') + std::string(18, '#'));
    EXPECT_EQ(s.colourAt(0, 1), kBlack);
}

TEST(CanvasRectangle, WithoutAPenTheFillIsOnePixelSmaller)
{
    Surface s(5, 5);
    Canvas c(s);
    c.setPen(Pen::none());
    c.setBrush(Brush::solid(kBlack));
    c.drawRectangle({1, 1, 4, 4});
    EXPECT_EQ(inkBounds(s), Rect({1, 1, 3, 3}));
}

TEST(CanvasEllipse, StaysInsideItsRectTouchesEverySideAndIsSymmetric)
{
    for (const Rect r : {Rect{0, 0, 10, 10}, Rect{1, 2, 14, 9}, Rect{2, 1, 5, 15}, Rect{3, 3, 6, 6}}) {
        Surface s(16, 16);
        Canvas c(s);
        c.setBrush(Brush::solid(kBlack));
        c.drawEllipse(r);
        EXPECT_EQ(inkBounds(s), r);
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                const ColorRef here = s.colourAt(x, y);
                ASSERT_EQ(here, s.colourAt(r.left + r.right - 1 - x, y)) << x << "," << y;
                ASSERT_EQ(here, s.colourAt(x, r.top + r.bottom - 1 - y)) << x << "," << y;
            }
        }
        EXPECT_EQ(s.colourAt(r.left, r.top), kWhite) << "corners are cut";
    }
}

TEST(CanvasEllipse, OutlineIsThinAndClosedAroundTheBrushInterior)
{
    Surface s(12, 12);
    Canvas c(s);
    c.setBrush(Brush::solid(kRed));
    c.drawEllipse({0, 0, 12, 12});
    // Each row of the outline meets the interior without a white pixel in
    // between, and every interior pixel is framed by outline on both sides.
    for (int y = 0; y < 12; ++y) {
        const std::string row = rowOf(s, y, kWhite);
        const size_t first = row.find('.');
        const size_t last = row.rfind('.');
        ASSERT_NE(first, std::string::npos);
        EXPECT_EQ(row.substr(first, last - first + 1).find('#'), std::string::npos) << "row " << y;
        const std::string red = rowOf(s, y, kRed);
        if (red.find('#') != std::string::npos) {
            EXPECT_EQ(s.colourAt(int(red.find('#')) - 1, y), kBlack);
            EXPECT_EQ(s.colourAt(int(red.rfind('#')) + 1, y), kBlack);
        }
    }
    EXPECT_EQ(s.colourAt(5, 0), kBlack);
    EXPECT_EQ(s.colourAt(5, 1), kRed);
}

TEST(CanvasRoundRect, CornersFollowTheCornerEllipseAndEdgesStayStraight)
{
    Surface s(12, 10);
    Canvas c(s);
    c.setBrush(Brush::solid(kBlack));
    c.drawRoundRect({0, 0, 12, 10}, 6, 4);
    EXPECT_EQ(inkBounds(s), Rect({0, 0, 12, 10}));
    EXPECT_EQ(s.colourAt(0, 0), kWhite);
    EXPECT_EQ(s.colourAt(11, 9), kWhite);
    EXPECT_EQ(rowOf(s, 4), "############");
    EXPECT_EQ(rowOf(s, 0).find('#'), rowOf(s, 9).find('#'));
    // A corner ellipse as large as the rect gives the ellipse itself.
    Surface r(12, 10);
    Surface e(12, 10);
    Canvas(r).drawRoundRect({0, 0, 12, 10}, 12, 10);
    Canvas(e).drawEllipse({0, 0, 12, 10});
    EXPECT_EQ(picture(r), picture(e));
}

TEST(CanvasPolygon, FillLeavesOutTheRightAndBottomEdgesWithoutAPen)
{
    Surface s(8, 8);
    Canvas c(s);
    c.setPen(Pen::none());
    c.setBrush(Brush::solid(kBlack));
    const QPoint square[] = {{1, 1}, {5, 1}, {5, 5}, {1, 5}};
    c.drawPolygon(square);
    EXPECT_EQ(inkBounds(s), Rect({1, 1, 5, 5}));
    EXPECT_EQ(countOf(s, kBlack), 16);
}

TEST(CanvasPolygon, AlternateModeLeavesTheOverlapOfAStarHollowAndWindingFillsIt)
{
    const QPoint star[] = {{10, 0}, {16, 19}, {0, 7}, {20, 7}, {4, 19}};
    Surface alternate(21, 21);
    Surface winding(21, 21);
    Canvas a(alternate);
    Canvas w(winding);
    for (Canvas* c : {&a, &w}) {
        c->setPen(Pen::none());
        c->setBrush(Brush::solid(kBlack));
    }
    a.drawPolygon(star, PolyFillMode::Alternate);
    w.drawPolygon(star, PolyFillMode::Winding);
    EXPECT_EQ(alternate.colourAt(10, 11), kWhite);
    EXPECT_EQ(winding.colourAt(10, 11), kBlack);
    EXPECT_EQ(alternate.colourAt(10, 3), kBlack);
}

TEST(CanvasFocus, SecondFocusRectRestoresEveryPixel)
{
    for (const Rect r : {Rect{1, 1, 9, 7}, Rect{2, 2, 3, 8}, Rect{0, 4, 10, 5}, Rect{3, 3, 4, 4}}) {
        Surface s(10, 10, rgb(10, 20, 30));
        s.setPixel(5, 1, pixelFromColour(kRed));
        const Surface before = s;
        Canvas c(s);
        c.drawFocusRect(r);
        EXPECT_NE(picture(s, rgb(10, 20, 30)), picture(before, rgb(10, 20, 30)));
        c.drawFocusRect(r);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ(s.pixel(x, y), before.pixel(x, y)) << x << "," << y;
        }
    }
}

TEST(CanvasFocus, FocusFrameIsDottedAndInvertRectInvertsTheWholeArea)
{
    Surface s(6, 4, kBlack);
    Canvas c(s);
    c.drawFocusRect({0, 0, 6, 4});
    EXPECT_EQ(picture(s, kWhite), "#.#.#.\n"
                                  ".....#\n"
                                  "#.....\n"
                                  ".#.#.#\n");
    Surface t(4, 3, rgb(255, 0, 255));
    Canvas(t).invertRect({1, 1, 3, 3});
    EXPECT_EQ(picture(t, rgb(0, 255, 0)), "....\n"
                                          ".##.\n"
                                          ".##.\n");
}

TEST(CanvasClip, NothingIsWrittenOutsideTheClip)
{
    Surface s(16, 16);
    Canvas c(s);
    c.clipTo(Region({2, 2, 14, 14}).subtracted(Rect{6, 6, 10, 10}));
    c.setBrush(Brush::pattern({0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA}));
    c.setPen(Pen::solid(kRed, 3));
    c.drawRectangle({0, 0, 16, 16});
    c.drawEllipse({0, 0, 16, 16});
    c.drawLine({0, 8}, {16, 8});
    c.fillRect({0, 0, 16, 16}, Brush::solid(kBlue));
    c.drawFocusRect({0, 0, 16, 16});
    Surface other(16, 16, kBlack);
    c.bitBlt({0, 0, 16, 16}, other.view(), {0, 0});
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool inside = x >= 2 && x < 14 && y >= 2 && y < 14 && !(x >= 6 && x < 10 && y >= 6 && y < 10);
            if (!inside)
                ASSERT_EQ(s.colourAt(x, y), kWhite) << x << "," << y;
            else
                ASSERT_EQ(s.colourAt(x, y), kBlack) << x << "," << y;
        }
    }
}

TEST(CanvasState, SaverRestoresPenClipAndOriginAndClipOnlyNarrows)
{
    Surface s(10, 10);
    Canvas c(s);
    c.setPen(Pen::solid(kRed));
    {
        DcStateSaver saver(c);
        c.clipTo(Rect{0, 0, 5, 5});
        c.clipTo(Rect{0, 0, 10, 10}); // cannot grow back
        c.setOrigin({2, 2});
        c.setPen(Pen::solid(kBlue));
        c.fillRect({0, 0, 10, 10}, Brush::solid(kBlack));
        EXPECT_EQ(inkBounds(s), Rect({2, 2, 5, 5}));
    }
    EXPECT_EQ(c.state().pen, Pen::solid(kRed));
    EXPECT_EQ(c.state().origin, QPoint(0, 0));
    c.fillRect({0, 0, 10, 10}, Brush::solid(kBlack));
    EXPECT_EQ(countOf(s, kBlack), 100);
}

} // namespace
} // namespace lumeria::gdi

namespace lumeria::gdi {
namespace {

using namespace test;

TEST(CanvasRobustness, HugeCoordinatesFromAFileAreClampedAndStayCheap)
{
    constexpr int kFar = 2'000'000'000;
    Surface s(8, 8);
    Canvas c(s);
    c.setBrush(Brush::solid(kRed));
    c.drawEllipse({-kFar, -kFar, kFar, kFar});
    EXPECT_EQ(countOf(s, kRed), 64);
    c.drawLine({-kFar, 5}, {kFar, 5});
    EXPECT_EQ(rowOf(s, 5), "########");
    c.setPen(Pen::solid(kBlue, kFar));
    c.drawLine({0, 0}, {kFar, kFar});
    c.drawRoundRect({-kFar, -kFar, kFar, kFar}, INT32_MIN, INT32_MAX);
    Surface source(2, 2, kBlack);
    c.stretchBlt({-kFar, 0, kFar, kFar}, source.view(), {0, 0, kFar, 2});
    c.bitBlt({0, 0, 8, 8}, source.view(), {kFar, kFar});
    const Region uncovered = c.scroll({0, 0, 8, 8}, kFar, 0);
    EXPECT_EQ(uncovered.area(), 64);
}

} // namespace
} // namespace lumeria::gdi

namespace lumeria::gdi {
namespace {

using namespace test;

TEST(CanvasArcs, ArcWithEqualRadialsIsTheWholeEllipseOutline)
{
    Surface arc(16, 12);
    Surface ellipse(16, 12);
    Canvas(arc).drawArc({0, 0, 16, 12}, {3, 3}, {3, 3});
    Canvas e(ellipse);
    e.setBrush(Brush::none());
    e.drawEllipse({0, 0, 16, 12});
    EXPECT_EQ(picture(arc), picture(ellipse));
}

TEST(CanvasArcs, PieFillsItsSectorAndChordTheSegmentOnTheArcSide)
{
    Surface pie(16, 12);
    Canvas p(pie);
    p.setBrush(Brush::solid(kRed));
    p.drawPie({0, 0, 16, 12}, {16, 6}, {8, 0}); // right to top: upper-right quarter
    EXPECT_EQ(inkBounds(pie), Rect({8, 0, 16, 7}));
    EXPECT_GT(countOf(pie, kRed), 10);
    EXPECT_EQ(pie.colourAt(8, 6), kBlack) << "the radials meet at the centre";

    Surface chord(16, 12);
    Canvas c(chord);
    c.setBrush(Brush::solid(kRed));
    c.drawChord({0, 0, 16, 12}, {0, 6}, {16, 6}); // left, down through the bottom, to the right
    EXPECT_EQ(inkBounds(chord), Rect({0, 6, 16, 12}));
    EXPECT_EQ(rowOf(chord, 6), "################");
    EXPECT_EQ(chord.colourAt(8, 8), kRed);
}

} // namespace
} // namespace lumeria::gdi
