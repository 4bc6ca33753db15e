#include "RenderTestSupport.h"

#include "document/Document.h"
#include "render/PageLayout.h"
#include "render/PageRenderer.h"
#include "render/TextAreaScroll.h"

#include <map>

namespace lumeria::test {
namespace {

bool sameArea(const gdi::Surface& a, const gdi::Surface& b, const gdi::Rect& area)
{
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
        }
    }
    return true;
}

// A document with one page and a renderer for pages of 20 by 16 pixels.
class PageFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureGuiApplication();
        page = document.appendPage("One", Palette{});
        page->PageColor = int32_t(kWhite);
        context.loadPicture = [this](const QString& name) -> std::optional<DecodedPicture> {
            const auto it = pictures.find(name);
            if (it == pictures.end())
                return std::nullopt;
            return it->second;
        };
    }

    Object_Rec& add(Page_Rec& on, ObjectKind kind, int x1, int y1, int x2, int y2, gdi::ColorRef fill)
    {
        Object_Rec* o = document.appendObject(on, static_cast<uint8_t>(kind));
        *o = objectAt(kind, x1, y1, x2, y2);
        o->FillColor = int32_t(fill);
        o->LineColor = int32_t(fill);
        o->LineWidth = 1;
        return *o;
    }

    PageRenderer renderer() const { return PageRenderer(document, context, kPage); }

    static constexpr QSize kPage{20, 16};
    Document document;
    Page_Rec* page = nullptr;
    PaintContext context;
    std::map<QString, DecodedPicture> pictures;
};

// A 4 by 3 tile, blue with a red top-left pixel, so each tile's start shows.
DecodedPicture markedTile()
{
    DecodedPicture tile = solidPicture(4, 3, kBlue);
    setPicturePixel(tile, 0, 0, kRed);
    return tile;
}

using PageBackground = PageFixture;

TEST_F(PageBackground, StyleZeroFillsOnlyThePageWithPageColor)
{
    page->PageColor = int32_t(kGreen);
    gdi::Surface s(24, 20, kMagenta);
    gdi::Canvas canvas(s);
    renderer().paintBackground(canvas, QPoint(2, 1), *page);
    EXPECT_EQ(boundsOf(s, kGreen), gdi::Rect::fromSize(2, 1, 20, 16));
    EXPECT_EQ(countOf(s, kGreen), 20 * 16);
}

TEST_F(PageBackground, WallpaperTilesFromThePageOriginAndStopsAtThePageEdge)
{
    page->PageStyle = 1;
    page->PageColor = int32_t(kGreen);
    page->PageWallpaper = "TILE.BMP";
    pictures["TILE.BMP"] = markedTile();
    gdi::Surface s(24, 20, kMagenta);
    gdi::Canvas canvas(s);
    renderer().paintBackground(canvas, QPoint(1, 2), *page);

    // Tiles at x 0, 4, ..., 16 and y 0, 3, ..., 15 of the page: 5 by 6 marks,
    // the last row cut to one line by the page's height of 16.
    EXPECT_EQ(countOf(s, kRed), 5 * 6);
    for (int ty = 0; ty < 16; ty += 3) {
        for (int tx = 0; tx < 20; tx += 4)
            EXPECT_EQ(s.colourAt(1 + tx, 2 + ty), kRed) << tx << "," << ty;
    }
    EXPECT_EQ(boundsOf(s, kMagenta, gdi::Rect::fromSize(1, 2, 20, 16)), gdi::Rect{});
    EXPECT_EQ(countOf(s, kMagenta), 24 * 20 - 20 * 16);
    EXPECT_EQ(countOf(s, kGreen), 0);
}

