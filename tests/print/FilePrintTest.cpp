// Text and data files printed to PDF for real and read back.
#include "PrintTestSupport.h"
#include "print/PrintSetupDialog.h"
#include "print/ProgressReport.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>

namespace lumeria {
namespace {

using testing::pdfInfoField;
using testing::pdfPages;
using testing::pdfText;

class FilePrint : public testing::PrintFixture {
protected:
    // The row numbers each page holds, in the order printed.
    std::vector<std::vector<int>> rowsByPage() const
    {
        std::vector<std::vector<int>> pages;
        const QRegularExpression row(QStringLiteral("\\brow (\\d+)\\b"));
        for (int p = 1; p <= pdfPages(pdf()); ++p) {
            std::vector<int>& numbers = pages.emplace_back();
            auto it = row.globalMatch(pdfText(pdf(), p));
            while (it.hasNext())
                numbers.push_back(it.next().captured(1).toInt());
        }
        return pages;
    }
};

TEST_F(FilePrint, DataFileLinesPrintOnceEachInOrderFillingEveryPageButTheLast)
{
    write(QStringLiteral("data.txt"), rows(400));
    PrintService service(context);
    ASSERT_EQ(service.printFile(QStringLiteral("head"), QStringLiteral("foot"), QStringLiteral("data.txt"),
                                TextWrap::None, PrintMode::Data),
              PrintOutcome::Printed);

    const auto pages = rowsByPage();
    ASSERT_GT(pages.size(), 1u);
    const size_t perPage = pages.front().size();
    std::vector<int> all;
    for (size_t p = 0; p < pages.size(); ++p) {
        if (p + 1 < pages.size()) {
            EXPECT_EQ(pages[p].size(), perPage) << "page " << p + 1;
        }
        all.insert(all.end(), pages[p].begin(), pages[p].end());
    }
    ASSERT_EQ(all.size(), 400u);
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ(all[size_t(i)], i + 1);
    EXPECT_EQ(pages.size(), (400 + perPage - 1) / perPage);
}

TEST_F(FilePrint, DataFileWithUnixLineEndsAndNoLastEndingCountsItsLines)
{
    QByteArray bytes = rows(30, "\n");
    bytes += "row 31";
    write(QStringLiteral("unix.txt"), bytes);
    PrintService service(context);
    ASSERT_EQ(service.printFile({}, {}, QStringLiteral("unix.txt"), TextWrap::None, PrintMode::Data),
              PrintOutcome::Printed);
    const auto pages = rowsByPage();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].size(), 31u);
    EXPECT_EQ(pages[0].back(), 31);
}

TEST_F(FilePrint, HeaderAndFooterCodesExpandOnEveryPage)
{
    write(QStringLiteral("Data.txt"), rows(200));
    PrintService service(context);
    ASSERT_EQ(service.printFile(QStringLiteral("&F &&F p&p"), QStringLiteral("at &T && fin &P"),
                                QStringLiteral("Data.txt"), TextWrap::None, PrintMode::Data),
              PrintOutcome::Printed);

    const int pages = pdfPages(pdf());
    ASSERT_GE(pages, 2);
    for (int p = 1; p <= pages; ++p) {
        const QString text = pdfText(pdf(), p);
        EXPECT_TRUE(text.contains(QStringLiteral("Data.txt &F p%1").arg(p))) << text.toStdString();
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("at \\d\\d:\\d\\d:\\d\\d & fin %1").arg(p))))
            << text.toStdString();
    }
    // The spooler gets the title upper-cased.
    EXPECT_EQ(pdfInfoField(pdf(), QStringLiteral("Title")), QStringLiteral("DATA.TXT"));
}

TEST_F(FilePrint, FileThatCannotBeOpenedPrintsOnePageWithHeaderAndFooter)
{
    PrintService service(context);
    ASSERT_EQ(service.printFile(QStringLiteral("top of &F"), QStringLiteral("bottom"), QStringLiteral("gone.txt"),
                                TextWrap::None, PrintMode::Data),
              PrintOutcome::Printed);
    EXPECT_EQ(pdfPages(pdf()), 1);
    const QString text = pdfText(pdf(), 1);
    EXPECT_TRUE(text.contains(QStringLiteral("top of gone.txt")));
    EXPECT_TRUE(text.contains(QStringLiteral("bottom")));

    ASSERT_EQ(
        service.printFile({}, QStringLiteral("still one"), QStringLiteral("gone.txt"), TextWrap::Word, PrintMode::Text),
        PrintOutcome::Printed);
    EXPECT_EQ(pdfPages(pdf()), 1);
}

