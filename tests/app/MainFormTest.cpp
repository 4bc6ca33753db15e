// The main window in-process: what it draws and when, on a publication
// built in the test.
#include "MainFormFixture.h"

#include "automation/AutomationRunner.h"
#include "automation/AutomationScript.h"

#include <QEvent>

namespace lumeria {
namespace {

constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kBlue = 0x0000FF;
constexpr QRgb kWhite = 0xFFFFFF;

// Two overlapping rectangles on a white page, red under blue.
const char* const kPublication = "ScreenWidth=200\r\nScreenHeight=100\r\nExtractOp=132\r\n"
                                 "MasterPage\r\nPageColor=0\r\n"
                                 "NewPage=Only\r\nPageColor=16777215\r\nShowMaster=No\r\n"
                                 "ObjectType=5\r\nX1=10\r\nY1=10\r\nX2=60\r\nY2=60\r\nFillColor=255\r\n"
                                 "LineWidth=0\r\nFillPattern=0\r\n"
                                 "ObjectType=5\r\nX1=40\r\nY1=40\r\nX2=90\r\nY2=90\r\nFillColor=16711680\r\n"
                                 "LineWidth=0\r\nFillPattern=0\r\n";

class MainFormTest : public test::MainFormFixture {
protected:
    void SetUp() override { open(QByteArray(kPublication)); }
};

TEST_F(MainFormTest, FirstPageIsShownWithItsObjectsInOrder)
{
    EXPECT_EQ(shown(20, 20), kRed);
    EXPECT_EQ(shown(50, 50), kBlue);
    EXPECT_EQ(shown(150, 20), kWhite);
}

TEST_F(MainFormTest, AnObjectDrawnAloneGoesOverWhatCoversIt)
{
    object(0).FillColor = 0x00FF00;
    m_form->pageView().redrawObject(object(0), Redraw::Alone);
    settle();
    EXPECT_EQ(shown(20, 20), 0x00FF00u);
    // Alone means alone: the red square now covers the blue one's corner.
    EXPECT_EQ(shown(50, 50), 0x00FF00u);
    EXPECT_EQ(shown(70, 70), kBlue);
}

TEST_F(MainFormTest, ADeferredRepaintRepaintsTheAreaThroughThePage)
{
    object(0).FillColor = 0x00FF00;
    m_form->pageView().redrawObject(object(0), Redraw::Later);
    settle();
    EXPECT_EQ(shown(20, 20), 0x00FF00u);
    // The area is painted through the page, so the blue square stays on top.
    EXPECT_EQ(shown(50, 50), kBlue);
}

TEST_F(MainFormTest, OnlyWhatIsInvalidatedIsPaintedAgain)
{
    object(0).FillColor = 0x00FF00;
    object(1).FillColor = 0x00FF00;
    m_form->pageView().invalidate(gdi::Rect{0, 0, 30, 30});
    settle();
    EXPECT_EQ(shown(20, 20), 0x00FF00u);
    EXPECT_EQ(shown(35, 35), kRed); // outside the invalid rectangle
    EXPECT_EQ(shown(70, 70), kBlue);
}

TEST_F(MainFormTest, MovedObjectInvalidatesItsOldAndNewPlace)
{
    Object_Rec& blue = object(1);
    const gdi::Rect before = objectRepaintRect(blue, QPoint(0, 0));
    blue.X1 += 100;
    blue.X2 += 100;
    m_form->pageView().invalidateMove(before, objectRepaintRect(blue, QPoint(0, 0)));
    settle();
    EXPECT_EQ(shown(70, 70), kWhite);
    EXPECT_EQ(shown(170, 70), kBlue);
}

// Counts the paints a widget receives, and what had been painted when the
// window was asked to close.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QObject* painted) : m_painted(painted) {}
    int paints = 0;
    int paintsBeforeClose = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched == m_painted)
            ++paints;
        else if (event->type() == QEvent::Close && paintsBeforeClose < 0)
            paintsBeforeClose = paints;
        return false;
    }

private:
    QObject* m_painted;
};

// Automation acts on the page the reader would see: a script that only
// quits must still find the first page drawn before it closes the window.
TEST(AutomationStart, TheFirstLineRunsOnlyOnceTheFirstPageIsPainted)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pub.lum"));
    ASSERT_TRUE(test::writeFile(path, test::containerBytes({{"RUNTIME.PUB", QByteArray(kPublication), 0}})));
    PlayerSession session;
    ASSERT_TRUE(session.open(path));
    auto script = parseAutomationScript(QStringLiteral("quit\n"));
    ASSERT_TRUE(script);
    {
        TMainForm form(session, CommandLine{});
        PaintWatch watch(form.viewport());
        form.installEventFilter(&watch);
        form.viewport()->installEventFilter(&watch);
        AutomationRunner runner(form, std::move(script).value(), QString());
        form.setFirstPageListener([&runner] { runner.start(); });
        form.start();
        QElapsedTimer clock;
        clock.start();
        while (watch.paintsBeforeClose < 0 && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_GE(watch.paintsBeforeClose, 0) << "the script never closed the window";
        EXPECT_TRUE(form.firstPagePainted());
        // One paint is the black window before the first page.
        EXPECT_GE(watch.paintsBeforeClose, 2);
        form.shutDown();
    }
}

} // namespace
} // namespace lumeria