TEST_F(PageBackground, SmallTilesRepeatExactlyOverALargePage)
{
    DecodedPicture tile = solidPicture(7, 5, kBlue);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x)
            setPicturePixel(tile, x, y, gdi::rgb(x * 30, y * 50, 7));
    }
    page->PageStyle = 1;
    page->PageWallpaper = "TILE.BMP";
    pictures["TILE.BMP"] = tile;
    gdi::Surface s(300, 203, kMagenta);
    gdi::Canvas canvas(s);
    canvas.clipTo(gdi::Rect{1, 150, 299, 203});
    PageRenderer(document, context, QSize(290, 200)).paintBackground(canvas, QPoint(), *page);
    int wrong = 0;
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            const bool inside = x >= 1 && x < 290 && y >= 150 && y < 200;
            wrong += s.colourAt(x, y) != (inside ? gdi::rgb((x % 7) * 30, (y % 5) * 50, 7) : kMagenta);
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(PageBackground, WallpaperDrawsNothingOutsideTheClip)
{
    page->PageStyle = 2;
    page->PageWallpaper = "TILE.BMP";
    pictures["TILE.BMP"] = markedTile();
    gdi::Surface s(20, 16, kMagenta);
    gdi::Canvas canvas(s);
    canvas.clipTo(gdi::Rect{5, 4, 9, 7});
    renderer().paintBackground(canvas, QPoint(), *page);
    EXPECT_EQ(inkBounds(s, kMagenta), (gdi::Rect{5, 4, 9, 7}));
    // Of the four tiles the clip meets only the one at (8, 6) starts in it.
    EXPECT_EQ(countOf(s, kRed), 1);
    EXPECT_EQ(s.colourAt(8, 6), kRed);
}

TEST_F(PageBackground, MissingWallpaperGivesWhiteEvenWithPageColor)
{
    page->PageStyle = 1;
    page->PageColor = int32_t(kGreen);
    page->PageWallpaper = "GONE.BMP";
    gdi::Surface s(20, 16, kMagenta);
    gdi::Canvas canvas(s);
    renderer().paintBackground(canvas, QPoint(), *page);
    EXPECT_EQ(countOf(s, kWhite), 20 * 16);

    context.loadPicture = nullptr;
    s.fill(kMagenta);
    renderer().paintBackground(canvas, QPoint(), *page);
    EXPECT_EQ(countOf(s, kWhite), 20 * 16);
}

using PageObjects = PageFixture;

TEST_F(PageObjects, MasterObjectsLieUnderThePageObjectsOnlyWithShowMaster)
{
    add(document.master(), ObjectKind::Rectangle, 0, 0, 10, 10, kRed);
    add(document.master(), ObjectKind::Rectangle, 2, 2, 6, 6, kGreen);
    add(*page, ObjectKind::Rectangle, 5, 5, 15, 15, kBlue);

    page->ShowMaster = true;
    gdi::Surface s(20, 16);
    gdi::Canvas canvas(s);
    renderer().paintObjects(canvas, QPoint(), *page);
    EXPECT_EQ(s.colourAt(1, 1), kRed);
    EXPECT_EQ(s.colourAt(3, 3), kGreen); // master list order kept
    EXPECT_EQ(s.colourAt(5, 5), kBlue);  // the page's own object on top
    EXPECT_EQ(s.colourAt(8, 8), kBlue);

    page->ShowMaster = false;
    s.fill(kWhite);
    renderer().paintObjects(canvas, QPoint(), *page);
    EXPECT_EQ(countOf(s, kRed) + countOf(s, kGreen), 0);
    EXPECT_EQ(boundsOf(s, kBlue), (gdi::Rect{5, 5, 15, 15}));
}

TEST_F(PageObjects, FocusMarkerIsXorAroundTheObjectAndASecondPassRemovesIt)
{
    Object_Rec& focused = add(*page, ObjectKind::Rectangle, 5, 5, 10, 9, kRed);
    gdi::Surface s(20, 16, kBlue);
    gdi::Canvas canvas(s);
    renderer().paintPage(canvas, QPoint(), *page, &focused, FocusMarker::Hide);
    const gdi::Surface before = s;
    EXPECT_EQ(countOf(s, kYellow), 0);

    renderer().paintObjects(canvas, QPoint(), *page, &focused, FocusMarker::Show);
    // White XOR white is black, the page under the marker; dotted, so some
    // pixels of the frame keep the page's colour.
    const gdi::Rect ring{3, 3, 12, 11};
    EXPECT_TRUE(ring.contains(boundsOf(s, kBlack)));
    EXPECT_EQ(s.colourAt(3, 3), kBlack);
    EXPECT_GT(countOf(s, kBlack), 8);
    EXPECT_LT(countOf(s, kBlack), 2 * (9 + 8) - 4);
    EXPECT_EQ(boundsOf(s, kWhite, ring.deflated(1)), (gdi::Rect{4, 4, 11, 10}));
    EXPECT_EQ(boundsOf(s, kRed), (gdi::Rect{5, 5, 10, 9}));
    EXPECT_EQ(canvas.state().rop2, gdi::Rop2::CopyPen);

    paintFocusMarker(canvas, QPoint(), focused);
    EXPECT_TRUE(sameArea(s, before, s.rect()));
    EXPECT_TRUE(focusMarkerRect(focused, QPoint()).contains(gdi::Rect{3, 3, 12, 11}));
}

