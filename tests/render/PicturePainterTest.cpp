#include "RenderTestSupport.h"

#include "render/ObjectScrollBars.h"

#include <map>

namespace lumeria::test {
namespace {

class PictureTest : public PainterFixture {
protected:
    void SetUp() override
    {
        PainterFixture::SetUp();
        context.scrollBars = &store;
    }

    Object_Rec picture(int x1, int y1, int x2, int y2, const QString& name = QStringLiteral("P.BMP"))
    {
        Object_Rec o = objectAt(ObjectKind::Picture, x1, y1, x2, y2);
        o.picture()->FileName = name;
        return o;
    }

    // Left columns red, the rest blue.
    static DecodedPicture split(int w, int h, int redColumns)
    {
        DecodedPicture p = solidPicture(w, h, kBlue);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < redColumns; ++x)
                setPicturePixel(p, x, y, kRed);
        }
        return p;
    }

    ScrollBarStore store;
};

TEST_F(PictureTest, MissingPictureIsWhiteWithOutlineAndDiagonals)
{
    resize(20, 20, kBlue);
    Object_Rec o = picture(2, 2, 12, 12, QStringLiteral("NONE.BMP"));
    paint(o);
    EXPECT_EQ(at(2, 2), kBlack);
    EXPECT_EQ(at(11, 11), kBlack);
    EXPECT_EQ(at(2, 11), kBlack);
    EXPECT_EQ(at(11, 2), kBlack);
    EXPECT_EQ(at(5, 5), kBlack);
    EXPECT_EQ(at(5, 8), kBlack);
    EXPECT_EQ(at(7, 4), kWhite);
    EXPECT_EQ(at(12, 12), kBlue);
    EXPECT_EQ(at(1, 1), kBlue);
    EXPECT_EQ(countOf(surface, kBlack), 36 + 2 * 8 - 0);
}

TEST_F(PictureTest, PlaceholderSitsInsideTheOutline)
{
    Object_Rec o = picture(0, 0, 12, 12, QStringLiteral("NONE.BMP"));
    o.LineWidth = 2;
    o.LineColor = int32_t(kRed);
    paint(o);
    EXPECT_EQ(at(0, 0), kRed);
    EXPECT_EQ(at(1, 1), kRed);
    EXPECT_EQ(at(2, 2), kBlack);
    EXPECT_EQ(at(9, 9), kBlack);
    EXPECT_EQ(at(10, 10), kRed);
}

TEST_F(PictureTest, ContentsOnlyRepaintDrawsNoPlaceholder)
{
    Object_Rec o = picture(0, 0, 10, 10, QStringLiteral("NONE.BMP"));
    gdi::Canvas canvas(surface);
    ObjectPainter(canvas, context).paintPicture({}, o, PicturePaint::ContentsOnly);
    EXPECT_EQ(countOf(surface, kWhite), 400);
}

TEST_F(PictureTest, UnscaledPictureIsCutAtTheInnerRectangle)
{
    pictures[QStringLiteral("P.BMP")] = solidPicture(8, 8, kRed);
    paint(picture(2, 2, 6, 5));
    EXPECT_EQ(at(2, 2), kRed);
    EXPECT_EQ(at(5, 4), kRed);
    EXPECT_EQ(at(6, 4), kWhite);
    EXPECT_EQ(at(5, 5), kWhite);
    EXPECT_EQ(countOf(surface, kRed), 12);
}

TEST_F(PictureTest, OutlineWiderThanTheObjectLeavesNoRoomForThePicture)
{
    pictures[QStringLiteral("P.BMP")] = solidPicture(20, 20, kRed);
    for (bool scale : {false, true}) {
        resize(20, 20, kBlue);
        Object_Rec o = picture(4, 4, 10, 10);
        o.FillPattern = 1;
        o.LineWidth = 5;
        o.picture()->Scale = scale;
        paint(o);
        EXPECT_EQ(countOf(surface, kRed), 0) << scale;
    }
    // Scrolled, the picture would start left of and above the object.
    resize(20, 20, kBlue);
    Object_Rec o = picture(4, 4, 10, 10);
    o.FillPattern = 1;
    o.LineWidth = 5;
    o.picture()->WindowFlags = windowflags::kHorizontalBar | windowflags::kVerticalBar;
    store.of(o).horizontal.position = 10;
    store.of(o).vertical.position = 10;
    paint(o);
    EXPECT_EQ(countOf(surface, kRed), 0);
}

