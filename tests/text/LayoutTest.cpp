#include "TextTestSupport.h"

#include "ContainerBuilder.h"

#include "platform/IoError.h"
#include "text/Markup.h"
#include "text/MarkupScanner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace lumeria::test {
namespace {

using text::lineHeader;

class Layout : public LayoutFixture {};

TEST_F(Layout, WithoutWrapEachSourceLineIsOneLineOfOneLength)
{
    const gdi::Font font = articleFont();
    const auto laid = layOut("First line\r\n\r\nA longer second line\r\n^Bbold", 100, false);
    ASSERT_TRUE(laid) << laid.error();
    EXPECT_EQ(laid->lineCount, 4);
    const QStringList lines = outputLines();
    ASSERT_EQ(lines.size(), 4);
    const QString header = lineHeader(font.height(), font.ascent());
    for (const QString& line : lines) {
        EXPECT_TRUE(line.startsWith(header)) << line.toStdString();
        EXPECT_EQ(line.size(), lines[0].size());
    }
    // The longest line gets one space of padding.
    EXPECT_EQ(lines[2], header + QStringLiteral("A longer second line "));
    EXPECT_EQ(body(lines[1]), QString());
    EXPECT_EQ(body(lines[3]), QStringLiteral("^Bbold"));
    EXPECT_EQ(laid->xRange, widthOf(font, QStringLiteral("A longer second line")));
    EXPECT_EQ(laid->maxLineHeight, font.height());
}

TEST_F(Layout, WordWrapFlowsSourceLinesAndAnEmptyLineEndsTheParagraph)
{
    const gdi::Font font = articleFont();
    const int oneWord = widthOf(font, QStringLiteral("alpha"));
    const auto laid = layOut("  alpha   beta\r\ngamma\r\n\r\ndelta", 1000, true);
    ASSERT_TRUE(laid);
    const QStringList lines = outputLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(body(lines[0]), QStringLiteral("alpha beta gamma"));
    EXPECT_EQ(body(lines[1]), QStringLiteral("delta"));
    EXPECT_EQ(laid->xRange, 1000);

    // Narrow enough for two words: "width + space + word" decides.
    const int width = oneWord + widthOf(font, QStringLiteral(" beta")) + widthOf(font, QStringLiteral(" ")) + 1;
    ASSERT_TRUE(layOut("alpha beta gamma", width, true));
    EXPECT_EQ(outputLines().size(), 2);
    EXPECT_EQ(body(outputLines()[0]), QStringLiteral("alpha beta"));
}

TEST_F(Layout, AWordWiderThanTheBoxStandsAloneUncut)
{
    const auto laid = layOut("a Supercalifragilistic b", 30, true);
    ASSERT_TRUE(laid);
    const QStringList lines = outputLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(body(lines[0]), QStringLiteral("a"));
    EXPECT_EQ(body(lines[1]), QStringLiteral("Supercalifragilistic"));
    EXPECT_EQ(body(lines[2]), QStringLiteral("b"));
}

TEST_F(Layout, StylesCarryOverALineBreakThroughTheStateCodes)
{
    ASSERT_TRUE(layOut("^Bbold words ^Xstruck here^x^b plain", 60, true));
    const QStringList lines = outputLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(body(lines[0]), QStringLiteral("^Bbold"));
    EXPECT_EQ(body(lines[1]), QStringLiteral("^Bwords"));
    EXPECT_EQ(body(lines[2]), QStringLiteral("^B^Xstruck"));
    // Both still on where the line begins; once off, nothing is restored.
    EXPECT_EQ(body(lines[3]), QStringLiteral("^B^Xhere^x^b plain"));
}

TEST_F(Layout, FixedPitchCarriedOverABreakKeepsTheDigitsThatFollow)
{
    ASSERT_TRUE(layOut("^Fcode 1234 5678", 60, true));
    const QStringList lines = outputLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(body(lines[1]), QStringLiteral("^F~1234"));
    text::ScanMode mode;
    const QString second = body(lines[1]);
    text::MarkupScanner scanner(second, text::TextForm::Formatted, mode);
    const text::MarkupToken code = scanner.next();
    EXPECT_EQ(code.letter, u'F');
    EXPECT_FALSE(code.number);
    EXPECT_EQ(scanner.next().text, QStringLiteral("1234"));
}

TEST_F(Layout, OverlongLinesAreCutSoThatEveryRecordReadsBackWhole)
{
    QByteArray source(29990, 'x');
    source += "^B" + QByteArray(200, 'y') + "\r\nsecond";
    const auto laid = layOut(source, 100, false);
    ASSERT_TRUE(laid);
    const QStringList lines = outputLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].size(), text::kMaxFormattedLine + 1);
    EXPECT_EQ(lines[1].size(), lines[0].size());
    // What was cut still set the state the next line starts in.
    EXPECT_EQ(body(lines[1]), QStringLiteral("^Bsecond"));
}