TEST_F(PageObjects, OffScreenRenderEqualsThePageDrawnAtTheOrigin)
{
    page->PageStyle = 1;
    page->PageWallpaper = "TILE.BMP";
    page->ShowMaster = true;
    pictures["TILE.BMP"] = markedTile();
    add(document.master(), ObjectKind::Ellipse, 1, 1, 9, 7, kGreen);
    add(*page, ObjectKind::Rectangle, 6, 4, 18, 14, kYellow).LineWidth = 2;
    add(*page, ObjectKind::Line, 0, 15, 19, 0, kBlack);

    const gdi::Surface off = renderer().renderOffScreen(*page);
    ASSERT_EQ(off.width(), 20);
    ASSERT_EQ(off.height(), 16);

    gdi::Surface on(26, 20, kMagenta);
    gdi::Canvas canvas(on);
    renderer().paintPage(canvas, QPoint(), *page, page->Objects.front().get(), FocusMarker::Hide);
    EXPECT_TRUE(sameArea(off, on, off.rect()));
    EXPECT_EQ(countOf(on, kMagenta), 26 * 20 - 20 * 16);
    EXPECT_GT(countOf(off, kYellow), 0);
}

// A page of one colour is made in that colour rather than painted over
// white: the pixels must be those of the page painted as usual.
TEST_F(PageObjects, OffScreenRenderOfAPlainPageEqualsThePageDrawnAtTheOrigin)
{
    page->PageStyle = 0;
    page->PageColor = int32_t(kBlue);
    add(*page, ObjectKind::Rectangle, 6, 4, 18, 14, kYellow).LineWidth = 2;
    const gdi::Surface off = renderer().renderOffScreen(*page);
    gdi::Surface on(20, 16, kMagenta);
    gdi::Canvas canvas(on);
    renderer().paintPage(canvas, QPoint(), *page);
    EXPECT_TRUE(sameArea(off, on, off.rect()));
    EXPECT_GT(countOf(off, kBlue), 0);
    EXPECT_EQ(countOf(off, kWhite), 0);
}

TEST_F(PageObjects, RepaintingAnObjectsRectangleRestoresEveryPixelItDraws)
{
    Object_Rec objects[] = {
        objectAt(ObjectKind::Line, 3, 8, 15, 8),     // horizontal
        objectAt(ObjectKind::Line, 9, 2, 9, 13),     // vertical
        objectAt(ObjectKind::Line, 15, 13, 4, 3),    // drawn backwards
        objectAt(ObjectKind::Line, 5, 6, 14, 10),    // wide pen
        objectAt(ObjectKind::Article, 4, 3, 14, 12), // fills X2 and Y2 without an outline
        objectAt(ObjectKind::Rectangle, 4, 3, 14, 12),
    };
    for (Object_Rec& object : objects)
        object.LineWidth = object.is(ObjectKind::Line) ? 1 : 0;
    objects[3].LineWidth = 5;
    for (Object_Rec& object : objects) {
        object.LineColor = int32_t(kRed);
        object.FillColor = int32_t(kGreen);
        while (!page->Objects.empty())
            document.removeObject(*page, page->Objects.back().get());
        *document.appendObject(*page, object.Kind) = object;
        const QPoint origin(3, 2);

        gdi::Surface whole(26, 20, kMagenta);
        gdi::Canvas wholeCanvas(whole);
        renderer().paintObjects(wholeCanvas, origin, *page);
        const gdi::Rect repaint = objectRepaintRect(object, origin);
        EXPECT_TRUE(repaint.contains(inkBounds(whole, kMagenta))) << int(object.Kind);

        // Wipe the repaint rectangle and paint the page clipped to it.
        gdi::Surface redone = whole;
        gdi::Canvas redoneCanvas(redone);
        redoneCanvas.fillRect(repaint, gdi::Brush::solid(kMagenta));
        redoneCanvas.clipTo(repaint);
        renderer().paintObjects(redoneCanvas, origin, *page);
        EXPECT_TRUE(sameArea(whole, redone, whole.rect())) << int(object.Kind);
    }
}

