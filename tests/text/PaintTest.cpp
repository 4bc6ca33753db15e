#include "TextTestSupport.h"

#include "platform/gdi/DcStateSaver.h"

#include "text/AnchorSearch.h"
#include "text/Markup.h"
#include "text/TextPainter.h"

namespace lumeria::test {
namespace {

using text::paintFormattedText;
using text::TextPaintRequest;
using text::TextPaintResult;
namespace paintoption = text::paintoption;

QString line(const QString& text, int height = 20, int ascent = 15)
{
    return text::lineHeader(height, ascent) + text;
}

class Paint : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureGuiApplication();
        canvas.setFont(articleFont());
    }

    TextPaintResult paint(const QByteArray& bytes, int firstLine = 0, int offset = 0, int options = 0)
    {
        MemorySource source(bytes);
        TextPaintRequest r;
        r.rect = kRect;
        r.options = options | paintoption::kFreeLinks;
        r.firstLine = firstLine;
        r.offset = offset;
        r.background = kWhite;
        r.textColour = kBlack;
        return paintFormattedText(canvas, source, r, links, recordLength);
    }

    static constexpr gdi::Rect kRect{10, 10, 190, 90};
    gdi::Surface surface{200, 100, kWhite};
    gdi::Canvas canvas{surface};
    text::HyperLinkList links;
    int recordLength = 0;
};

TEST_F(Paint, PlainLinesStartSixPixelsInLessTheOffsetAndStackByTheirHeights)
{
    const TextPaintResult r = paint(formatted({line(QStringLiteral("Hello")), line(QStringLiteral("World"), 30, 20)}));
    EXPECT_EQ(r.linesShown, 2);
    EXPECT_EQ(r.firstLineHeight, 20);
    const gdi::Rect first = boundsOf(surface, kBlack, {0, 10, 200, 30});
    const gdi::Rect second = boundsOf(surface, kBlack, {0, 30, 200, 60});
    EXPECT_GE(first.left, 16);
    EXPECT_LE(first.left, 18);
    EXPECT_LE(first.bottom, 10 + 15 + 1); // baseline at the ascent
    EXPECT_GE(second.top, 30);
    EXPECT_LE(second.bottom, 30 + 20 + 1);

    surface.fill(kWhite);
    paint(formatted({line(QStringLiteral("Hello"))}), 0, 5);
    EXPECT_EQ(boundsOf(surface, kBlack).left, first.left - 5);
}

TEST_F(Paint, ALineWithoutHeaderTakesTheObjectFontsHeight)
{
    const gdi::Font font = articleFont();
    const TextPaintResult r = paint(formatted({QStringLiteral("no header"), QStringLiteral("second")}));
    EXPECT_EQ(r.firstLineHeight, font.height());
    EXPECT_EQ(r.linesShown, 2);
    EXPECT_GE(boundsOf(surface, kBlack, {0, 10 + font.height(), 200, 100}).top, 10 + font.height());
}

TEST_F(Paint, ColourCodesAndReverseVideo)
{
    paint(formatted({line(QStringLiteral("^P9~red ^P255~also ^pblack"))}));
    const gdi::Rect red = boundsOf(surface, kRed);
    const gdi::Rect black = boundsOf(surface, kBlack);
    ASSERT_FALSE(red.isEmpty());
    EXPECT_LT(red.right, black.left + 1);

    // Reverse video paints the cell in the text colour and the text in the
    // background's; ^P then colours the cell.
    surface.fill(kWhite);
    paint(formatted({line(QStringLiteral("^RWW^P9~WW^r"))}));
    const gdi::Rect cellBlack = boundsOf(surface, kBlack);
    const gdi::Rect cellRed = boundsOf(surface, kRed);
    ASSERT_FALSE(cellBlack.isEmpty());
    ASSERT_FALSE(cellRed.isEmpty());
    EXPECT_LE(cellBlack.right, cellRed.left + 1);
    // White glyph pixels inside the black cell.
    EXPECT_GT(countOf(surface, kWhite), 0);
    int whiteInCell = 0;
    for (int y = cellBlack.top; y < cellBlack.bottom; ++y)
        for (int x = cellBlack.left; x < cellBlack.right; ++x)
            whiteInCell += surface.colourAt(x, y) == kWhite;
    EXPECT_GT(whiteInCell, 0);
}

