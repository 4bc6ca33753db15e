#include "TextTestSupport.h"

#include "platform/gdi/DcStateSaver.h"

#include "render/ObjectPainter.h"
#include "render/ObjectScrollBars.h"
#include "text/AnchorSearch.h"
#include "text/ArticleTextEngine.h"
#include "text/Markup.h"
#include "text/TextPainter.h"

#include <map>

namespace lumeria::test {
namespace {

TEST(AnchorSearch, FindsTheMarkerIgnoringCaseAndAcrossALineBreak)
{
    MemorySource text(formatted({
        text::lineHeader(16, 12) + QStringLiteral("intro"),
        text::lineHeader(16, 12) + QStringLiteral("see ^Mchapter^m here ^Mtwo"),
        text::lineHeader(16, 12) + QStringLiteral("words^m end"),
    }));
    EXPECT_EQ(text::findAnchor(text, QStringLiteral(":CHAPTER")), 1);
    EXPECT_EQ(text::findAnchor(text, QStringLiteral(":chapter")), 1);
    // Cut by the break: found on the line where it ends.
    EXPECT_EQ(text::findAnchor(text, QStringLiteral(":two words")), 2);
    EXPECT_EQ(text::findAnchor(text, QStringLiteral(":intro")), std::nullopt);
    MemorySource empty{QByteArray()};
    EXPECT_EQ(text::findAnchor(empty, QStringLiteral(":x")), std::nullopt);
}

class LaidOutAnchor : public LayoutFixture {};

TEST_F(LaidOutAnchor, AnAnchorWhoseNameWrapsIsFoundAfterLayout)
{
    ASSERT_TRUE(layOut("some words before ^Mthe long anchor^m and after", 60, true));
    QFile f(folder.filePath(QStringLiteral("OUT.V")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    MemorySource text(f.readAll());
    const auto found = text::findAnchor(text, QStringLiteral(":The Long Anchor"));
    ASSERT_TRUE(found);
    EXPECT_TRUE(outputLines()[*found].contains(QStringLiteral("^m"), Qt::CaseSensitive));
}

// An article painted by the object painter through the engine's hook.
class Article : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureGuiApplication();
        QStringList lines;
        for (int i = 0; i < 30; ++i)
            lines << text::lineHeader(14 + (i == 5 ? 6 : 0), 11) + (i == 2    ? QStringLiteral("^Lclick=GO \"2\"^l")
                                                                    : i == 20 ? QStringLiteral("^Mtarget^mhere")
                                                                              : QStringLiteral("line %1").arg(i));
        texts[QStringLiteral("STORY.V")] = formatted(lines);
        context.scrollBars = &bars;
        context.paintArticleText = engine.hook();
        object = makeObject(uint8_t(ObjectKind::Article));
        object.X1 = 10;
        object.Y1 = 10;
        object.X2 = 150;
        object.Y2 = 110;
        object.LineWidth = 1;
        object.FillColor = int32_t(kWhite);
        Article_Rec& a = *object.article();
        a.FileName = QStringLiteral("story.v");
        a.Font = QStringLiteral("Arial");
        a.FontSize = 10;
        a.WindowFlags = windowflags::kVerticalBar;
        a.VScrollPos = 1;
        a.YRange = 30;
        a.MaxLineHeight = 20;
    }

    void paint()
    {
        gdi::Canvas canvas(surface);
        ObjectPainter painter(canvas, context);
        painter.paintObject(QPoint(0, 0), object);
    }

    std::map<QString, QByteArray> texts;
    text::ArticleTextEngine engine{[this](const QString& name) -> std::unique_ptr<ByteSource> {
        const auto it = texts.find(name.toUpper());
        if (it == texts.end())
            return nullptr;
        return std::make_unique<MemorySource>(it->second);
    }};
    ScrollBarStore bars;
    PaintContext context;
    Object_Rec object;
    gdi::Surface surface{200, 150, kWhite};
};

TEST_F(Article, PaintsFromItsBarAndHandsTheLinesShownToIt)
{
    paint();
    const ObjectScrollBar& v = bars.of(object).vertical;
    EXPECT_EQ(v.range, 30 * 20);
    EXPECT_EQ(v.unit, 20);
    // 98 pixels of lines 14 high, one of them 20: six whole lines.
    EXPECT_EQ(v.page, 6 * 20);
    // The bar sits on the left, so the text starts after it.
    EXPECT_GE(boundsOf(surface, kBlack, {27, 11, 149, 109}).left, 27 + 6);
    ASSERT_NE(engine.links(object), nullptr);
    EXPECT_EQ(engine.links(object)->size(), 1u);
}

TEST_F(Article, LinksAreHitAtPagePointsInsideTheTextArea)
{
    paint();
    // Line 2 begins at 11 + 28; the text area begins right of the bar.
    const int x = 11 + 16 + 6 + 2;
    EXPECT_EQ(engine.linkAt(object, QPoint(x, 11 + 28 + 5)), QStringLiteral("GO \"2\""));
    EXPECT_EQ(engine.linkAt(object, QPoint(x, 11 + 14 + 5)), std::nullopt);
    // Scrolled by one line the link moves up with its text.
    bars.of(object).vertical.position = 20;
    paint();
    EXPECT_EQ(engine.linkAt(object, QPoint(x, 11 + 14 + 5)), QStringLiteral("GO \"2\""));
}

TEST_F(Article, AnchorsGiveTheLineToScrollTo)
{
    const auto line = engine.anchorLine(object, QStringLiteral(":TARGET"));
    ASSERT_EQ(line, 20);
    EXPECT_EQ(text::ArticleTextEngine::barPositionForLine(object, *line), 400);
    EXPECT_EQ(engine.anchorLine(object, QStringLiteral(":nowhere")), std::nullopt);
    object.article()->FileName = QStringLiteral("MISSING.V");
    EXPECT_EQ(engine.anchorLine(object, QStringLiteral(":TARGET")), std::nullopt);
}

TEST_F(Article, OneLineScrollsMoveByTheHeightOfTheLineThatLeavesOrComesIn)
{
    ObjectScrollBar& v = bars.of(object).vertical;
    v.position = 5 * 20;
    paint();
    v.position = 6 * 20;
    TextScrollChange down = engine.scrollChange(object, ScrollAxis::Vertical, v, 5 * 20);
    EXPECT_EQ(down.newPosition - down.oldPosition, 1);
    EXPECT_EQ(down.lineHeight, 20); // line 5 leaves
    v.position = 4 * 20;
    TextScrollChange up = engine.scrollChange(object, ScrollAxis::Vertical, v, 5 * 20);
    EXPECT_EQ(up.newPosition - up.oldPosition, -1);
    EXPECT_EQ(up.lineHeight, 14); // line 4 comes in
    v.position = 9 * 20;
    const TextScrollChange far = engine.scrollChange(object, ScrollAxis::Vertical, v, 5 * 20);
    EXPECT_EQ(planTextScroll(far, articleTextArea(object, &bars.of(object))).kind, TextScrollKind::Whole);
}

TEST_F(Article, SidewaysMovesNarrowerThanTheAreaScrollAndWiderOnesRepaint)
{
    object.article()->WindowFlags = windowflags::kVerticalBar | windowflags::kHorizontalBar;
    object.article()->XRange = 1000;
    paint();
    ObjectScrollBar& h = bars.of(object).horizontal;
    const gdi::Rect area = articleTextArea(object, &bars.of(object));
    h.position = 30;
    const TextScrollPlan near = planTextScroll(engine.scrollChange(object, ScrollAxis::Horizontal, h, 0), area);
    EXPECT_EQ(near.kind, TextScrollKind::Scroll);
    EXPECT_EQ(near.dx, -30);
    h.position = area.width();
    EXPECT_EQ(planTextScroll(engine.scrollChange(object, ScrollAxis::Horizontal, h, 0), area).kind,
              TextScrollKind::Whole);
}

TEST_F(Article, AStripRepaintAfterAOneLineScrollMatchesAFullPaint)
{
    ObjectScrollBar& v = bars.of(object).vertical;
    v.position = 3 * 20;
    paint();
    const int old = v.position;
    v.position = 4 * 20;
    gdi::Canvas canvas(surface);
    engine.scrollArticle(canvas, object, bars.of(object), ScrollAxis::Vertical, old, [&](const gdi::Region& dirty) {
        const gdi::DcStateSaver saved(canvas);
        canvas.clipTo(dirty);
        ObjectPainter(canvas, context).paintObject(QPoint(0, 0), object);
    });
    gdi::Surface scrolled = surface;
    surface.fill(kWhite);
    paint();
    EXPECT_EQ(scrolled.image(), surface.image());
}

class LaidOutLink : public LayoutFixture {};

TEST_F(LaidOutLink, ALinkThatWrapsPaintsAsOneLinkOverBothLines)
{
    ASSERT_TRUE(layOut("see ^Lthe big map=GO \"Page two\"^l now", 50, true));
    QFile f(folder.filePath(QStringLiteral("OUT.V")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    MemorySource text(f.readAll());
    gdi::Surface surface(100, 100, kWhite);
    gdi::Canvas canvas(surface);
    canvas.setFont(articleFont());
    text::HyperLinkList links;
    int recordLength = 0;
    text::TextPaintRequest request;
    request.rect = {0, 0, 100, 100};
    request.options = text::paintoption::kFreeLinks;
    request.background = kWhite;
    const text::TextPaintResult r = text::paintFormattedText(canvas, text, request, links, recordLength);
    EXPECT_EQ(r.linesShown, 3);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].target, QStringLiteral("GO \"Page two\""));
    const int h = articleFont().height();
    EXPECT_EQ(links[0].region.boundingRect().top, 0);
    EXPECT_EQ(links[0].region.boundingRect().bottom, 2 * h);
    // "see " is not part of it, the start of the second line is.
    EXPECT_FALSE(links[0].region.contains(7, h / 2));
    EXPECT_TRUE(links[0].region.contains(7, h + h / 2));
}

TEST(ArticleEngine, TextsLaidOutThroughItAreDeletedWithIt)
{
    ensureGuiApplication();
    QString output;
    {
        text::ArticleTextEngine engine([](const QString&) -> std::unique_ptr<ByteSource> {
            return std::make_unique<MemorySource>(QByteArray("one two three\r\nfour"));
        });
        const auto laid = engine.layOut(articleFont(), QStringLiteral("NOTES.TXT.V"), 100, TextWrap::Word);
        ASSERT_TRUE(laid);
        output = laid->output;
        EXPECT_TRUE(QFile::exists(output));
    }
    EXPECT_FALSE(QFile::exists(output));
}

} // namespace
} // namespace lumeria::test