TEST(PageRepaint, LinesGetAOnePixelStrip)
{
    EXPECT_EQ(objectRepaintRect(objectAt(ObjectKind::Line, 3, 8, 15, 8), QPoint(10, 20)), (gdi::Rect{13, 28, 26, 29}));
    EXPECT_EQ(objectRepaintRect(objectAt(ObjectKind::Line, 9, 12, 9, 2), QPoint()), (gdi::Rect{9, 2, 10, 13}));
}

TEST(PageRepaint, MovedObjectUnionWhenOverlappingElseBoth)
{
    const gdi::Rect a{0, 0, 10, 10};
    EXPECT_EQ(movedRepaintRects(a, {5, 5, 15, 15}), (std::vector<gdi::Rect>{{0, 0, 15, 15}}));
    // Right edges are exclusive: touching rectangles do not overlap.
    EXPECT_EQ(movedRepaintRects(a, {10, 0, 20, 10}), (std::vector<gdi::Rect>{a, {10, 0, 20, 10}}));
    EXPECT_EQ(movedRepaintRects(a, {30, 30, 40, 40}), (std::vector<gdi::Rect>{a, {30, 30, 40, 40}}));
    EXPECT_EQ(movedRepaintRects(a, {}), (std::vector<gdi::Rect>{a}));
}

TEST(PagePlacement, FullScreenCentresButNeverAtNegativeCoordinates)
{
    const PagePlacement small = placeFullScreen(QSize(801, 600), QSize(640, 481));
    EXPECT_EQ(small.window, (gdi::Rect{0, 0, 801, 600}));
    EXPECT_EQ(small.client, QSize(801, 600));
    EXPECT_EQ(small.page, gdi::Rect::fromSize(80, 60, 640, 481));

    const PagePlacement large = placeFullScreen(QSize(800, 600), QSize(1024, 500));
    EXPECT_EQ(large.page, gdi::Rect::fromSize(0, 50, 1024, 500));
    const ScrollBarNeed bars = scrollBarsNeeded(large.client, QSize(1024, 500));
    EXPECT_TRUE(bars.horizontal);
    EXPECT_FALSE(bars.vertical);
}

TEST(PagePlacement, WindowedClientIsThePageCutToTheScreenAndTheWindowIsCentred)
{
    const PagePlacement p = placeWindowed(QSize(1024, 768), QSize(640, 480), QSize(8, 27));
    EXPECT_EQ(p.client, QSize(640, 480));
    EXPECT_EQ(p.page, gdi::Rect::fromSize(0, 0, 640, 480));
    EXPECT_EQ(p.window, gdi::Rect::fromSize(512 - 324, 384 - 253, 648, 507));
    EXPECT_FALSE(scrollBarsNeeded(p.client, QSize(640, 480)).horizontal);

    const PagePlacement big = placeWindowed(QSize(800, 600), QSize(1000, 500));
    EXPECT_EQ(big.client, QSize(800, 500));
    EXPECT_EQ(big.window, gdi::Rect::fromSize(0, 50, 800, 500));
    EXPECT_TRUE(scrollBarsNeeded(big.client, QSize(1000, 500)).horizontal);
    EXPECT_FALSE(scrollBarsNeeded(big.client, QSize(1000, 500)).vertical);
}