TEST_F(Paint, PositioningCodesMoveTheRuns)
{
    // ^A1440~ puts the run at 96 pixels from the margin.
    paint(formatted({line(QStringLiteral("^A1440~x"))}));
    EXPECT_NEAR(boundsOf(surface, kBlack).left, 10 + 6 + 96, 2);

    // A centred line is centred between the margins.
    surface.fill(kWhite);
    const int w = articleFont().advance(QStringLiteral("centre"));
    paint(formatted({line(QStringLiteral("^C%1~centre").arg(w))}));
    const gdi::Rect ink = boundsOf(surface, kBlack);
    const int expectedLeft = 10 + (180 - 12) / 2 - w / 2;
    EXPECT_NEAR(ink.left, expectedLeft, 2);

    // A right-aligned line ends six pixels before the right edge.
    surface.fill(kWhite);
    paint(formatted({line(QStringLiteral("^G%1~centre").arg(w))}));
    EXPECT_NEAR(boundsOf(surface, kBlack).right, 190 - 6, 2);

    // A numeric code without digits is ignored: the text stays at the margin.
    surface.fill(kWhite);
    paint(formatted({line(QStringLiteral("^A^Cx"))}));
    EXPECT_NEAR(boundsOf(surface, kBlack).left, 16, 2);
}

TEST_F(Paint, ALinkThatWrapsIsOneLinkWithBothPieces)
{
    const TextPaintResult r = paint(formatted({
        line(QStringLiteral("go to ^Lthe")),
        line(QStringLiteral("^Lmap=GO \"Map\"^l now")),
        line(QStringLiteral("^Lsecond=:anchor^l")),
    }));
    EXPECT_EQ(r.linesShown, 3);
    ASSERT_EQ(links.size(), 2u);
    // The last link painted comes first.
    EXPECT_EQ(links[0].target, QStringLiteral(":anchor"));
    EXPECT_EQ(links[1].target, QStringLiteral("GO \"Map\""));
    const gdi::Rect both = links[1].region.boundingRect();
    EXPECT_EQ(both.top, 0);
    EXPECT_EQ(both.bottom, 40);
    // Regions are relative to the rectangle; each piece is line-high.
    const int x0 = 6 + articleFont().advance(QStringLiteral("go to "));
    EXPECT_NEAR(both.left, 6, 1);
    EXPECT_TRUE(links[1].region.contains(x0 + 1, 5));
    EXPECT_TRUE(links[1].region.contains(8, 25));
    EXPECT_FALSE(links[1].region.contains(2, 5));
    EXPECT_EQ(text::linkAt(links, 8, 25), &links[1]);
    EXPECT_EQ(text::linkAt(links, 8, 45), &links[0]);
    EXPECT_EQ(text::linkAt(links, 150, 45), nullptr);
    // The band marks the link at the bottom of its line box.
    EXPECT_TRUE(surface.colourAt(10 + x0 + 2, 10 + 19) != kWhite || surface.colourAt(10 + x0 + 3, 10 + 19) != kWhite);
    EXPECT_EQ(surface.colourAt(10 + 2, 10 + 19), kWhite);
}

TEST_F(Paint, ALinkStillOpenAtTheBottomIsReadToItsEnd)
{
    QStringList lines;
    for (int i = 0; i < 3; ++i)
        lines << line(QStringLiteral("filler"));
    lines << line(QStringLiteral("^Lstarts")) << line(QStringLiteral("^Lgoes on"))
          << line(QStringLiteral("^Lends=T^l"));
    paint(formatted(lines));
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].target, QStringLiteral("T"));
    EXPECT_EQ(links[0].region.boundingRect().bottom, 120);

    // A link without ^l runs to the end of the text and is closed there.
    paint(formatted({line(QStringLiteral("^Lopen=GO"))}));
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].target, QStringLiteral("GO"));
}

TEST_F(Paint, StateGoesBackAfterEachCodedLine)
{
    paint(formatted({line(QStringLiteral("^P9~^Rred")), line(QStringLiteral("plain"))}));
    EXPECT_TRUE(boundsOf(surface, kRed, {0, 30, 200, 100}).isEmpty());
    EXPECT_FALSE(boundsOf(surface, kBlack, {0, 30, 200, 100}).isEmpty());
}