TEST_F(PictureTest, ScaledPictureFillsTheInnerRectangle)
{
    DecodedPicture p = split(2, 2, 1);
    pictures[QStringLiteral("P.BMP")] = p;
    Object_Rec o = picture(0, 0, 10, 8);
    o.picture()->Scale = true;
    paint(o);
    EXPECT_EQ(at(0, 0), kRed);
    EXPECT_EQ(at(4, 7), kRed);
    EXPECT_EQ(at(5, 0), kBlue);
    EXPECT_EQ(at(9, 7), kBlue);
    EXPECT_EQ(at(10, 0), kWhite);
    EXPECT_EQ(at(0, 8), kWhite);
}

TEST_F(PictureTest, AspectRatioKeepsTheTopLeftCorner)
{
    EXPECT_EQ(aspectFit({0, 0, 20, 6}, QSize(4, 2)), (gdi::Rect{0, 0, 12, 6}));
    EXPECT_EQ(aspectFit({5, 5, 25, 45}, QSize(4, 2)), (gdi::Rect{5, 5, 25, 15}));
    EXPECT_EQ(aspectFit({0, 0, 100, 100}, QSize(3, 1)), (gdi::Rect{0, 0, 100, 33}));
    // 7 wide would be 7 * 2 / 3 = 4.67, rounded to 5: too high for 4.
    EXPECT_EQ(aspectFit({0, 0, 50, 4}, QSize(3, 2)), (gdi::Rect{0, 0, 6, 4}));
    EXPECT_EQ(aspectFit({0, 0, 30000, 1}, QSize(16384, 1)), (gdi::Rect{0, 0, 24575, 1}));
    EXPECT_TRUE(aspectFit({0, 0, 0, 10}, QSize(3, 2)).isEmpty());
    // Against the rule itself: the widest width whose rounded height fits.
    for (int pw = 1; pw < 9; ++pw) {
        for (int ph = 1; ph < 9; ++ph) {
            for (int h = 1; h < 12; ++h) {
                const gdi::Rect fit = aspectFit({0, 0, 40, h}, QSize(pw, ph));
                int widest = 0;
                for (int w = 1; w <= 40; ++w) {
                    if ((2 * w * ph + pw) / (2 * pw) <= h)
                        widest = w;
                }
                ASSERT_EQ(fit.width(), widest) << pw << "x" << ph << " in 40x" << h;
            }
        }
    }
    EXPECT_TRUE(aspectFit({0, 0, 10, 10}, QSize(0, 2)).isEmpty());

    pictures[QStringLiteral("P.BMP")] = solidPicture(4, 2, kRed);
    resize(30, 10);
    Object_Rec o = picture(0, 0, 20, 6);
    o.picture()->Scale = true;
    o.picture()->AspectRatio = true;
    paint(o);
    EXPECT_EQ(at(0, 0), kRed);
    EXPECT_EQ(at(11, 5), kRed);
    EXPECT_EQ(at(12, 0), kWhite);
    EXPECT_EQ(countOf(surface, kRed), 72);
}

TEST_F(PictureTest, TransparentPictureShowsTheBackgroundThroughItsKeyColour)
{
    DecodedPicture p = solidPicture(4, 4, kRed);
    setPicturePixel(p, 0, 3, kMagenta);
    setPicturePixel(p, 1, 1, kMagenta);
    pictures[QStringLiteral("P.BMP")] = p;
    resize(20, 20, kBlue);
    Object_Rec o = picture(0, 0, 4, 4);
    o.picture()->TransImages = true;
    paint(o);
    EXPECT_EQ(at(0, 3), kBlue);
    EXPECT_EQ(at(1, 1), kBlue);
    EXPECT_EQ(at(0, 0), kRed);
    EXPECT_EQ(countOf(surface, kRed), 14);

    // Scaled, the key pixels grow with the picture.
    resize(20, 20, kBlue);
    o.X2 = 8;
    o.Y2 = 8;
    o.picture()->Scale = true;
    paint(o);
    EXPECT_EQ(at(2, 2), kBlue);
    EXPECT_EQ(at(3, 3), kBlue);
    EXPECT_EQ(at(1, 7), kBlue);
    EXPECT_EQ(countOf(surface, kRed), 56);
}

TEST_F(PictureTest, ScrollOffsetsMoveThePictureUnderItsBars)
{
    pictures[QStringLiteral("P.BMP")] = split(12, 8, 4);
    resize(30, 30);
    Object_Rec o = picture(0, 0, 8, 24);
    o.picture()->WindowFlags = windowflags::kHorizontalBar;
    paint(o);
    const ObjectScrollBars& bars = store.of(o);
    ASSERT_TRUE(bars.horizontal.visible);
    EXPECT_FALSE(bars.vertical.visible);
    EXPECT_EQ(bars.horizontal.rect, (gdi::Rect{0, 8, 8, 24}));
    EXPECT_EQ(bars.horizontal.range, 12);
    EXPECT_EQ(bars.horizontal.page, 8);
    EXPECT_EQ(at(0, 0), kRed);
    EXPECT_EQ(at(4, 0), kBlue);
    EXPECT_EQ(at(0, 8), kWhite); // the bar's room, left to its widget

    store.of(o).horizontal.position = 4;
    resize(30, 30);
    gdi::Canvas canvas(surface);
    ObjectPainter(canvas, context).paintPicture({}, o, PicturePaint::ContentsOnly);
    EXPECT_EQ(at(0, 0), kBlue);
    EXPECT_EQ(at(7, 7), kBlue);
    EXPECT_EQ(at(8, 0), kWhite);

    store.of(o).horizontal.position = 100;
    paint(o);
    EXPECT_EQ(store.of(o).horizontal.position, 4);
}