TEST(PagePlacement, TheWholeFactorIsTheNarrowerWaysAndNeverBelowOne)
{
    EXPECT_EQ(largestWholeFactor(QSize(1920, 1080), QSize(640, 480)), 2);
    EXPECT_EQ(largestWholeFactor(QSize(3840, 2160), QSize(640, 480)), 4);
    // Exactly three pages tall, one pixel short of three wide.
    EXPECT_EQ(largestWholeFactor(QSize(1919, 1440), QSize(640, 480)), 2);
    EXPECT_EQ(largestWholeFactor(QSize(1920, 1440), QSize(640, 480)), 3);
    // A page larger than the room shows at its size and scrolls.
    EXPECT_EQ(largestWholeFactor(QSize(640, 480), QSize(800, 600)), 1);
    EXPECT_EQ(largestWholeFactor(QSize(0, 0), QSize(640, 480)), 1);
    EXPECT_EQ(largestWholeFactor(QSize(1920, 1080), QSize(0, 480)), 1);
}

class Margins : public ::testing::Test {
protected:
    void paint(ScreenMode mode, FirstPage first)
    {
        surface.fill(kMagenta);
        gdi::Canvas canvas(surface);
        paintMargins(canvas, {QSize(20, 16), kPageRect, mode, first});
    }

    static constexpr gdi::Rect kPageRect{4, 3, 14, 11};
    gdi::Surface surface{20, 16};
};

TEST_F(Margins, FourBandsAroundThePage)
{
    EXPECT_EQ(marginBands(QSize(20, 16), kPageRect),
              (std::vector<gdi::Rect>{{0, 0, 20, 3}, {0, 3, 4, 11}, {14, 3, 20, 11}, {0, 11, 20, 16}}));
    // A page filling or overflowing the client leaves no margin.
    EXPECT_TRUE(marginBands(QSize(20, 16), gdi::Rect{0, 0, 20, 16}).empty());
    EXPECT_TRUE(marginBands(QSize(20, 16), gdi::Rect{-5, -5, 30, 30}).empty());
}

TEST_F(Margins, ButtonFaceWindowedBlackFullScreenAndAllBlackBeforeTheFirstPage)
{
    paint(ScreenMode::Windowed, FirstPage::Shown);
    EXPECT_EQ(countOf(surface, kFace), 20 * 16 - 10 * 8);
    EXPECT_EQ(boundsOf(surface, kMagenta), kPageRect);

    paint(ScreenMode::FullScreen, FirstPage::Shown);
    EXPECT_EQ(countOf(surface, kBlack), 20 * 16 - 10 * 8);
    EXPECT_EQ(boundsOf(surface, kMagenta), kPageRect);

    paint(ScreenMode::Windowed, FirstPage::Pending);
    EXPECT_EQ(countOf(surface, kBlack), 20 * 16);
}

// A text area whose rows are coloured by row, so moved pixels show where
// they came from.
class TextScroll : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int y = 0; y < surface.height(); ++y) {
            for (int x = 0; x < surface.width(); ++x)
                surface.setPixel(x, y, gdi::pixelFromColour(gdi::rgb(x * 10, y * 10, 0)));
        }
    }

    void scroll(const TextScrollChange& change)
    {
        gdi::Canvas canvas(surface);
        scrollTextArea(canvas, kArea, change, [this](const gdi::Region& r) { repaints.push_back(r); });
    }

    static constexpr gdi::Rect kArea{2, 2, 12, 14};
    gdi::Surface surface{16, 16};
    std::vector<gdi::Region> repaints;
};

TEST_F(TextScroll, SidewaysByLessThanTheWidthScrollsElseTheWholeAreaRepaints)
{
    scroll({ScrollAxis::Horizontal, 0, 3, 3, 0});
    ASSERT_EQ(repaints.size(), 1u);
    EXPECT_EQ(repaints[0].boundingRect(), (gdi::Rect{3, 2, 12, 14}));
    EXPECT_EQ(surface.colourAt(2, 7), gdi::rgb(110, 70, 0));

    repaints.clear();
    scroll({ScrollAxis::Horizontal, 3, 0, 4, 0}); // 12 pixels, area 10 wide
    scroll({ScrollAxis::Vertical, 0, 2, 1, 3});   // two lines
    ASSERT_EQ(repaints.size(), 2u);
    EXPECT_EQ(repaints[0].boundingRect(), kArea);
    EXPECT_EQ(repaints[1].boundingRect(), kArea);
    EXPECT_EQ(repaints[1].area(), 10 * 12);

    repaints.clear();
    scroll({ScrollAxis::Vertical, 2, 2, 1, 3});
    EXPECT_TRUE(repaints.empty());
}