TEST_F(Paint, SeekingAndReadingSequentiallyDrawTheSameLines)
{
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines << line(QStringLiteral("line %1 ^Bbold").arg(i), 12 + i % 5, 10);
    const QByteArray bytes = formatted(lines);
    const TextPaintResult seek = paint(bytes, 17);
    EXPECT_EQ(recordLength, lines[39].size() + 1 + 2); // the longest line, its padding and CR LF
    EXPECT_EQ(seek.lineAboveHeight, 12 + 16 % 5);
    EXPECT_EQ(seek.firstLineHeight, 12 + 17 % 5);
    gdi::Surface seeking = surface;
    surface.fill(kWhite);
    const TextPaintResult read = paint(bytes, 17, 0, paintoption::kSequential);
    EXPECT_EQ(read.linesShown, seek.linesShown);
    EXPECT_EQ(surface.image(), seeking.image());
}

TEST_F(Paint, RecordsAreCrLfEndedEvenWhenALongFirstOneHoldsALoneLf)
{
    // A source line's lone LF stays text in its record; past the reader's
    // first block it must not be taken for the text's line ends.
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines << line(QStringLiteral("line %1\n").arg(i) + QString(3000, QLatin1Char('x')), 12, 10);
    const QByteArray text = formatted(lines);
    const TextPaintResult r = paint(text, 17);
    EXPECT_EQ(recordLength, text.indexOf("\r\n") + 2);
    EXPECT_GT(r.linesShown, 0);
}

TEST_F(Paint, OnlyLinesThatTouchTheClipAreDrawnAndOption8KeepsWholeLines)
{
    {
        const gdi::DcStateSaver saved(canvas);
        canvas.clipTo(gdi::Rect{0, 30, 200, 50});
        paint(formatted({line(QStringLiteral("one")), line(QStringLiteral("two")), line(QStringLiteral("three"))}));
    }
    EXPECT_TRUE(boundsOf(surface, kBlack, {0, 0, 200, 30}).isEmpty());
    EXPECT_FALSE(boundsOf(surface, kBlack, {0, 30, 200, 50}).isEmpty());

    // Lines of 30 in a rectangle of 80: the third would be cut.
    surface.fill(kWhite);
    const TextPaintResult r = paint(formatted({line(QStringLiteral("one"), 30, 20), line(QStringLiteral("two"), 30, 20),
                                               line(QStringLiteral("three"), 30, 20)}),
                                    0, 0, paintoption::kWholeLinesOnly);
    EXPECT_EQ(r.linesShown, 2);
    EXPECT_TRUE(boundsOf(surface, kBlack, {0, 70, 200, 100}).isEmpty());
}

TEST_F(Paint, AnUnreadableTextPaintsNothing)
{
    class Broken final : public ByteSource {
    public:
        int64_t readAt(int64_t, std::span<std::byte>) override { return -5; }
    } broken;
    TextPaintRequest r;
    r.rect = kRect;
    r.options = paintoption::kFreeLinks;
    links.push_back({});
    const TextPaintResult result = paintFormattedText(canvas, broken, r, links, recordLength);
    EXPECT_EQ(result.linesShown, 0);
    EXPECT_TRUE(links.empty());
    EXPECT_EQ(countOf(surface, kWhite), 200 * 100);
}

// Texts from a publication can hold anything; none of it may crash the
// layout, the painter or the anchor search.
TEST_F(Paint, ArbitraryBytesNeitherCrashNorHang)
{
    const char alphabet[] = "^^^^~~==-0123456789ZzLlMmFfCcGgAaSsTtOoPpRrBbXx \r\n\t\x01\xff";
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    QTemporaryDir dir;
    for (int round = 0; round < 40; ++round) {
        QByteArray bytes;
        const int size = int(next() % 3000);
        for (int i = 0; i < size; ++i)
            bytes += alphabet[(next() >> 8) % (sizeof(alphabet) - 1)];
        if (round % 3 == 0)
            bytes.prepend("^Z999999");
        recordLength = 0;
        paint(bytes, int(next() % 5), int(next() % 50) - 25);
        paint(bytes, 1, 0, paintoption::kSequential | paintoption::kWholeLinesOnly);
        MemorySource source(bytes);
        const auto laid =
            text::layOutText(articleFont(), source,
                             {int(next() % 300) - 50, round % 2 == 0, dir.filePath(QStringLiteral("F.V")), dir.path()});
        ASSERT_TRUE(laid);
        QFile f(laid->output);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        MemorySource formatted(f.readAll());
        recordLength = 0;
        TextPaintRequest r;
        r.rect = kRect;
        r.options = paintoption::kFreeLinks;
        r.firstLine = laid->lineCount / 2;
        text::paintFormattedText(canvas, formatted, r, links, recordLength);
        MemorySource again(bytes);
        (void)text::findAnchor(again, QStringLiteral(":^M"));
    }
}

} // namespace
} // namespace lumeria::test