TEST_F(Layout, CentredAndRightLinesStoreTheirMeasuredWidth)
{
    const gdi::Font font = articleFont();
    ASSERT_TRUE(layOut("^Chello^c\r\n^Gworld ^Gagain", 300, false));
    const QStringList lines = outputLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(body(lines[0]), QStringLiteral("^C%1~hello^c").arg(widthOf(font, QStringLiteral("hello"))));
    // Only the first ^G carries the width.
    EXPECT_EQ(body(lines[1]), QStringLiteral("^G%1~world ^Gagain").arg(widthOf(font, QStringLiteral("world again"))));
}

TEST_F(Layout, LargerTextRaisesTheLineAndTheTallestHeight)
{
    const gdi::Font small = articleFont(10);
    const gdi::Font big = articleFont(20);
    const auto laid = layOut("small\r\n^F20~big^f small", 300, false);
    ASSERT_TRUE(laid);
    const QStringList lines = outputLines();
    EXPECT_TRUE(lines[0].startsWith(lineHeader(small.height(), small.ascent())));
    EXPECT_TRUE(lines[1].startsWith(lineHeader(big.height(), big.ascent())));
    EXPECT_EQ(laid->maxLineHeight, big.height());
    EXPECT_EQ(laid->xRange, widthOf(big, QStringLiteral("big")) + widthOf(small, QStringLiteral(" small")));
}

TEST_F(Layout, PositioningCodesCountInTheWidth)
{
    const gdi::Font font = articleFont();
    // ^A to 1440 twips = 96 pixels; ^T2~ = two widths of M; ^S1~ adds one.
    auto laid = layOut("ab^A1440~c", 1000, false);
    ASSERT_TRUE(laid);
    EXPECT_EQ(laid->xRange, 96 + widthOf(font, QStringLiteral("c")));
    laid = layOut("^T2~^S1~x", 1000, false);
    ASSERT_TRUE(laid);
    EXPECT_EQ(laid->xRange, 3 * widthOf(font, QStringLiteral("M")) + widthOf(font, QStringLiteral("x")));
    // An indent adds to the horizontal range, not to the stored width.
    laid = layOut("^O1440~^Cx", 1000, false);
    ASSERT_TRUE(laid);
    EXPECT_EQ(laid->xRange, 96 + widthOf(font, QStringLiteral("x")));
    EXPECT_EQ(body(outputLines()[0]), QStringLiteral("^O1440~^C%1~x").arg(widthOf(font, QStringLiteral("x"))));
}

// Source lines end at CR LF only, so a line feed alone is text of its line;
// the painter seeks by one record length, so the copy must not cut there.
TEST_F(Layout, ALineFeedAloneStaysInItsRecordAndRecordsKeepOneLength)
{
    const auto laid = layOut("one\ntwo\r\nthree\r\n", 1000, false);
    ASSERT_TRUE(laid);
    EXPECT_EQ(laid->lineCount, 2);
    const QByteArray bytes = outputBytes();
    ASSERT_FALSE(bytes.isEmpty());
    const qsizetype record = bytes.indexOf("\r\n") + 2;
    EXPECT_EQ(bytes.size(), 2 * record);
    EXPECT_TRUE(bytes.left(record).contains("one\ntwo"));
}

// An author's stray NUL must not swallow the rest of its block: the layout
// reads every byte, and a NUL is a space, wrapped or not.
TEST_F(Layout, ANulIsASpaceAndTheLinesAfterItStay)
{
    QByteArray source("before");
    source.append('\0');
    source += "after\r\n";
    for (int i = 0; i < 300; ++i)
        source += "line " + QByteArray::number(i) + "\r\n";
    for (const bool wordWrap : {false, true}) {
        SCOPED_TRACE(wordWrap ? "word wrap" : "no wrap");
        const auto laid = layOut(source, wordWrap ? 5000 : 1000, wordWrap);
        ASSERT_TRUE(laid);
        const QStringList lines = outputLines();
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_TRUE(body(lines[0]).startsWith(QStringLiteral("before after"))) << lines[0].toStdString();
        EXPECT_TRUE(lines.last().contains(QStringLiteral("line 299"))) << lines.last().toStdString();
        if (!wordWrap) {
            EXPECT_EQ(laid->lineCount, 301);
        }
    }
}

// A blank line inside large text keeps that text's height: it is measured
// with nothing in it, and the plain font would make a gap too small.
TEST_F(Layout, ABlankLineIsAsTallAsTheTextBeforeIt)
{
    const gdi::Font big = articleFont(24);
    const QString bigHeader = lineHeader(big.height(), big.ascent());
    auto laid = layOut("^F24~large\r\n\r\n\r\nstill large^f", 1000, false);
    ASSERT_TRUE(laid);
    QStringList lines = outputLines();
    ASSERT_EQ(lines.size(), 4);
    for (const QString& line : lines)
        EXPECT_TRUE(line.startsWith(bigHeader)) << line.toStdString();

    // Wrapped, two blank lines end the paragraph and leave one empty line.
    laid = layOut("^F24~large\r\n\r\n\r\nstill large^f", 1000, true);
    ASSERT_TRUE(laid);
    lines = outputLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_FALSE(lines[1].contains(QStringLiteral("large"))) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].startsWith(bigHeader)) << lines[1].toStdString();
}