TEST_F(FilePrint, LinesTallerThanThePrintableAreaStillLetTheJobEnd)
{
    // At 300 points one line is taller than the two-inch area the header
    // and footer leave; each line gets a page of its own.
    font.size = 300;
    write(QStringLiteral("big.txt"), rows(3));
    PrintService service(context);
    ASSERT_EQ(service.printFile(QStringLiteral("h"), QStringLiteral("f"), QStringLiteral("big.txt"), TextWrap::None,
                                PrintMode::Data),
              PrintOutcome::Printed);
    EXPECT_EQ(pdfPages(pdf()), 3);

    write(QStringLiteral("big.txt.V"), rows(2));
    ASSERT_EQ(service.printFile(QStringLiteral("h"), QStringLiteral("f"), QStringLiteral("big.txt"), TextWrap::None,
                                PrintMode::Text),
              PrintOutcome::Printed);
    EXPECT_EQ(pdfPages(pdf()), 2);
}

TEST_F(FilePrint, ExtremeFontSizesStillPrintEveryLine)
{
    write(QStringLiteral("few.txt"), rows(4));
    PrintService service(context);
    for (int size : {0, 99999}) {
        font.size = size;
        ASSERT_EQ(
            service.printFile(QStringLiteral("h"), {}, QStringLiteral("few.txt"), TextWrap::None, PrintMode::Data),
            PrintOutcome::Printed)
            << size;
        const int pages = pdfPages(pdf());
        EXPECT_GE(pages, 1) << size;
        EXPECT_LE(pages, 4) << size;
    }
}

// SetFont with no digits in its size leaves 0: the job prints at the
// default size, as it would have without SetFont.
TEST_F(FilePrint, ASizeOfZeroPrintsAtTheDefaultSize)
{
    write(QStringLiteral("few.txt"), rows(4));
    PrintService service(context);
    QImage pages[2];
    for (int i = 0; i < 2; ++i) {
        font.size = i == 0 ? 9 : 0;
        ASSERT_EQ(
            service.printFile(QStringLiteral("h"), {}, QStringLiteral("few.txt"), TextWrap::None, PrintMode::Data),
            PrintOutcome::Printed);
        pages[i] = testing::pdfPageImage(pdf(), 1, folder.path());
        ASSERT_FALSE(pages[i].isNull());
    }
    EXPECT_EQ(pages[0], pages[1]);
}

TEST_F(FilePrint, TextFileLaysOutItsFormattedCompanionAndLeavesNoScratchFile)
{
    write(QStringLiteral("story.txt"), "one line\r\n");
    write(QStringLiteral("story.txt.V"), rows(300));
    PrintService service(context);
    ASSERT_EQ(service.printFile(QStringLiteral("&F"), {}, QStringLiteral("story.txt"), TextWrap::None, PrintMode::Text),
              PrintOutcome::Printed);
    const int pages = pdfPages(pdf());
    EXPECT_GT(pages, 1);
    EXPECT_LT(pages, 300);
    EXPECT_TRUE(pdfText(pdf(), pages).contains(QStringLiteral("story.txt")));
    EXPECT_TRUE(QDir(scratch()).isEmpty());
}

TEST_F(FilePrint, TextFileWithoutCompanionIsLaidOutFromItsOwnText)
{
    write(QStringLiteral("plain.txt"), rows(300));
    PrintService service(context);
    ASSERT_EQ(service.printFile({}, {}, QStringLiteral("plain.txt"), TextWrap::None, PrintMode::Text),
              PrintOutcome::Printed);
    EXPECT_GT(pdfPages(pdf()), 1);
    EXPECT_TRUE(QDir(scratch()).isEmpty());
}

TEST_F(FilePrint, WordWrapPutsALongParagraphOnMorePages)
{
    QByteArray paragraph;
    for (int i = 0; i < 40; ++i) {
        for (int w = 0; w < 60; ++w)
            paragraph += "word ";
        paragraph += "\r\n";
    }
    write(QStringLiteral("long.txt.V"), paragraph);
    PrintService service(context);
    ASSERT_EQ(service.printFile({}, {}, QStringLiteral("long.txt"), TextWrap::None, PrintMode::Text),
              PrintOutcome::Printed);
    EXPECT_EQ(pdfPages(pdf()), 1);
    ASSERT_EQ(service.printFile({}, {}, QStringLiteral("long.txt"), TextWrap::Word, PrintMode::Text),
              PrintOutcome::Printed);
    EXPECT_GT(pdfPages(pdf()), 1);
}

