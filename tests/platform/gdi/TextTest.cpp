#include "GdiTestSupport.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace lumeria::gdi {
namespace {

using namespace test;

class TextTest : public ::testing::Test {
protected:
    void SetUp() override { ensureGuiApplication(); }

    Font arial12 = Font::fromPoints(QStringLiteral("Arial"), 12);
};

TEST(TextFontSize, PointsBecomePixelsAt96DpiRoundedLikeMulDiv)
{
    EXPECT_EQ(Font::pointsToPixels(12), 16);
    EXPECT_EQ(Font::pointsToPixels(8), 11);  // 10.67
    EXPECT_EQ(Font::pointsToPixels(10), 13); // 13.33
    EXPECT_EQ(Font::pointsToPixels(9), 12);
    EXPECT_EQ(Font::pointsToPixels(-9), -12);
    EXPECT_EQ(Font::pointsToPixels(0), 0);
}

TEST_F(TextTest, WindowsFacesResolveToTheirSubstitutes)
{
    EXPECT_EQ(QFontInfo(Font::fromPoints("Arial", 10).qfont()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(Font::fromPoints("ms sans serif", 10).qfont()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(Font::fromPoints("Times New Roman", 10).qfont()).family(), "Liberation Serif");
    EXPECT_EQ(QFontInfo(Font::fromPoints("Courier New", 10).qfont()).family(), "Liberation Mono");
    EXPECT_EQ(QFontInfo(Font::fromPoints("Arial Narrow", 10).qfont()).family(), "Liberation Sans Narrow");
    const Font system = Font::fromPoints("System", 30);
    EXPECT_EQ(system.emPixels(), 13);
    EXPECT_TRUE(system.qfont().bold());
    EXPECT_EQ(Font().family(), "Liberation Sans");
    EXPECT_EQ(Font::fromPoints("Arial", 10, 0, Pitch::Fixed).family(), "Liberation Mono");
    EXPECT_EQ(Font::fromPoints("Arial", -12).emPixels(), 16);
    Font::addEmbeddedFamily("Liberation Serif");
    EXPECT_EQ(Font::fromPoints("liberation serif", 10, 0, Pitch::Fixed).family(), "Liberation Serif");
    Font::clearEmbeddedFamilies();
}

TEST_F(TextTest, PositiveLogicalHeightIsTheCellAndNegativeTheEm)
{
    EXPECT_EQ(Font::fromLogicalHeight("Arial", -16).emPixels(), 16);
    const Font cell = Font::fromLogicalHeight("Arial", 20);
    EXPECT_LE(cell.height(), 20);
    EXPECT_GE(cell.height(), 18);
    EXPECT_LT(cell.emPixels(), 20);
}

TEST_F(TextTest, StyleBitsAndCrispRenderingReachTheQFont)
{
    const Font f = Font::fromPoints("Arial", 10, FontStyle::Italic | FontStyle::StrikeOut);
    const QFont q = f.qfont();
    EXPECT_FALSE(q.bold());
    EXPECT_TRUE(q.italic());
    EXPECT_FALSE(q.underline());
    EXPECT_TRUE(q.strikeOut());
    EXPECT_FALSE(q.kerning());
    EXPECT_EQ(q.hintingPreference(), QFont::PreferFullHinting);
    EXPECT_TRUE(q.styleStrategy() & QFont::NoAntialias);
    Font::setTextRendering(TextRendering::Smooth);
    EXPECT_FALSE(f.qfont().styleStrategy() & QFont::NoAntialias);
    Font::setTextRendering(TextRendering::Crisp);
}

TEST_F(TextTest, MetricsAreConsistent)
{
    EXPECT_EQ(arial12.emPixels(), 16);
    EXPECT_EQ(arial12.height(), arial12.ascent() + arial12.descent());
    EXPECT_GE(arial12.height(), 16);
    EXPECT_GT(arial12.averageCharWidth(), 0);
    EXPECT_GT(arial12.widthOfM(), arial12.averageCharWidth());
    EXPECT_EQ(arial12.textExtent("MM").width(), 2 * arial12.widthOfM());
    EXPECT_EQ(arial12.textExtent("MM").height(), arial12.height());
}

TEST_F(TextTest, TheSameRequestSharesOneResolvedFontAndNoOtherDoes)
{
    const Font again = Font::fromPoints(QStringLiteral("Arial"), 12);
    EXPECT_EQ(again.id(), arial12.id());
    EXPECT_EQ(again, arial12);
    const Font others[] = {Font::fromPoints("Arial", 13), Font::fromPoints("Arial", 12, uint8_t(FontStyle::Bold)),
                           Font::fromPoints("Times New Roman", 12), Font::fromPoints("Arial", 12, 0, Pitch::Fixed)};
    for (const Font& other : others)
        EXPECT_NE(other.id(), arial12.id()) << other.face().toStdString() << " " << other.emPixels();
    // Kept metrics are the font's own.
    const QFontMetrics m(arial12.qfont());
    EXPECT_EQ(arial12.ascent(), m.ascent());
    EXPECT_EQ(arial12.descent(), m.descent());
    EXPECT_EQ(arial12.averageCharWidth(), m.averageCharWidth());
    EXPECT_EQ(arial12.widthOfM(), m.horizontalAdvance(QLatin1Char('M')));

    // Another rendering is another font to measure with, and coming back
    // finds the first one again.
    const quint64 crisp = arial12.id();
    Font::setTextRendering(TextRendering::Smooth);
    EXPECT_NE(arial12.id(), crisp);
    EXPECT_FALSE(again.qfont().styleStrategy() & QFont::NoAntialias);
    Font::setTextRendering(TextRendering::Crisp);
    EXPECT_EQ(arial12.id(), crisp);

    // A family embedded later wins over what was resolved before it; fonts
    // already made keep drawing with theirs.
    const Font before = Font::fromPoints("Liberation Serif", 10, 0, Pitch::Fixed);
    EXPECT_EQ(before.family(), "Liberation Mono");
    Font::addEmbeddedFamily("Liberation Serif");
    const Font after = Font::fromPoints("Liberation Serif", 10, 0, Pitch::Fixed);
    EXPECT_EQ(after.family(), "Liberation Serif");
    EXPECT_NE(after.id(), before.id());
    EXPECT_EQ(before.family(), "Liberation Mono");
    Font::clearEmbeddedFamilies();
    EXPECT_EQ(Font::fromPoints("Liberation Serif", 10, 0, Pitch::Fixed).family(), "Liberation Mono");
}

// Laid-out texts are kept between calls; whatever changes, the result must
// be what that text, font, width and flags give.
TEST_F(TextTest, LaidOutTextsFollowTheirTextFontWidthAndFlags)
{
    Surface s(300, 200);
    Canvas c(s);
    c.setFont(arial12);
    DrawTextOptions calc;
    calc.measure = TextMeasure::CalcRect;
    const QString text = QStringLiteral("aaa bbb ccc ddd");
    const int wide = arial12.advance(text) + 1;
    const int narrow = arial12.advance(QStringLiteral("aaa bbb")) + 1;
    const int line = arial12.height();
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(c.drawText({0, 0, wide, 0}, text, calc).height, line);
        EXPECT_EQ(c.drawText({0, 0, narrow, 0}, text, calc).height, 2 * line);
        EXPECT_EQ(c.drawText({0, 0, narrow, 0}, text + QStringLiteral(" eee fff ggg"), calc).height, 4 * line);
        EXPECT_EQ(c.drawText({0, 0, wide, 0}, text, calc).bounds.width(), arial12.advance(text));
    }
    DrawTextOptions unbroken = calc;
    unbroken.breaking = LineBreaking::NewlinesOnly;
    EXPECT_EQ(c.drawText({0, 0, narrow, 0}, text, unbroken).height, line);

    const Font larger = Font::fromPoints(QStringLiteral("Arial"), 20);
    c.setFont(larger);
    EXPECT_EQ(c.drawText({0, 0, wide, 0}, QStringLiteral("aaa"), calc).height, larger.height());
    EXPECT_EQ(c.drawText({0, 0, wide, 0}, QStringLiteral("aaa"), calc).bounds.width(), larger.advance("aaa"));
    c.setFont(arial12);
    EXPECT_EQ(c.drawText({0, 0, wide, 0}, QStringLiteral("aaa"), calc).bounds.width(), arial12.advance("aaa"));

    // Texts too long to keep are laid out all the same.
    const QString longText = QString(QStringLiteral("a b ")).repeated(2000) + QStringLiteral("\r\nzz");
    EXPECT_EQ(c.drawText({0, 0, 100000, 0}, longText, unbroken).height, 2 * line);
}

// A kept layout draws the very pixels a fresh one does, in the colour asked
// for now, not the one it was first drawn in.
TEST_F(TextTest, KeptLayoutsDrawTheSamePixelsInTheColourAskedFor)
{
    auto drawn = [&](const QString& text, ColorRef colour) {
        Surface s(120, 30);
        Canvas c(s);
        c.setFont(arial12);
        c.setBackgroundMode(BackgroundMode::Transparent);
        c.setTextColour(colour);
        c.drawText({4, 3, 120, 30}, text);
        return s;
    };
    auto written = [&](const QString& text) {
        Surface s(120, 30);
        Canvas c(s);
        c.setFont(arial12);
        c.setBackgroundMode(BackgroundMode::Transparent);
        c.textOut({4, 3}, text);
        return s;
    };
    const QString text = QStringLiteral("Kept line");
    const Surface first = drawn(text, kBlack);
    EXPECT_EQ(picture(first), picture(written(text)));
    const Surface blue = drawn(text, kBlue);
    EXPECT_EQ(picture(blue, kBlue), picture(first));
    EXPECT_EQ(countOf(blue, kBlack), 0);
    EXPECT_EQ(picture(drawn(QStringLiteral("Kept lime"), kBlack)), picture(written(QStringLiteral("Kept lime"))));
    EXPECT_NE(picture(drawn(QStringLiteral("Kept lime"), kBlack)), picture(first));
}

// Runs are drawn from glyphs shaped once and kept: they must be the very
// pixels QPainter::drawText gives the same run, whatever its characters,
// the face, size, style and rendering, and however often it is drawn.
TEST_F(TextTest, DrawnRunsAreThePixelsQPainterDrawsForThem)
{
    const QString texts[] = {
        QStringLiteral("Plain words"),
        QStringLiteral("  spaced  out  "),
        QString::fromUtf8("\xC3\x80\xC3\xA7\x63\xC3\xA9nts \xC3\xBF \xC3\x9F \xC5\x92 \xE2\x82\xAC \xE2\x84\xA2 "
                          "\xE2\x80\xA6 \xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x80\x94 dash"),
        QStringLiteral("fi fl ffi office AV To Wa"),
        QStringLiteral("12:30 (x+y)*z/2 = 3.5% [a] {b} <c> @#~"),
        QString::fromUtf8("\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC \xD0\x9A\xD0\xB8"),
        QString::fromUtf8("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D abc \xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7"),
        QString::fromUtf8("e\xCC\x81 soft\xC2\xADhyphen \xE6\xBC\xA2\xE5\xAD\x97"),
        QStringLiteral("tab\there"),
        QString::fromUtf8("emoji \xF0\x9F\x98\x80 pair"),
    };
    const Font fonts[] = {
        Font::fromPoints("Arial", 10),
        Font::fromPoints("Arial", 12, uint8_t(FontStyle::Bold)),
        Font::fromPoints("Times New Roman", 12, uint8_t(FontStyle::Italic)),
        Font::fromPoints("Courier New", 9),
        Font::fromPoints("Arial", 10, uint8_t(FontStyle::Underline)),
        Font::fromPoints("Arial", 11, uint8_t(FontStyle::StrikeOut)),
        Font::fromPoints("Arial", 60),
        Font(),
    };
    DrawTextOptions options;
    options.breaking = LineBreaking::SingleLine;
    options.tabs = Tabs::Literal;
    options.clipping = BoxClipping::NoClip;
    for (TextRendering rendering : {TextRendering::Crisp, TextRendering::Smooth}) {
        Font::setTextRendering(rendering);
        for (const Font& font : fonts) {
            for (const QString& text : texts) {
                Surface expected(500, 100);
                {
                    QImage image = expected.image();
                    QPainter painter(&image);
                    painter.setFont(font.qfont());
                    painter.setPen(QColor(0, 0, 128));
                    painter.drawText(QPoint(3, 2 + font.ascent()), text);
                }
                for (int round = 0; round < 4; ++round) {
                    Surface s(500, 100);
                    Canvas c(s);
                    c.setFont(font);
                    c.setBackgroundMode(BackgroundMode::Transparent);
                    c.setTextColour(rgb(0, 0, 128));
                    if (round % 2 == 0)
                        c.drawText({3, 2, 500, 100}, text, options);
                    else
                        c.textOut({3, 2}, text);
                    EXPECT_TRUE(s.image() == expected.image())
                        << text.toStdString() << " in " << font.face().toStdString() << " " << font.emPixels()
                        << " px, styles " << int(font.styles()) << ", rendering " << int(rendering)
                        << (round % 2 == 0 ? ", drawText" : ", textOut");
                }
            }
        }
    }
    Font::setTextRendering(TextRendering::Crisp);
}

TEST_F(TextTest, TextOutTopLeftAndBaselineAnchorsAndOpaqueBackground)
{
    Surface s(80, 40);
    Canvas c(s);
    c.setFont(arial12);
    c.setBackgroundMode(BackgroundMode::Transparent);
    c.textOut({5, 4}, "Hxg");
    const Rect ink = inkBounds(s);
    EXPECT_GE(ink.left, 5);
    EXPECT_GE(ink.top, 4);
    EXPECT_LE(ink.bottom, 4 + arial12.height());
    // The H sits on the baseline; its top is near the ascent.
    EXPECT_GT(ink.bottom, 4 + arial12.ascent());

    Surface b(80, 40);
    Canvas cb(b);
    cb.setFont(arial12);
    cb.setBackgroundMode(BackgroundMode::Transparent);
    cb.textOut({5, 4 + arial12.ascent()}, "Hxg", TextAnchor::Baseline);
    EXPECT_EQ(picture(b), picture(s));

    Surface o(80, 40, kBlue);
    Canvas co(o);
    co.setFont(arial12);
    co.setBackgroundColour(kRed);
    co.setTextColour(kWhite);
    co.textOut({5, 4}, "Hxg");
    EXPECT_EQ(inkBounds(o, kBlue), Rect::fromSize(5, 4, arial12.advance("Hxg"), arial12.height()));
    EXPECT_GT(countOf(o, kWhite), 0);
}

TEST_F(TextTest, WordWiderThanBoxStandsAloneAndBreakSpacesAreSwallowed)
{
    Surface s(200, 200);
    Canvas c(s);
    c.setFont(arial12);
    const int box = arial12.advance("aa bb") + 1;
    DrawTextOptions calc;
    calc.measure = TextMeasure::CalcRect;
    // "aa bb" fits, "Wwwwwwwwwwwww" does not fit and takes a line of its own.
    const DrawTextResult r = c.drawText({0, 0, box, 200}, "aa bb Wwwwwwwwwwwww cc", calc);
    EXPECT_EQ(r.height, 3 * arial12.height());
    EXPECT_EQ(r.bounds.width(), arial12.advance("Wwwwwwwwwwwww"));
    // Text drawn: the long word's ink spills past the box only when not clipped.
    DrawTextOptions draw;
    draw.clipping = BoxClipping::NoClip;
    c.setBackgroundMode(BackgroundMode::Transparent);
    c.drawText({0, 0, box, 200}, "aa bb Wwwwwwwwwwwww cc", draw);
    EXPECT_GT(inkBounds(s).right, box);
    // The space before "cc" was swallowed: its line starts at the box edge,
    // where a lone "cc" starts.
    Surface alone(200, 200);
    Canvas ca(alone);
    ca.setFont(arial12);
    ca.textOut({0, 0}, "cc");
    Surface third(200, arial12.height());
    Canvas(third).bitBlt({0, 0, 200, arial12.height()}, s.view(), {0, 2 * arial12.height()});
    EXPECT_EQ(inkBounds(third).left, inkBounds(alone).left);
}

TEST_F(TextTest, ClippingKeepsInkInsideTheBox)
{
    Surface s(200, 60);
    Canvas c(s);
    c.setFont(arial12);
    c.drawText({10, 10, 40, 30}, "Wwwwwwwwwwwww", {});
    const Rect ink = inkBounds(s);
    EXPECT_FALSE(ink.isEmpty());
    EXPECT_TRUE(Rect({10, 10, 40, 30}).contains(ink));
}

TEST_F(TextTest, CentreAndRightAlignmentPlaceTheInk)
{
    const Rect box{0, 0, 200, 30};
    DrawTextOptions left;
    DrawTextOptions centre;
    centre.align = HorizontalAlign::Centre;
    DrawTextOptions right;
    right.align = HorizontalAlign::Right;

    auto inkOf = [&](const DrawTextOptions& o) {
        Surface s(200, 30);
        Canvas c(s);
        c.setFont(arial12);
        c.drawText(box, "HHHH", o);
        return inkBounds(s);
    };
    const Rect l = inkOf(left);
    const Rect m = inkOf(centre);
    const Rect r = inkOf(right);
    EXPECT_EQ(m.width(), l.width());
    EXPECT_NEAR(m.left + m.right, 200, 3);
    EXPECT_LE(r.right, 200);
    EXPECT_GE(r.right, 196);
    EXPECT_EQ(m.left - l.left, (200 - arial12.advance("HHHH")) / 2);
}

TEST_F(TextTest, LineBreaksAndVerticalCentreOfASingleLine)
{
    Surface s(100, 100);
    Canvas c(s);
    c.setFont(arial12);
    DrawTextOptions calc;
    calc.measure = TextMeasure::CalcRect;
    const int lh = arial12.height();
    EXPECT_EQ(c.drawText({0, 0, 100, 100}, "a\r\nb\nc\rd", calc).height, 4 * lh);
    EXPECT_EQ(c.drawText({0, 0, 100, 100}, "a\r\n\r\nb", calc).height, 3 * lh);
    EXPECT_EQ(c.drawText({0, 0, 100, 100}, "", calc).height, 0);
    calc.breaking = LineBreaking::SingleLine;
    EXPECT_EQ(c.drawText({0, 0, 100, 100}, "a b c d e f g h i j k l m n o p", calc).height, lh);

    DrawTextOptions middle;
    middle.breaking = LineBreaking::SingleLine;
    middle.verticalAlign = VerticalAlign::Centre;
    c.drawText({0, 0, 100, 100}, "H", middle);
    const Rect ink = inkBounds(s);
    const int cellTop = (100 - lh) / 2;
    EXPECT_GE(ink.top, cellTop);
    EXPECT_LE(ink.bottom, cellTop + lh);
}

TEST_F(TextTest, TabsExpandToEightAverageCharacters)
{
    Surface s(300, 30);
    Canvas c(s);
    c.setFont(arial12);
    DrawTextOptions calc;
    calc.measure = TextMeasure::CalcRect;
    const int stop = 8 * arial12.averageCharWidth();
    EXPECT_EQ(c.drawText({0, 0, 300, 30}, "a\tb", calc).bounds.width(), stop + arial12.advance("b"));
    EXPECT_EQ(c.drawText({0, 0, 300, 30}, "\t\tb", calc).bounds.width(), 2 * stop + arial12.advance("b"));
    // '&' is literal text, not a mnemonic prefix.
    EXPECT_EQ(c.drawText({0, 0, 300, 30}, "A&B", calc).bounds.width(), arial12.advance("A&B"));
}

} // namespace
} // namespace lumeria::gdi
