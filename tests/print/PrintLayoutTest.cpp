// The arithmetic of a print job: where text may go, what a header says and
// how large a picture comes out.
#include "print/PrintLayout.h"

#include <QTime>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

// Letter paper at 96 pixels per inch.
constexpr PrinterMetrics kLetter{816, 1056, 96, 96};

TEST(PrintableArea, MarginsOfThreeQuartersInchWithoutHeaderOrFooter)
{
    const gdi::Rect area = printableArea(kLetter, {}, 15, false, false);
    EXPECT_EQ(area.left, 72);
    EXPECT_EQ(area.top, 72);
    EXPECT_EQ(area.right, 816 - 72);
    EXPECT_EQ(area.bottom, 1056 - 72);
}

TEST(PrintableArea, HeaderKeepsTwoTextHeightsAboveTheFirstLineWhateverTheMargin)
{
    PrintMargins thin;
    thin.top = 10; // a tenth of an inch
    thin.bottom = 10;
    const gdi::Rect bare = printableArea(kLetter, thin, 40, false, false);
    EXPECT_EQ(bare.top, 10);
    EXPECT_EQ(bare.bottom, 1056 - 10);

    const gdi::Rect framed = printableArea(kLetter, thin, 40, true, true);
    EXPECT_EQ(framed.top, 80);
    EXPECT_EQ(framed.bottom, 1056 - 80);
    // A margin wider than the two text heights stays as it is.
    EXPECT_EQ(printableArea(kLetter, {}, 15, true, true).top, 72);
}

TEST(PrintableArea, NeverLessThanTwoInchesEvenOnPaperTooSmallForIt)
{
    PrintMargins wide;
    wide.left = 400;
    wide.right = 400;
    const gdi::Rect narrow = printableArea(kLetter, wide, 15, false, false);
    EXPECT_EQ(narrow.left, 384);
    EXPECT_EQ(narrow.width(), 2 * 96);

    const PrinterMetrics card{200, 150, 96, 96};
    const gdi::Rect tiny = printableArea(card, {}, 15, true, true);
    EXPECT_EQ(tiny.width(), 192);
    EXPECT_EQ(tiny.height(), 192);

    // The rule follows each axis's own resolution.
    const PrinterMetrics uneven{300, 100, 120, 60};
    const gdi::Rect stretched = printableArea(uneven, {}, 10, false, false);
    EXPECT_EQ(stretched.width(), 240);
    EXPECT_EQ(stretched.height(), 120);
}

PrintCodeValues values()
{
    return {QStringLiteral("REPORT.TXT"), 3, QStringLiteral("08/12/2026"), QStringLiteral("09:15:00")};
}

// &T follows the reader's settings: a twelve-hour clock where that is
// the custom, seconds always, never the time zone.
TEST(PrintCodes, TheTimeFollowsTheLocalesClock)
{
    const QTime time(15, 4, 5);
    const QLocale american(QLocale::English, QLocale::UnitedStates);
    const QString us = american.toString(time, printTimeFormat(american));
    EXPECT_TRUE(us.startsWith(QStringLiteral("3:04:05"))) << us.toStdString();
    EXPECT_TRUE(us.endsWith(QStringLiteral("PM"))) << us.toStdString();
    const QLocale french(QLocale::French, QLocale::France);
    EXPECT_EQ(french.toString(time, printTimeFormat(french)), QStringLiteral("15:04:05"));
    EXPECT_EQ(printTimeFormat(QLocale::c()), QStringLiteral("HH:mm:ss"));
}

TEST(PrintCodes, EachCodeInAnyCase)
{
    EXPECT_EQ(expandPrintCodes(QStringLiteral("&F - page &P - &D &T"), values()),
              QStringLiteral("REPORT.TXT - page 3 - 08/12/2026 09:15:00"));
    EXPECT_EQ(expandPrintCodes(QStringLiteral("&f &p &d &t"), values()),
              QStringLiteral("REPORT.TXT 3 08/12/2026 09:15:00"));
}

TEST(PrintCodes, DoubledAmpersandIsALiteralAndTheLetterAfterItIsNoCode)
{
    EXPECT_EQ(expandPrintCodes(QStringLiteral("&&F"), values()), QStringLiteral("&F"));
    EXPECT_EQ(expandPrintCodes(QStringLiteral("A && B"), values()), QStringLiteral("A & B"));
    EXPECT_EQ(expandPrintCodes(QStringLiteral("&&&P"), values()), QStringLiteral("&3"));
    EXPECT_EQ(expandPrintCodes(QStringLiteral("&&&&"), values()), QStringLiteral("&&"));
}