TEST_F(FilePrint, TextFileLinesPrintAsTextOnceEachInOrder)
{
    // Codes change the font mid-line; the printed document must still hold
    // every line as text, split over pages where whole lines fit.
    QByteArray formatted;
    for (int i = 1; i <= 300; ++i) {
        const QByteArray row = "row " + QByteArray::number(i);
        formatted += (i % 3 == 0 ? "^B" + row + "^b" : i % 3 == 1 ? "^F24~" + row + "^f ^Ibig^i" : row) + "\r\n";
    }
    write(QStringLiteral("story.txt.V"), formatted);
    PrintService service(context);
    ASSERT_EQ(service.printFile(QStringLiteral("head"), QStringLiteral("foot"), QStringLiteral("story.txt"),
                                TextWrap::None, PrintMode::Text),
              PrintOutcome::Printed);

    const auto pages = rowsByPage();
    ASSERT_GT(pages.size(), 2u);
    std::vector<int> all;
    for (const auto& page : pages)
        all.insert(all.end(), page.begin(), page.end());
    ASSERT_EQ(all.size(), 300u);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(all[size_t(i)], i + 1);
    // Readers split italic runs at odd places; the letters are all there.
    EXPECT_TRUE(pdfText(pdf(), 1).remove(QLatin1Char(' ')).contains(QStringLiteral("big")));
}

TEST_F(FilePrint, WrappedTextKeepsEveryWordInOrder)
{
    QByteArray paragraph;
    for (int w = 1; w <= 900; ++w)
        paragraph += "w" + QByteArray::number(w) + " ";
    write(QStringLiteral("wrap.txt"), paragraph + "\r\n");
    PrintService service(context);
    ASSERT_EQ(service.printFile({}, {}, QStringLiteral("wrap.txt"), TextWrap::Word, PrintMode::Text),
              PrintOutcome::Printed);
    const QRegularExpression word(QStringLiteral("\\bw(\\d+)\\b"));
    std::vector<int> words;
    auto it = word.globalMatch(pdfText(pdf()));
    while (it.hasNext())
        words.push_back(it.next().captured(1).toInt());
    ASSERT_EQ(words.size(), 900u);
    for (int i = 0; i < 900; ++i)
        ASSERT_EQ(words[size_t(i)], i + 1);
}

// The paper keeps the article engine's measures: a tab of 1440 twips puts
// the run one inch past the line's start, which is the margin and the
// engine's six pixels.
TEST_F(FilePrint, PrintedRunsLandWhereTheEngineMeasuredThem)
{
    write(QStringLiteral("tab.txt.V"), "^A1440~|\r\n");
    PrintService service(context);
    ASSERT_EQ(service.printFile({}, {}, QStringLiteral("tab.txt"), TextWrap::None, PrintMode::Text),
              PrintOutcome::Printed);
    const QImage page = testing::pdfPageImage(pdf(), 1, folder.path());
    ASSERT_FALSE(page.isNull());
    const QRect ink = testing::inkBounds(page);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.left(), 72 + 6 + 96, 3);
    EXPECT_NEAR(ink.top(), 72, 4);
}

class CancelPrint : public FilePrint {
protected:
    // Acts on the progress window as soon as the first page has been drawn
    // and events run; by default presses Cancel.
    void whenFirstPagePrinted(PrintService& service, std::function<void(TProgressReport&)> act = {})
    {
        QTimer::singleShot(0, [&service, this, act] {
            if (TProgressReport* progress = service.progressWindow()) {
                promptSeen = progress->prompt()->text();
                gaugeSeen = {progress->gauge()->value(), progress->gauge()->maximum()};
                if (act)
                    act(*progress);
                else
                    progress->cancelButton()->click();
            }
        });
    }

    void answer(int button)
    {
        TQueryForm::setAnswerer(
            [this, button](const QString& title, const QString& message, const QStringList& buttons) {
                questions << title << message << buttons;
                return std::optional<int>(button);
            });
    }

    QString promptSeen;
    std::pair<int, int> gaugeSeen; // value, maximum
    QStringList questions;
};

TEST_F(CancelPrint, AnsweringYesEndsTheJobWithTheFirstPageAndItsFooter)
{
    write(QStringLiteral("long.txt"), rows(2000));
    answer(1);
    PrintService service(context);
    whenFirstPagePrinted(service);
    EXPECT_EQ(service.printFile(QStringLiteral("head"), QStringLiteral("end of p&P"), QStringLiteral("long.txt"),
                                TextWrap::None, PrintMode::Data),
              PrintOutcome::Cancelled);
    EXPECT_EQ(service.progressWindow(), nullptr);
    EXPECT_EQ(pdfPages(pdf()), 1);
    EXPECT_TRUE(pdfText(pdf(), 1).contains(QStringLiteral("end of p1")));
    EXPECT_EQ(promptSeen, QStringLiteral("Impression de la page 1"));
    EXPECT_EQ(gaugeSeen, std::make_pair(int(rowsByPage().front().size()), 2000));
    EXPECT_EQ(questions, (QStringList{QStringLiteral("Lumeria"), QStringLiteral("Interrompre l'impression ?"),
                                      QStringLiteral("Oui"), QStringLiteral("Non")}));
}

