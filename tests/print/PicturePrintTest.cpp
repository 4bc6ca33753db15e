// Pictures and pages printed to PDF and rasterised back at 96 pixels per
// inch, the unit the job lays out in; an A4 page is then 794 by 1123.
#include "PrintTestSupport.h"
#include "document/Document.h"
#include "render/PageRenderer.h"

#include <QFileInfo>

namespace lumeria {
namespace {

using testing::inkBounds;
using testing::pdfPageImage;
using testing::pdfPages;

constexpr int kA4Width = 794;
constexpr int kA4Height = 1123;

QImage solid(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

class PicturePrint : public testing::PrintFixture {
protected:
    void SetUp() override
    {
        PrintFixture::SetUp();
        context.loadPicture = [this](const QString& name) -> std::optional<QImage> {
            if (name.compare(QStringLiteral("photo.bmp"), Qt::CaseInsensitive) == 0)
                return picture;
            return std::nullopt;
        };
    }

    QRect printedInk() { return inkBounds(pdfPageImage(pdf(), 1, scratch())); }

    QImage picture = solid(100, 50, Qt::black);
};

void expectNear(const QRect& actual, const QRect& expected)
{
    EXPECT_NEAR(actual.left(), expected.left(), 2);
    EXPECT_NEAR(actual.top(), expected.top(), 2);
    EXPECT_NEAR(actual.width(), expected.width(), 2);
    EXPECT_NEAR(actual.height(), expected.height(), 2);
}

TEST_F(PicturePrint, ImageAtAPercentageOfItsSizeCentredOnThePage)
{
    PrintService service(context);
    ASSERT_EQ(service.printImageFile(QStringLiteral("PHOTO.BMP"), 200), PrintOutcome::Printed);
    EXPECT_EQ(pdfPages(pdf()), 1);
    expectNear(printedInk(), QRect((kA4Width - 200) / 2, (kA4Height - 100) / 2, 200, 100));
}

TEST_F(PicturePrint, ScaleNeverGoesBelowFivePerCent)
{
    picture = solid(400, 200, Qt::black);
    PrintService service(context);
    ASSERT_EQ(service.printImageFile(QStringLiteral("photo.bmp"), 0), PrintOutcome::Printed);
    expectNear(printedInk(), QRect((kA4Width - 20) / 2, (kA4Height - 10) / 2, 20, 10));
}

TEST_F(PicturePrint, PictureThatDoesNotLoadPrintsNothing)
{
    PrintService service(context);
    EXPECT_EQ(service.printImageFile(QStringLiteral("missing.bmp"), 100), PrintOutcome::NothingToPrint);
    EXPECT_FALSE(QFileInfo::exists(pdf()));
}

TEST_F(PicturePrint, PageFillsThePaperInsideItsMarginsOnOnePage)
{
    QStringList asked;
    context.renderPage = [&asked](const QString& name) {
        asked << name;
        return solid(640, 480, Qt::black);
    };
    PrintService service(context);
    ASSERT_EQ(service.printPage(QStringLiteral("Contents")), PrintOutcome::Printed);
    EXPECT_EQ(asked, QStringList{QStringLiteral("Contents")});
    EXPECT_EQ(pdfPages(pdf()), 1);
    // 794 - 2 x 72 = 650 across; 650 x 3 / 4 = 487.5 down.
    const QRect ink = printedInk();
    expectNear(ink, QRect(72, 72 + (kA4Height - 144 - 488) / 2, 650, 488));
}

TEST_F(PicturePrint, PageThatRendersNothingPrintsNothing)
{
    context.renderPage = [](const QString&) { return QImage(); };
    PrintService service(context);
    EXPECT_EQ(service.printPage(QStringLiteral("x")), PrintOutcome::NothingToPrint);
    EXPECT_FALSE(QFileInfo::exists(pdf()));
}

TEST_F(PicturePrint, EachJobStartsTheTargetFileAgain)
{
    context.renderPage = [](const QString&) { return solid(64, 48, Qt::black); };
    write(QStringLiteral("data.txt"), rows(400));
    PrintService service(context);
    ASSERT_EQ(service.printFile({}, {}, QStringLiteral("data.txt"), TextWrap::None, PrintMode::Data),
              PrintOutcome::Printed);
    ASSERT_GT(pdfPages(pdf()), 1);
    ASSERT_EQ(service.printPage(QStringLiteral("One")), PrintOutcome::Printed);
    EXPECT_EQ(pdfPages(pdf()), 1);
}

// The page image PrintPage asks the window for, from a real document.
class PageImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        red = document.appendPage(QStringLiteral("Red"), Palette{});
        red->PageColor = int32_t(gdi::rgb(255, 0, 0));
        blue = document.appendPage(QStringLiteral("Blue"), Palette{});
        blue->PageColor = int32_t(gdi::rgb(0, 0, 255));
        document.setCurrentPage(red);
    }

    QColor centreOf(const QString& name) const
    {
        const QImage image = renderPageForPrint(document, renderer, name);
        EXPECT_EQ(image.size(), QSize(32, 24));
        return image.isNull() ? QColor() : image.pixelColor(16, 12);
    }

    Document document;
    PaintContext paint;
    PageRenderer renderer{document, paint, QSize(32, 24)};
    Page_Rec* red = nullptr;
    Page_Rec* blue = nullptr;
};

TEST_F(PageImage, NamedPageIgnoringCaseAndTheCurrentPageStaysCurrent)
{
    EXPECT_EQ(centreOf(QStringLiteral("bLUE")), QColor(0, 0, 255));
    EXPECT_EQ(document.currentPage(), red);
    EXPECT_EQ(centreOf(QStringLiteral("red")), QColor(255, 0, 0));
}

TEST_F(PageImage, UnknownNamePrintsTheCurrentPage)
{
    document.setCurrentPage(blue);
    EXPECT_EQ(centreOf(QStringLiteral("Nowhere")), QColor(0, 0, 255));
    EXPECT_EQ(centreOf(QString()), QColor(0, 0, 255));
}

TEST_F(PageImage, NoPageAtAllGivesNoImage)
{
    Document empty;
    PageRenderer none(empty, paint, QSize(32, 24));
    EXPECT_TRUE(renderPageForPrint(empty, none, QStringLiteral("Red")).isNull());
}

} // namespace
} // namespace lumeria