TEST(PrintCodes, UnknownCodesAndATrailingAmpersandStayAsWritten)
{
    EXPECT_EQ(expandPrintCodes(QStringLiteral("&X & &"), values()), QStringLiteral("&X & &"));
    EXPECT_EQ(expandPrintCodes(QString(), values()), QString());
}

TEST(PrintCodes, InsertedTextIsNotSearchedAgain)
{
    PrintCodeValues tricky = values();
    tricky.title = QStringLiteral("A&PB&&");
    tricky.date = QStringLiteral("&T");
    EXPECT_EQ(expandPrintCodes(QStringLiteral("&F|&D"), tricky), QStringLiteral("A&PB&&|&T"));
}

TEST(PrintCodes, LongHeadersExpandToTheirEnd)
{
    // Past 255 characters a code is replaced like anywhere else.
    const QString header = QString(300, QLatin1Char('x')) + QStringLiteral("&P&&");
    EXPECT_EQ(expandPrintCodes(header, values()), QString(300, QLatin1Char('x')) + QStringLiteral("3&"));
}

TEST(FitPicture, GrowsToTheFreeAreaKeepingItsProportions)
{
    // 816 - 144 = 672 free pixels across, 1056 - 144 = 912 down.
    const gdi::Rect r = fitPictureRect(QSize(640, 480), kLetter);
    EXPECT_EQ(r.width(), 672);
    EXPECT_EQ(r.height(), 504);
    EXPECT_EQ(r.left, 72);
    EXPECT_EQ(r.top, 72 + (912 - 504) / 2);
}

TEST(FitPicture, ShrinksWhenItsOwnSizeDoesNotFit)
{
    const gdi::Rect tall = fitPictureRect(QSize(500, 2000), kLetter);
    EXPECT_LE(tall.height(), 912);
    EXPECT_GE(tall.height(), 908);
    EXPECT_EQ(tall.width(), 228);
    EXPECT_EQ(tall.left, 72 + (672 - 228) / 2);

    const gdi::Rect wide = fitPictureRect(QSize(4000, 1000), kLetter);
    EXPECT_EQ(wide.width(), 672);
    EXPECT_EQ(wide.height(), 168);
}

TEST(FitPicture, NothingForAnEmptyPictureOrPaperWithNoRoomInsideTheMargins)
{
    EXPECT_TRUE(fitPictureRect(QSize(0, 480), kLetter).isEmpty());
    EXPECT_TRUE(fitPictureRect(QSize(640, 0), kLetter).isEmpty());
    EXPECT_TRUE(fitPictureRect(QSize(640, 480), PrinterMetrics{100, 100, 96, 96}).isEmpty());
}

TEST(ScalePicture, PercentOfItsSizeCentredOnThePage)
{
    const gdi::Rect r = scalePictureRect(QSize(100, 50), 200, kLetter);
    EXPECT_EQ(r.width(), 200);
    EXPECT_EQ(r.height(), 100);
    EXPECT_EQ(r.left, (816 - 200) / 2);
    EXPECT_EQ(r.top, (1056 - 100) / 2);
}

TEST(ScalePicture, NeverBelowFivePerCent)
{
    EXPECT_EQ(scalePictureRect(QSize(200, 100), 0, kLetter).width(), 10);
    EXPECT_EQ(scalePictureRect(QSize(200, 100), 1, kLetter).height(), 5);
    EXPECT_EQ(scalePictureRect(QSize(200, 100), -40, kLetter).width(), 10);
}

TEST(ScalePicture, LargerThanThePageStartsAtItsOrigin)
{
    const gdi::Rect r = scalePictureRect(QSize(640, 480), 400, kLetter);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.width(), 2560);

    // A scale typed as a row of digits neither overflows nor wraps negative.
    const gdi::Rect huge = scalePictureRect(QSize(640, 480), 2147483647, kLetter);
    EXPECT_GT(huge.width(), 0);
    EXPECT_GT(huge.height(), 0);
}

} // namespace
} // namespace lumeria