// Long texts pass through the scratch file rather than memory; the records
// that were still in memory when it started must follow, in order.
TEST_F(Layout, ATextTooLongToKeepInMemoryComesOutWholeAndInOrder)
{
    QByteArray source;
    for (int i = 0; i < 70000; ++i)
        source += "line " + QByteArray::number(i) + "\r\n";
    const auto laid = layOut(source, 1000, false);
    ASSERT_TRUE(laid);
    EXPECT_EQ(laid->lineCount, 70000);
    const QByteArray bytes = outputBytes();
    ASSERT_FALSE(bytes.isEmpty());
    const qsizetype record = bytes.indexOf("\r\n") + 2;
    ASSERT_GT(bytes.size(), 1 << 20);
    ASSERT_EQ(bytes.size(), 70000 * record);
    for (const int i : {0, 1, 35000, 52000, 69999}) {
        const QByteArray line = bytes.mid(i * record, record);
        EXPECT_TRUE(line.contains("line " + QByteArray::number(i) + " ")) << line.toStdString();
        EXPECT_TRUE(line.endsWith("\r\n"));
    }
}

TEST_F(Layout, HugeCharacterCountsMoveThePenFarWithoutOverflowing)
{
    const int x = widthOf(articleFont(), QStringLiteral("x"));
    auto laid = layOut("^S2147483647~x", 1000, false);
    ASSERT_TRUE(laid);
    EXPECT_EQ(laid->xRange, text::kFarPixels + x);
    laid = layOut("^T2147483647~x", 1000, false);
    ASSERT_TRUE(laid);
    EXPECT_EQ(laid->xRange, text::kFarPixels + x);
    laid = layOut("^S2147483647~^S2147483647~x", 1000, false);
    ASSERT_TRUE(laid);
    EXPECT_EQ(laid->xRange, text::kFarPixels + x);
}

TEST_F(Layout, ALinkThatWrapsReopensOnTheNextLineAndItsTargetIsNeverSplit)
{
    ASSERT_TRUE(layOut("see ^Lthe big map=GO \"Page two\"^l now", 50, true));
    const QStringList lines = outputLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(body(lines[0]), QStringLiteral("see ^Lthe"));
    EXPECT_EQ(body(lines[1]), QStringLiteral("^Lbig map=GO \"Page two\"^l"));
    EXPECT_EQ(body(lines[2]), QStringLiteral("now"));
}

TEST_F(Layout, UnknownCodesAndCaretsMeasureAsWhatIsShown)
{
    const gdi::Font font = articleFont();
    auto laid = layOut("a^Qb^^c", 1000, false);
    ASSERT_TRUE(laid);
    EXPECT_EQ(laid->xRange, widthOf(font, QStringLiteral("ab^c")));
    laid = layOut("x^Mhidden^my^Lz=target^l", 1000, false);
    ASSERT_TRUE(laid);
    EXPECT_EQ(laid->xRange, widthOf(font, QStringLiteral("xyz")));
}

TEST_F(Layout, AWidthOfZeroOrLessLaysOutTo200)
{
    const auto laid = layOut("one", -5, true);
    ASSERT_TRUE(laid);
    EXPECT_EQ(laid->xRange, text::kDefaultLayoutWidth);
}

TEST_F(Layout, WithoutAnOutputNameTheResultIsANewTemporaryFile)
{
    MemorySource bytes(QByteArray("one\r\ntwo"));
    const auto laid = text::layOutText(articleFont(), bytes, {100, false, {}, folder.path()});
    ASSERT_TRUE(laid);
    EXPECT_TRUE(QFileInfo(laid->output).fileName().startsWith(QStringLiteral("$$$")));
    EXPECT_EQ(QFileInfo(laid->output).absolutePath(), QFileInfo(folder.path()).absoluteFilePath());
    EXPECT_EQ(laid->lineCount, 2);
    // Only the output is left: the scratch file is gone.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(Layout, NoScratchFileMeansError10001)
{
    MemorySource bytes(QByteArray("one"));
    const auto laid = text::layOutText(
        articleFont(), bytes,
        {100, false, folder.filePath(QStringLiteral("OUT.V")), folder.filePath(QStringLiteral("missing"))});
    ASSERT_FALSE(laid);
    EXPECT_EQ(laid.error(), io::kTempFileFailed);
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("OUT.V"))));
}

class FailingSource final : public ByteSource {
public:
    int64_t readAt(int64_t position, std::span<std::byte> buffer) override
    {
        if (position > 0)
            return -io::kReadError;
        const QByteArray line("one line\r\nand half a");
        std::memcpy(buffer.data(), line.constData(), size_t(line.size()));
        return line.size();
    }
};

TEST_F(Layout, AReadErrorLeavesNoOutput)
{
    writeFile(folder.filePath(QStringLiteral("OUT.V")), "an older layout");
    FailingSource source;
    const auto laid =
        text::layOutText(articleFont(), source, {100, false, folder.filePath(QStringLiteral("OUT.V")), folder.path()});
    ASSERT_FALSE(laid);
    EXPECT_EQ(laid.error(), io::kReadError);
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

} // namespace
} // namespace lumeria::test
