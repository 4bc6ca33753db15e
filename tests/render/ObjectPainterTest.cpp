#include "RenderTestSupport.h"

#include <climits>

namespace lumeria::test {
namespace {

class ObjectFill : public PainterFixture {
protected:
    Object_Rec square(uint8_t pattern, bool transparent, int lineWidth = 0)
    {
        Object_Rec o = objectAt(ObjectKind::Rectangle, 0, 0, 8, 8);
        o.FillColor = int32_t(kRed);
        o.FillPattern = pattern;
        o.FillMode = transparent;
        o.LineWidth = lineWidth;
        return o;
    }
};

TEST_F(ObjectFill, SolidFillInsideOnePixelOutline)
{
    Object_Rec o = square(0, false, 1);
    o.LineColor = int32_t(kBlue);
    paint(o);
    EXPECT_EQ(at(0, 0), kBlue);
    EXPECT_EQ(at(7, 7), kBlue);
    EXPECT_EQ(at(1, 1), kRed);
    EXPECT_EQ(at(6, 6), kRed);
    EXPECT_EQ(at(8, 8), kWhite);
}

TEST_F(ObjectFill, WithoutOutlineTheFillStopsOnePixelShortButAnArticleDoesNot)
{
    paint(square(0, false));
    EXPECT_EQ(at(6, 6), kRed);
    EXPECT_EQ(at(7, 7), kWhite);
    EXPECT_EQ(at(7, 0), kWhite);

    resize(20, 20);
    Object_Rec article = objectAt(ObjectKind::Article, 0, 0, 8, 8);
    article.FillColor = int32_t(kRed);
    paint(article);
    EXPECT_EQ(at(7, 7), kRed);
    EXPECT_EQ(at(8, 8), kWhite);
}

TEST_F(ObjectFill, PatternOneLeavesTheBackground)
{
    resize(20, 20, kBlue);
    Object_Rec o = square(1, false, 1);
    paint(o);
    EXPECT_EQ(at(0, 0), kBlack);
    EXPECT_EQ(countOf(surface, kBlue), 20 * 20 - 28);
}

TEST_F(ObjectFill, CheckerboardSeenThroughWhenTransparent)
{
    resize(20, 20, kBlue);
    paint(square(3, true));
    // Row 0 of pattern 3 is AA: ink (0 bits) at odd columns; row 1 the
    // other way round.
    EXPECT_EQ(at(0, 0), kBlue);
    EXPECT_EQ(at(1, 0), kRed);
    EXPECT_EQ(at(0, 1), kRed);
    EXPECT_EQ(at(1, 1), kBlue);
    EXPECT_EQ(at(6, 5), kRed);
    EXPECT_EQ(at(7, 7), kBlue); // outside: no pen, one pixel short
}

TEST_F(ObjectFill, OpaquePatternPaintsItsBackgroundWhite)
{
    resize(20, 20, kBlue);
    paint(square(3, false));
    EXPECT_EQ(at(0, 0), kWhite);
    EXPECT_EQ(at(1, 0), kRed);
    EXPECT_EQ(at(0, 1), kRed);
    EXPECT_EQ(at(7, 7), kBlue);
}

TEST_F(ObjectFill, PatternKeepsItsPhaseWhenTheObjectMoves)
{
    resize(20, 20, kBlue);
    paint(square(3, true), QPoint(1, 0));
    // The object's first pixel is now device (1, 0), an ink pixel of the
    // surface-aligned pattern.
    EXPECT_EQ(at(1, 0), kRed);
    EXPECT_EQ(at(2, 0), kBlue);
    EXPECT_EQ(at(0, 0), kBlue);
}

TEST_F(ObjectFill, PatternFillIsFollowedByTheOutlineOnly)
{
    resize(20, 20, kBlue);
    Object_Rec o = square(5, true, 1); // 00 FF: ink on even rows
    o.LineColor = int32_t(kBlack);
    paint(o);
    EXPECT_EQ(at(0, 0), kBlack);
    EXPECT_EQ(at(3, 2), kRed);
    EXPECT_EQ(at(3, 3), kBlue);
    EXPECT_EQ(at(7, 3), kBlack);
}

TEST_F(ObjectFill, SystemColoursComeFromTheClassicScheme)
{
    Object_Rec o = square(0, false, 1);
    o.FillColor = int32_t(gdi::systemColour(gdi::SystemColour::ButtonFace));
    o.LineColor = int32_t(gdi::systemColour(gdi::SystemColour::ButtonShadow));
    paint(o);
    EXPECT_EQ(at(3, 3), kFace);
    EXPECT_EQ(at(0, 0), kShadow);

    resize(20, 20, kBlue);
    o = square(3, true);
    o.FillColor = int32_t(gdi::systemColour(gdi::SystemColour::ButtonFace));
    paint(o);
    EXPECT_EQ(at(1, 0), kFace);
    EXPECT_EQ(at(0, 0), kBlue);
}

TEST_F(ObjectFill, ArticlePatternCoversExactlyItsRectangle)
{
    resize(20, 20, kBlue);
    Object_Rec o = objectAt(ObjectKind::Article, 2, 2, 10, 10);
    o.FillPattern = 5; // ink on even rows
    o.FillColor = int32_t(kRed);
    paint(o);
    EXPECT_EQ(at(2, 2), kRed);
    EXPECT_EQ(at(9, 8), kRed);
    EXPECT_EQ(at(9, 9), kWhite);
    EXPECT_EQ(at(10, 8), kBlue);
    EXPECT_EQ(at(2, 10), kBlue);
    EXPECT_EQ(countOf(surface, kRed) + countOf(surface, kWhite), 64);
}

TEST_F(ObjectFill, UnknownPatternNumberFillsNothing)
{
    resize(20, 20, kBlue);
    Object_Rec o = square(200, false, 1);
    paint(o);
    EXPECT_EQ(at(3, 3), kBlue);
    EXPECT_EQ(at(0, 0), kBlack);
}

class ObjectOutline : public PainterFixture {
protected:
    void SetUp() override
    {
        PainterFixture::SetUp();
        resize(44, 44);
    }
    Object_Rec frame(int width, uint8_t style)
    {
        Object_Rec o = objectAt(ObjectKind::Rectangle, 0, 0, 40, 40);
        o.FillPattern = 1;
        o.LineWidth = width;
        o.LineStyle = style;
        return o;
    }
    int topRowInk(int y = 0) const
    {
        int n = 0;
        for (int x = 0; x < 40; ++x)
            n += at(x, y) == kBlack ? 1 : 0;
        return n;
    }
};

TEST_F(ObjectOutline, WidthZeroDrawsNothing)
{
    paint(frame(0, 0));
    EXPECT_EQ(countOf(surface, kWhite), 44 * 44);
}

TEST_F(ObjectOutline, WidthOneHonoursTheDashStyle)
{
    paint(frame(1, 0));
    EXPECT_EQ(topRowInk(), 40);
    resize(44, 44);
    paint(frame(1, 1));
    EXPECT_GT(topRowInk(), 20);
    EXPECT_LT(topRowInk(), 40);
}

TEST_F(ObjectOutline, WideOutlineIsSolidAndInsideTheFrame)
{
    paint(frame(3, 1));
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(topRowInk(y), 40) << y;
    EXPECT_EQ(at(3, 3), kWhite);
    EXPECT_EQ(at(39, 39), kBlack);
    EXPECT_EQ(at(40, 40), kWhite);
}

class ObjectShape : public PainterFixture {};

// The object's drawing against the canvas primitive with the corner the
// rule gives.
void expectSameAsRoundRect(int w, int h, int corner)
{
    gdi::Surface painted(w + 2, h + 2);
    gdi::Surface expected(w + 2, h + 2);
    Object_Rec o = objectAt(ObjectKind::Rectangle, 0, 0, w, h);
    o.LineWidth = 1;
    o.LineOrigin = 1;
    o.FillPattern = 1;
    PaintContext context;
    gdi::Canvas canvas(painted);
    ObjectPainter(canvas, context).paintObject({}, o);
    gdi::Canvas reference(expected);
    reference.setBrush(gdi::Brush::none());
    reference.drawRoundRect({0, 0, w, h}, corner, corner);
    for (int y = 0; y < h + 2; ++y) {
        for (int x = 0; x < w + 2; ++x)
            ASSERT_EQ(painted.colourAt(x, y), expected.colourAt(x, y)) << w << "x" << h << " at " << x << "," << y;
    }
}

TEST_F(ObjectShape, RoundedCornersAreAQuarterOfTheSmallerSideUpToFifteen)
{
    expectSameAsRoundRect(40, 200, 10);
    expectSameAsRoundRect(400, 400, 15);
    expectSameAsRoundRect(12, 8, 2);
}

TEST_F(ObjectShape, RectangleWithLineOriginOneHasRoundCorners)
{
    Object_Rec o = objectAt(ObjectKind::Rectangle, 0, 0, 16, 16);
    o.LineWidth = 1;
    o.FillPattern = 1;
    paint(o);
    EXPECT_EQ(at(0, 0), kBlack);
    resize(20, 20);
    o.LineOrigin = 1;
    paint(o);
    EXPECT_EQ(at(0, 0), kWhite);
    EXPECT_EQ(at(8, 0), kBlack);
}

TEST_F(ObjectShape, EllipseIsInscribed)
{
    Object_Rec o = objectAt(ObjectKind::Ellipse, 0, 0, 16, 10);
    o.LineWidth = 1;
    o.FillColor = int32_t(kRed);
    paint(o);
    gdi::Surface expected(20, 20);
    gdi::Canvas reference(expected);
    reference.setBrush(gdi::Brush::solid(kRed));
    reference.drawEllipse({0, 0, 16, 10});
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(at(x, y), expected.colourAt(x, y)) << x << "," << y;
    }
    EXPECT_EQ(at(0, 0), kWhite);
    EXPECT_EQ(at(8, 5), kRed);
}

TEST_F(ObjectShape, LineRunsBetweenTheCornersLineOriginNames)
{
    Object_Rec o = objectAt(ObjectKind::Line, 2, 2, 7, 7);
    o.LineWidth = 1;
    paint(o);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(at(2 + i, 2 + i), kBlack) << i;
    EXPECT_EQ(at(7, 7), kWhite); // GDI leaves out the last point
    EXPECT_EQ(countOf(surface, kBlack), 5);

    resize(20, 20);
    o.LineOrigin = 1;
    paint(o);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(at(2 + i, 7 - i), kBlack) << i;
    EXPECT_EQ(at(7, 2), kWhite);
    EXPECT_EQ(at(2, 2), kWhite);
}

TEST_F(ObjectShape, LineIsNeverFilledAndNeedsAPen)
{
    Object_Rec o = objectAt(ObjectKind::Line, 0, 5, 10, 5);
    o.FillColor = int32_t(kRed);
    paint(o);
    EXPECT_EQ(countOf(surface, kWhite), 400);
}

class ObjectClip : public PainterFixture {};

TEST_F(ObjectClip, ObjectOutsideTheClipIsNotEvenLoaded)
{
    int loads = 0;
    context.loadPicture = [&](const QString&) -> std::optional<DecodedPicture> {
        ++loads;
        return std::nullopt;
    };
    Object_Rec o = objectAt(ObjectKind::Picture, 10, 10, 15, 15);
    o.picture()->FileName = QStringLiteral("A.BMP");
    gdi::Canvas canvas(surface);
    canvas.clipTo(gdi::Rect{0, 0, 10, 10});
    ObjectPainter painter(canvas, context);
    painter.paintObject({}, o);
    EXPECT_EQ(loads, 0);
    painter.paintObject({-1, -1}, o);
    EXPECT_EQ(loads, 1);
}

TEST_F(ObjectClip, FlatObjectsCountAsOnePixelWide)
{
    gdi::Canvas canvas(surface);
    canvas.clipTo(gdi::Rect{5, 0, 6, 20});
    ObjectPainter painter(canvas, context);
    EXPECT_TRUE(painter.meetsClip({}, objectAt(ObjectKind::Line, 5, 2, 5, 12)));
    EXPECT_FALSE(painter.meetsClip({}, objectAt(ObjectKind::Line, 6, 2, 6, 12)));
    EXPECT_TRUE(painter.meetsClip({}, objectAt(ObjectKind::Line, 0, 4, 10, 4)));
    EXPECT_TRUE(painter.meetsClip({2, 0}, objectAt(ObjectKind::Line, 3, 2, 3, 12)));
}

TEST_F(ObjectClip, PageOriginMovesEveryKindAndTheCanvasIsLeftAsFound)
{
    gdi::Canvas canvas(surface);
    canvas.setPen(gdi::Pen::solid(kBlue, 3));
    canvas.setBrush(gdi::Brush::solid(kGreen));
    canvas.setTextColour(kYellow);
    const gdi::DcState before = canvas.state();
    ObjectPainter painter(canvas, context);

    Object_Rec rect = objectAt(ObjectKind::Rectangle, 0, 0, 4, 4);
    rect.LineWidth = 1;
    rect.FillColor = int32_t(kRed);
    rect.FillPattern = 3;
    painter.paintObject({5, 6}, rect);
    Object_Rec text = objectAt(ObjectKind::Text, 0, 0, 4, 4);
    text.text()->Text = QStringLiteral("x");
    painter.paintObject({5, 6}, text);
    Object_Rec box = objectAt(ObjectKind::Button, 0, 0, 20, 13);
    box.button()->Style = static_cast<uint8_t>(ButtonStyle::CheckBox);
    painter.paintObject({0, 7}, box);

    EXPECT_EQ(at(5, 6), kBlack);
    EXPECT_EQ(at(4, 5), kWhite);
    EXPECT_EQ(at(0, 7), kShadow);
    EXPECT_EQ(canvas.state().origin, before.origin);
    EXPECT_EQ(canvas.state().pen, before.pen);
    EXPECT_EQ(canvas.state().brush, before.brush);
    EXPECT_EQ(canvas.state().rop2, before.rop2);
    EXPECT_EQ(canvas.state().textColour, before.textColour);
    EXPECT_EQ(canvas.state().backgroundMode, before.backgroundMode);
    EXPECT_EQ(canvas.state().backgroundColour, before.backgroundColour);
    EXPECT_TRUE(canvas.state().font == before.font);
}

TEST_F(ObjectClip, AbsurdCoordinatesDoNotCrash)
{
    for (uint8_t kind = 2; kind <= 8; ++kind) {
        Object_Rec o = objectAt(static_cast<ObjectKind>(kind), INT_MIN, INT_MIN, INT_MAX, INT_MAX);
        o.LineWidth = INT_MAX;
        o.FillPattern = 4;
        if (Text_Rec* t = o.text()) {
            t->Text = QStringLiteral("x|y");
            t->FontSize = INT_MAX;
        }
        if (Button_Rec* b = o.button())
            b->Text = QStringLiteral("go");
        paint(o, QPoint(INT_MAX, INT_MIN));
        paint(o);
    }
    Object_Rec unknown = objectAt(ObjectKind::Rectangle, 0, 0, 5, 5);
    unknown.Kind = 99;
    paint(unknown);
    SUCCEED();
}

} // namespace
} // namespace lumeria::test
