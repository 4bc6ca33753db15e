#include "RenderTestSupport.h"

#include "render/TextBlock.h"

#include <functional>
#include <utility>
#include <vector>

namespace lumeria::test {
namespace {

class TextBlockLayout : public PainterFixture {
protected:
    void SetUp() override
    {
        PainterFixture::SetUp();
        resize(200, 120);
        lineHeight = objectFont(kFace, 12, 0).textExtent(QStringLiteral("M")).height();
    }

    TextBlock block(const QString& text, uint8_t align = 0, TextWrap wrap = TextWrap::None) const
    {
        return {text, kFace, 12, 0, kBlack, align, wrap};
    }

    gdi::Rect paintIn(const gdi::Rect& box, const TextBlock& b)
    {
        gdi::Canvas canvas(surface);
        paintTextBlock(canvas, box, b, context.substitute);
        return inkBounds(surface);
    }

    TextBlockSize measure(const TextBlock& b, int width = 200)
    {
        gdi::Canvas canvas(surface);
        return measureTextBlock(canvas, b, width, context.substitute);
    }

    const QString kFace = QStringLiteral("Arial");
    int lineHeight = 0;
};

TEST_F(TextBlockLayout, BarSeparatesLinesOfOneLineHeightEach)
{
    ASSERT_GT(lineHeight, 8);
    EXPECT_EQ(measure(block(QStringLiteral("A|B"))).height, 2 * lineHeight);
    EXPECT_EQ(measure(block(QStringLiteral("A||B"))).height, 3 * lineHeight);
    const gdi::Rect ink = paintIn({0, 0, 200, 2 * lineHeight}, block(QStringLiteral("I|I")));
    EXPECT_GT(ink.height(), lineHeight);
}

TEST_F(TextBlockLayout, WidthIsTheWidestLine)
{
    const int wide = measure(block(QStringLiteral("MMMMMM"))).width;
    EXPECT_EQ(measure(block(QStringLiteral("M|MMMMMM|MM"))).width, wide);
}

TEST_F(TextBlockLayout, VariablesAreExpandedBeforeLayout)
{
    QStringList seen;
    context.substitute = [&](const QString& text) {
        seen << text;
        return QString(text).replace(QStringLiteral("[n]"), QStringLiteral("MMMM|MM"));
    };
    const TextBlockSize size = measure(block(QStringLiteral("[n]")));
    EXPECT_EQ(seen, QStringList{QStringLiteral("[n]")});
    EXPECT_EQ(size.height, 2 * lineHeight);
    context.substitute = {};
    EXPECT_EQ(size.width, measure(block(QStringLiteral("MMMM"))).width);
}

TEST_F(TextBlockLayout, LowBlockIsCentredVertically)
{
    const gdi::Rect box{10, 10, 190, 110};
    const gdi::Rect ink = paintIn(box, block(QStringLiteral("MH")));
    const int top = box.top + 50 - lineHeight / 2;
    EXPECT_GE(ink.top, top);
    EXPECT_LE(ink.bottom, top + lineHeight);
    EXPECT_GT(ink.top, box.top + 30);
}

TEST_F(TextBlockLayout, AlignTwoCentresAndFourRightAlignsEachLine)
{
    const gdi::Rect box{0, 0, 200, 120};
    const gdi::Rect left = paintIn(box, block(QStringLiteral("MM"), 0));
    EXPECT_LE(left.left, 3);

    resize(200, 120);
    const gdi::Rect right = paintIn(box, block(QStringLiteral("MM|M"), 4));
    EXPECT_GE(right.right, 197);
    EXPECT_LE(right.right, 200);
    // The short second line ends where the long one ends.
    gdi::Rect secondLine;
    for (int y = 60; y < 120; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (at(x, y) != kWhite)
                secondLine = secondLine.united({x, y, x + 1, y + 1});
        }
    }
    ASSERT_FALSE(secondLine.isEmpty());
    EXPECT_NEAR(secondLine.right, right.right, 2);
    EXPECT_GT(secondLine.left, right.left + 3);

    resize(200, 120);
    const gdi::Rect centred = paintIn(box, block(QStringLiteral("MM"), 2));
    EXPECT_NEAR(centred.left + centred.right, 200, 4);

