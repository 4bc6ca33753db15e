// The page between paints: what is marked, what is painted, what reaches
// the screen and when.
#include "RenderTestSupport.h"

#include "document/Document.h"
#include "render/PageLayout.h"
#include "render/PageView.h"

#include <vector>

namespace lumeria::test {
namespace {

constexpr QSize kSize{20, 16};

QRgb rgbOf(gdi::ColorRef c)
{
    return gdi::pixelFromColour(c) & 0xFFFFFFu;
}

class PageViewTest : public ::testing::Test {
protected:
    struct Presented {
        gdi::Rect area;
        Present when;
        bool duringTransition;
    };

    void SetUp() override
    {
        ensureGuiApplication();
        page = document.appendPage("One", Palette{});
        page->PageColor = int32_t(kWhite);
        add(*page, 2, 2, 8, 8, kRed);
        add(*page, 6, 6, 12, 12, kBlue);
        PageView::Callbacks callbacks;
        callbacks.present = [this](const gdi::Rect& area, Present when) {
            presented.push_back({area, when, view && view->inTransition()});
        };
        callbacks.focus = [this] { return focus; };
        callbacks.pause = [this](int ms) { pauses.push_back(ms); };
        view = std::make_unique<PageView>(document, renderer, kSize, std::move(callbacks));
    }

    Object_Rec& add(Page_Rec& on, int x1, int y1, int x2, int y2, gdi::ColorRef fill)
    {
        Object_Rec* o = document.appendObject(on, static_cast<uint8_t>(ObjectKind::Rectangle));
        *o = objectAt(ObjectKind::Rectangle, x1, y1, x2, y2);
        o->FillColor = int32_t(fill);
        o->LineColor = int32_t(fill);
        o->LineWidth = 1;
        return *o;
    }

    QRgb at(int x, int y) { return view->image().pixel(x, y) & 0xFFFFFFu; }

    void paintAll()
    {
        view->invalidateAll();
        view->renderDirty();
        presented.clear();
    }

    Document document;
    Page_Rec* page = nullptr;
    PaintContext context;
    PageRenderer renderer{document, context, kSize};
    PageView::Focus focus;
    std::vector<Presented> presented;
    std::vector<int> pauses;
    std::unique_ptr<PageView> view;
};

TEST_F(PageViewTest, OnlyWhatIsMarkedIsPaintedAndItReachesTheScreenWithTheNextPaint)
{
    view->invalidate(gdi::Rect{0, 0, 4, 4});
    view->invalidate(gdi::Rect{-9, -9, -1, -1}); // off the page: nothing to do
    ASSERT_EQ(presented.size(), 1u);
    EXPECT_EQ(presented[0].area, (gdi::Rect{0, 0, 4, 4}));
    EXPECT_EQ(presented[0].when, Present::Later);

    view->renderDirty();
    EXPECT_EQ(at(1, 1), rgbOf(kWhite));
    EXPECT_EQ(at(3, 3), rgbOf(kRed));
    EXPECT_EQ(at(10, 10), rgbOf(kBlack)); // never marked, never painted
}

TEST_F(PageViewTest, AnObjectRedrawsAloneOverWhatCoversItOrThroughThePage)
{
    paintAll();
    Object_Rec& red = *page->Objects[0];
    red.FillColor = int32_t(kGreen);
    red.LineColor = int32_t(kGreen);

    view->redrawObject(red, Redraw::Area);
    EXPECT_EQ(at(3, 3), rgbOf(kGreen));
    EXPECT_EQ(at(7, 7), rgbOf(kBlue)); // the later object stays on top

    view->redrawObject(red, Redraw::Alone);
    EXPECT_EQ(at(7, 7), rgbOf(kGreen)); // alone means over everything

    presented.clear();
    view->redrawObject(red, Redraw::Later);
    EXPECT_EQ(at(7, 7), rgbOf(kGreen)); // marked, not painted yet
    ASSERT_EQ(presented.size(), 1u);
    EXPECT_EQ(presented[0].area, objectRepaintRect(red, QPoint(0, 0)));
    view->renderDirty();
    EXPECT_EQ(at(7, 7), rgbOf(kBlue));
}

// A found place flashes eight times, each step on screen at once, and the
// page is left as it was; what was waiting to be painted is painted first,
// or the flash would invert a stale picture.
TEST_F(PageViewTest, AFlashPaintsWhatIsPendingAndLeavesThePageAsItWas)
{
    paintAll();
    page->Objects[1]->FillColor = int32_t(kGreen);
    view->invalidate(gdi::Rect{0, 0, kSize.width(), kSize.height()});
    presented.clear();

    view->flash(gdi::Rect{5, 5, 9, 9});
    ASSERT_EQ(presented.size(), 8u);
    for (const Presented& p : presented) {
        EXPECT_EQ(p.when, Present::Now);
        EXPECT_EQ(p.area, (gdi::Rect{5, 5, 9, 9}));
    }
    EXPECT_EQ(pauses, std::vector<int>(8, 50));
    EXPECT_EQ(at(7, 7), rgbOf(kGreen));
    EXPECT_EQ(at(3, 3), rgbOf(kRed));
}

TEST_F(PageViewTest, TheFocusFrameComesAndGoesInExclusiveOr)
{
    paintAll();
    const QImage before = view->image().copy();
    const Object_Rec& red = *page->Objects[0];
    view->toggleFocusFrame(red);
    EXPECT_NE(view->image(), before);
    view->toggleFocusFrame(red);
    EXPECT_EQ(view->image(), before);

    // A repaint through the page draws the frame where the focus says so.
    focus = {&red, FocusMarker::Show};
    paintAll();
    view->toggleFocusFrame(red);
    EXPECT_EQ(view->image(), before);
}

TEST_F(PageViewTest, ATransitionLeavesTheNewPageAndShowsEveryStepAtOnce)
{
    paintAll();
    Page_Rec* next = document.appendPage("Two", Palette{});
    next->PageColor = int32_t(kYellow);
    next->PageEffect = 1; // dissolve
    int started = 0;
    ASSERT_TRUE(view->transitionTo(*next, [&] { ++started; }));
    EXPECT_EQ(started, 1);
    ASSERT_FALSE(presented.empty());
    for (const Presented& p : presented) {
        EXPECT_EQ(p.when, Present::Now);
        EXPECT_TRUE(p.duringTransition);
    }
    EXPECT_FALSE(view->inTransition());
    for (int y = 0; y < kSize.height(); ++y) {
        for (int x = 0; x < kSize.width(); ++x)
            ASSERT_EQ(at(x, y), rgbOf(kYellow)) << x << "," << y;
    }
}

} // namespace
} // namespace lumeria::test