TEST_F(PictureTest, MissingPictureHidesItsBars)
{
    Object_Rec o = picture(0, 0, 40, 40, QStringLiteral("NONE.BMP"));
    o.picture()->WindowFlags = windowflags::kHorizontalBar | windowflags::kVerticalBar;
    store.of(o).vertical.visible = true;
    store.of(o).horizontal.visible = true;
    paint(o);
    EXPECT_FALSE(store.of(o).vertical.visible);
    EXPECT_FALSE(store.of(o).horizontal.visible);
}

TEST(ScrollBarModel, SidesFollowScrollPos)
{
    ObjectScrollBars bars;
    const gdi::Rect inner{0, 0, 100, 80};
    gdi::Rect content = layoutScrollBars(bars, {16 | 32, 0, 0}, inner, 300, 200);
    EXPECT_EQ(bars.vertical.rect, (gdi::Rect{84, 0, 100, 64}));
    EXPECT_EQ(bars.horizontal.rect, (gdi::Rect{0, 64, 84, 80}));
    EXPECT_EQ(content, (gdi::Rect{0, 0, 84, 64}));
    EXPECT_EQ(bars.vertical.page, 64);
    EXPECT_EQ(bars.vertical.range, 200);
    EXPECT_EQ(bars.vertical.maxPosition(), 136);

    content = layoutScrollBars(bars, {16 | 32, 1, 8}, inner, 300, 200);
    EXPECT_EQ(bars.vertical.side, ScrollBarSide::Left);
    EXPECT_EQ(bars.horizontal.side, ScrollBarSide::Top);
    EXPECT_EQ(bars.vertical.rect, (gdi::Rect{0, 16, 16, 80}));
    EXPECT_EQ(bars.horizontal.rect, (gdi::Rect{16, 0, 100, 16}));
    EXPECT_EQ(content, (gdi::Rect{16, 16, 100, 80}));

    content = layoutScrollBars(bars, {0, 1, 8}, inner, 300, 200);
    EXPECT_FALSE(bars.vertical.visible);
    EXPECT_FALSE(bars.horizontal.visible);
    EXPECT_EQ(content, inner);
}

TEST_F(PictureTest, ArticleFrameHandsTheInnerRectangleToTheTextEngine)
{
    std::vector<ArticleTextRequest> requests;
    context.paintArticleText = [&](gdi::Canvas& canvas, const ArticleTextRequest& r) {
        requests.push_back(r);
        canvas.fillRect({-50, -50, 500, 500}, gdi::Brush::solid(kYellow)); // the clip holds it in
        return ArticleTextResult{500};
    };
    resize(80, 60);
    Object_Rec o = objectAt(ObjectKind::Article, 10, 10, 70, 50);
    o.LineWidth = 1;
    o.FillColor = int32_t(kGreen);
    Article_Rec& a = *o.article();
    a.FileName = QStringLiteral("STORY.TXT");
    a.TextColor = int32_t(kBlue);
    a.WindowFlags = windowflags::kVerticalBar;
    a.VScrollPos = 1;
    a.MaxLineHeight = 14;
    paint(o, QPoint(2, 3));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].fileName, QStringLiteral("STORY.TXT"));
    EXPECT_EQ(requests[0].inner, (gdi::Rect{27, 11, 69, 49}));
    EXPECT_EQ(requests[0].background, kGreen);
    EXPECT_EQ(requests[0].textColour, kBlue);
    EXPECT_EQ(inkBounds(surface, kWhite), (gdi::Rect{12, 13, 72, 53}));
    EXPECT_EQ(at(29, 14), kYellow);
    EXPECT_EQ(at(28, 14), kGreen);
    EXPECT_EQ(at(71, 52), kBlack);
    const ObjectScrollBars& bars = store.of(o);
    EXPECT_EQ(bars.vertical.range, 500);
    EXPECT_EQ(bars.vertical.unit, 14);
    EXPECT_EQ(bars.vertical.rect, (gdi::Rect{11, 11, 27, 49}));
}

} // namespace
} // namespace lumeria::test