    resize(200, 120);
    const gdi::Rect other = paintIn(box, block(QStringLiteral("MM"), 7));
    EXPECT_LE(other.left, 3);
}

TEST_F(TextBlockLayout, WordWrapBreaksAtTheBoxWidth)
{
    const QString text = QStringLiteral("MM MM MM MM");
    EXPECT_EQ(measure(block(text, 0, TextWrap::None), 40).height, lineHeight);
    EXPECT_GE(measure(block(text, 0, TextWrap::Word), 40).height, 3 * lineHeight);
}

TEST_F(TextBlockLayout, TextIsCutAtTheBoxBottom)
{
    const gdi::Rect box{0, 10, 200, 10 + lineHeight + lineHeight / 2};
    for (TextWrap wrap : {TextWrap::None, TextWrap::Word}) {
        resize(200, 120);
        const gdi::Rect ink = paintIn(box, block(QStringLiteral("MH|MH|MH"), 0, wrap));
        EXPECT_GE(ink.top, box.top);
        EXPECT_LE(ink.bottom, box.bottom);
        EXPECT_GT(ink.bottom, box.top + lineHeight) << "the second line shows in part";
    }
}

TEST_F(TextBlockLayout, TextObjectDrawsItsTextInItsColour)
{
    Object_Rec o = objectAt(ObjectKind::Text, 20, 20, 180, 100);
    o.FillPattern = 1;
    Text_Rec& t = *o.text();
    t.Text = QStringLiteral("MMM");
    t.Font = kFace;
    t.FontSize = 12;
    t.TextColor = int32_t(kBlue);
    t.Align = 2;
    paint(o);
    const gdi::Rect ink = inkBounds(surface);
    EXPECT_GT(countOf(surface, kBlue), 20);
    EXPECT_NEAR(ink.left + ink.right, 200, 4);
    EXPECT_NEAR(ink.top + ink.bottom, 120, lineHeight);

    resize(200, 120);
    t.Text.clear();
    paint(o);
    EXPECT_TRUE(inkBounds(surface).isEmpty());
}

// Whatever a script changes in a text object shows on its next paint, as it
// would on an object painted for the first time with the change, however
// much of the old look was kept from painting it before.
TEST_F(TextBlockLayout, ChangesToATextObjectShowOnItsNextPaint)
{
    Object_Rec base = objectAt(ObjectKind::Text, 10, 10, 190, 110);
    base.FillPattern = 1;
    Text_Rec& t = *base.text();
    t.Text = QStringLiteral("A short paragraph that wraps in its box|and a second line");
    t.Font = kFace;
    t.FontSize = 10;
    t.WordWrap = true;
    const std::vector<std::pair<const char*, std::function<void(Object_Rec&)>>> changes = {
        {"text", [](Object_Rec& o) { o.text()->Text = QStringLiteral("Another paragraph, wrapped|and a line"); }},
        {"face", [](Object_Rec& o) { o.text()->Font = QStringLiteral("Times New Roman"); }},
        {"size", [](Object_Rec& o) { o.text()->FontSize = 14; }},
        {"style", [](Object_Rec& o) { o.text()->FontStyle = 1; }},
        {"colour", [](Object_Rec& o) { o.text()->TextColor = int32_t(kBlue); }},
        {"width", [](Object_Rec& o) { o.X2 = 110; }},
        {"wrap", [](Object_Rec& o) { o.text()->WordWrap = false; }},
        {"align", [](Object_Rec& o) { o.text()->Align = 4; }},
    };
    resize(200, 120);
    paint(base);
    gdi::Surface before = surface;
    for (const auto& [what, change] : changes) {
        Object_Rec fresh = base;
        change(fresh);
        resize(200, 120);
        paint(fresh);
        gdi::Surface expected = surface;

        Object_Rec changed = base;
        resize(200, 120);
        paint(changed);
        change(changed);
        resize(200, 120);
        paint(changed);
        EXPECT_TRUE(surface.image() == expected.image()) << what;
        EXPECT_FALSE(surface.image() == before.image()) << what << " changed nothing to see";
    }
}

} // namespace
} // namespace lumeria::test