TEST_F(CancelPrint, AnsweringNoPrintsEverything)
{
    write(QStringLiteral("long.txt"), rows(300));
    answer(2);
    PrintService service(context);
    whenFirstPagePrinted(service);
    EXPECT_EQ(service.printFile({}, {}, QStringLiteral("long.txt"), TextWrap::None, PrintMode::Data),
              PrintOutcome::Printed);
    EXPECT_EQ(questions.size(), 4);
    std::vector<int> all;
    for (const auto& page : rowsByPage())
        all.insert(all.end(), page.begin(), page.end());
    EXPECT_EQ(all.size(), 300u);
}

TEST_F(CancelPrint, ClosingTheProgressWindowAsksLikeCancel)
{
    write(QStringLiteral("long.txt"), rows(2000));
    answer(1);
    PrintService service(context);
    whenFirstPagePrinted(service, [](TProgressReport& progress) { progress.reject(); });
    EXPECT_EQ(service.printFile({}, {}, QStringLiteral("long.txt"), TextWrap::None, PrintMode::Data),
              PrintOutcome::Cancelled);
    EXPECT_EQ(questions.size(), 4);
    EXPECT_EQ(pdfPages(pdf()), 1);
}

TEST_F(CancelPrint, PrintCommandFromAScriptRunWhilePagesPrintIsIgnored)
{
    write(QStringLiteral("long.txt"), rows(300));
    context.renderPage = [](const QString&) {
        QImage page(64, 48, QImage::Format_RGB32);
        page.fill(Qt::black);
        return page;
    };
    PrintService service(context);
    PrintOutcome nested = PrintOutcome::Printed;
    whenFirstPagePrinted(service, [&](TProgressReport&) { nested = service.printPage(QStringLiteral("One")); });
    EXPECT_EQ(service.printFile({}, {}, QStringLiteral("long.txt"), TextWrap::None, PrintMode::Data),
              PrintOutcome::Printed);
    EXPECT_EQ(nested, PrintOutcome::Busy);
    std::vector<int> all;
    for (const auto& page : rowsByPage())
        all.insert(all.end(), page.begin(), page.end());
    EXPECT_EQ(all.size(), 300u);
    // The service is free again once the job has ended.
    EXPECT_EQ(service.printPage(QStringLiteral("One")), PrintOutcome::Printed);
}

TEST_F(FilePrint, UnwritableTargetIsReportedNotPrinted)
{
    context.pdfTarget = folder.filePath(QStringLiteral("no/such/folder/out.pdf"));
    write(QStringLiteral("data.txt"), rows(3));
    PrintService service(context);
    EXPECT_EQ(service.printFile({}, {}, QStringLiteral("data.txt"), TextWrap::None, PrintMode::Data),
              PrintOutcome::DeviceFailed);
    EXPECT_EQ(service.progressWindow(), nullptr);
}

// With automation or no display, nobody could answer the print dialog: it
// is answered like every box, and closing it prints nothing.
TEST_F(FilePrint, ThePrintDialogIsAnsweredWhereBoxesAre)
{
    context.pdfTarget.clear();
    write(QStringLiteral("data.txt"), rows(3));
    QStringList asked;
    TQueryForm::setAnswerer([&](const QString& title, const QString&, const QStringList& buttons) {
        asked << title << buttons;
        return std::optional<int>(0);
    });
    PrintService service(context);
    const PrintOutcome outcome = service.printFile({}, {}, QStringLiteral("data.txt"), TextWrap::None, PrintMode::Data);
    TQueryForm::setAnswerer({});
    EXPECT_EQ(outcome, PrintOutcome::Refused);
    ASSERT_EQ(asked.size(), 3);
    EXPECT_EQ(asked.mid(1), (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
}

TEST(PrintDialog, StandsCentredAcrossWithItsTopAThirdDownTheFreeHeight)
{
    QPrinter printer;
    TPrintSetupDialog dialog(printer, nullptr);
    dialog.show();
    QCoreApplication::processEvents();
    const QRect screen = dialog.screen()->geometry();
    const QRect frame = dialog.frameGeometry();
    EXPECT_NEAR(frame.left() - screen.left(), (screen.width() - frame.width()) / 2, 1);
    EXPECT_NEAR(frame.top() - screen.top(), (screen.height() - frame.height()) / 3, 1);
    dialog.hide();
}

} // namespace
} // namespace lumeria