// An article whose text engine paints each content row in its own colour,
// so a strip repaint after a scroll can be compared with a full paint.
class ArticleScroll : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        context.scrollBars = &store;
        context.paintArticleText = [](gdi::Canvas& canvas, const ArticleTextRequest& request) {
            for (int y = request.inner.top; y < request.inner.bottom; ++y) {
                const int row = y - request.inner.top + request.verticalPosition;
                canvas.fillRect({request.inner.left, y, request.inner.right, y + 1},
                                gdi::Brush::solid(gdi::rgb(row * 3, 255 - row, 90)));
            }
            return ArticleTextResult{80};
        };
        article = &add(*page, ObjectKind::Article, 2, 2, 30, 28, kWhite);
        article->article()->WindowFlags = windowflags::kVerticalBar;
        article->article()->YRange = 80;
        article->article()->MaxLineHeight = 5;
    }

    // The article painted whole with its bar at a position.
    gdi::Surface paintedAt(int position)
    {
        store.of(*article).vertical.position = position;
        gdi::Surface s(40, 34, kMagenta);
        gdi::Canvas canvas(s);
        renderer().paintObjects(canvas, kOrigin, *page);
        return s;
    }

    static constexpr QPoint kOrigin{3, 2};
    ScrollBarStore store;
    Object_Rec* article = nullptr;
};

TEST_F(ArticleScroll, OneLineScrollRepaintsOnlyTheStripAndMatchesAFullPaint)
{
    gdi::Surface s = paintedAt(10);
    ObjectScrollBar& bar = store.of(*article).vertical;
    ASSERT_TRUE(bar.visible);
    ASSERT_EQ(bar.unit, 5);
    const gdi::Rect area = articleTextArea(*article, &store.of(*article)).translated(kOrigin.x(), kOrigin.y());
    EXPECT_EQ(area, (gdi::Rect{3 + 3, 3 + 2, 29 - 16 + 3, 27 + 2}));

    bar.position = 15;
    std::vector<gdi::Region> strips;
    gdi::Canvas canvas(s);
    scrollTextArea(canvas, area, barChange(ScrollAxis::Vertical, bar, 10), [&](const gdi::Region& strip) {
        strips.push_back(strip);
        renderer().paintObjectIn(canvas, strip, kOrigin, *article);
    });
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_EQ(strips[0].boundingRect(), (gdi::Rect{area.left, area.bottom - 5, area.right, area.bottom}));
    EXPECT_TRUE(sameArea(s, paintedAt(15), s.rect()));

    // Two lines at once is not a one-step move: the whole area repaints.
    strips.clear();
    bar.position = 25;
    scrollTextArea(canvas, area, barChange(ScrollAxis::Vertical, bar, 15),
                   [&](const gdi::Region& strip) { strips.push_back(strip); });
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_EQ(strips[0].boundingRect(), area);
}

TEST(TextScrollPlan, ModelBarsCountPixels)
{
    ObjectScrollBar bar;
    bar.unit = 5;
    bar.position = 3;
    const gdi::Rect area{0, 0, 40, 30};
    const TextScrollPlan sideways = planTextScroll(barChange(ScrollAxis::Horizontal, bar, 0), area);
    EXPECT_EQ(sideways.kind, TextScrollKind::Scroll);
    EXPECT_EQ(sideways.dx, -3);

    bar.position = 20;
    const TextScrollPlan up = planTextScroll(barChange(ScrollAxis::Vertical, bar, 25), area);
    EXPECT_EQ(up.kind, TextScrollKind::Scroll);
    EXPECT_EQ(up.dy, 5);
    EXPECT_EQ(planTextScroll(barChange(ScrollAxis::Vertical, bar, 23), area).kind, TextScrollKind::Whole);
    EXPECT_EQ(planTextScroll(barChange(ScrollAxis::Vertical, bar, 20), area).kind, TextScrollKind::None);
    // A line as tall as the area leaves nothing worth moving.
    EXPECT_EQ(planTextScroll({ScrollAxis::Vertical, 0, 1, 1, 30}, area).kind, TextScrollKind::Whole);
}

} // namespace
} // namespace lumeria::test
