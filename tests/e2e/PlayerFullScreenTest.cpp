// Full screen on a key and the page filling what it is given, at a whole
// factor, under real keys and clicks on screens of today's sizes.
#include "e2e/X11Desktop.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>

namespace lumeria {
namespace {

// Page Screen, 640 by 480 (Sizeable): a red square (0,0)-(38,38) in the top-left
// corner, a blue one (600,440)-(638,478) in the bottom-right, Press (280,220)-(360,250) adding an "x" to
// PRESSED and putting the screen's size in SW and SH, and Done on F2 adding one to DONE.
QString screenPublication()
{
    return QStringLiteral(LUMERIA_E2E_DATA "/screen.lum");
}

constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kBlue = 0x0000FF;
constexpr QRgb kBlack = 0x000000;

QRgb rgb(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

// Where the page shows in a client of that size at that factor: centred,
// each half truncated.
QPoint pageCorner(QSize client, int factor)
{
    return QPoint(std::max(0, (client.width() - 640 * factor) / 2), std::max(0, (client.height() - 480 * factor) / 2));
}

class ScreenDesktop : public test::PlayerOnDesktop {
protected:
    // The client area as the X server has it, once it has that size.
    bool waitForClient(QSize size)
    {
        return test::pollUntil([&] { return geometry(m_window).size() == size; }, 15000);
    }

    // The client's pixels once the page shows at that factor, its corner
    // squares exactly 39 x factor screen pixels wide.
    QImage waitForPage(const QString& name, int factor)
    {
        QImage shot;
        test::pollUntil(
            [&] {
                shot = page(name);
                if (shot.isNull())
                    return false;
                const QPoint corner = pageCorner(shot.size(), factor);
                // A page pixel at (x, y) covers factor x factor screen pixels.
                const auto at = [&](int x, int y, int dx = 0, int dy = 0) {
                    const QPoint p = corner + QPoint(x * factor + dx, y * factor + dy);
                    return shot.rect().contains(p) ? rgb(shot, p.x(), p.y()) : 0xFFFFFFFFu;
                };
                const int last = factor - 1;
                return at(0, 0) == kRed && at(38, 38, last, last) == kRed && at(39, 39) != kRed &&
                       at(600, 440) == kBlue && at(638, 478, last, last) == kBlue &&
                       at(599, 439, last, last) != kBlue && at(639, 479) != kBlue;
            },
            15000);
        return shot;
    }

    // A click on a page point, the page at that factor in the client.
    void clickPage(QPoint point, int factor)
    {
        const QPoint corner = pageCorner(geometry(m_window).size(), factor);
        // The same button is clicked in several places of the screen, and
        // in the same one too: a move to where the pointer already is never
        // ends waiting for the move.
        ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0")}));
        click(corner.x() + point.x() * factor + factor / 2, corner.y() + point.y() * factor + factor / 2);
    }
};

class FullHd : public ScreenDesktop {
    QSize screenSize() const override { return {1920, 1080}; }
};

class Taller : public ScreenDesktop {
    QSize screenSize() const override { return {1920, 1440}; }
};

const QPoint kPress(320, 235);

TEST_F(FullHd, F11AndAltEnterToggleFullScreenKeepingThePageAndItsVariables)
{
    // Each wait-var waits for one step of the test.
    play(screenPublication(),
         QStringLiteral("wait-var PRESSED x\n"
                        "wait-var PRESSED xx\n"
                        "wait-var PRESSED xxx\n"
                        "wait-var DONE x\n"
                        // A publication asking for the screen is told the
                        // desktop's, whatever factor the page is at.
                        "expect-var SW 1920\n"
                        "expect-var SH 1080\n"),
         {QStringLiteral("--scale"), QStringLiteral("auto")});
    // A 640 x 480 page opens at 2 on 1920 x 1080, frame and all.
    ASSERT_TRUE(waitForClient({1280, 960}))
        << "client " << geometry(m_window).width() << "x" << geometry(m_window).height();
    ASSERT_FALSE(waitForPage(QStringLiteral("window.png"), 2).isNull());
    clickPage(kPress, 2);

    key(QStringLiteral("F11"));
    ASSERT_TRUE(waitForClient({1920, 1080}));
    const QImage full = waitForPage(QStringLiteral("full.png"), 2);
    ASSERT_FALSE(full.isNull());
    // Centred at 2 with black bands left and right and above and below.
    EXPECT_EQ(pageCorner(full.size(), 2), QPoint(320, 60));
    EXPECT_EQ(rgb(full, 319, 500), kBlack);
    EXPECT_EQ(rgb(full, 1600, 500), kBlack);
    EXPECT_EQ(rgb(full, 960, 59), kBlack);
    EXPECT_EQ(rgb(full, 960, 1020), kBlack);
    clickPage(kPress, 2);

    key(QStringLiteral("alt+Return"));
    ASSERT_TRUE(waitForClient({1280, 960}));
    ASSERT_FALSE(waitForPage(QStringLiteral("again.png"), 2).isNull());
    clickPage(kPress, 2);
    key(QStringLiteral("F2"));
    const test::PlayerRun r = finish();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

TEST_F(FullHd, AResizedWindowShowsThePageCentredAtTheLargestFactorThatFits)
{
    play(screenPublication(),
         QStringLiteral("wait-var PRESSED x\n"
                        "wait-var PRESSED xx\n"
                        "wait-var DONE x\n"),
         {QStringLiteral("--scale"), QStringLiteral("auto")});
    ASSERT_TRUE(waitForClient({1280, 960}));
    ASSERT_TRUE(xdotool({QStringLiteral("windowsize"), QStringLiteral("--sync"), m_window, QStringLiteral("1500"),
                         QStringLiteral("1000")}));
    ASSERT_TRUE(waitForClient({1500, 1000}));
    ASSERT_FALSE(waitForPage(QStringLiteral("wide.png"), 2).isNull());
    clickPage(kPress, 2);

    // Too small for 2: the page goes back to its own size, centred, and
    // clicks still land on its pixels.
    ASSERT_TRUE(xdotool({QStringLiteral("windowsize"), QStringLiteral("--sync"), m_window, QStringLiteral("700"),
                         QStringLiteral("500")}));
    ASSERT_TRUE(waitForClient({700, 500}));
    const QImage small = waitForPage(QStringLiteral("small.png"), 1);
    ASSERT_FALSE(small.isNull());
    EXPECT_EQ(pageCorner(small.size(), 1), QPoint(30, 10));
    EXPECT_EQ(rgb(small, 29, 100), kBlack);
    clickPage(kPress, 1);
    key(QStringLiteral("F2"));
    const test::PlayerRun r = finish();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

TEST_F(Taller, AClickInFullScreenAtThreeRunsTheButtonsScript)
{
    play(screenPublication(),
         QStringLiteral("wait-var DONE x\n"
                        "expect-var PRESSED x\n"),
         {QStringLiteral("--fullscreen"), QStringLiteral("--scale"), QStringLiteral("auto")});
    ASSERT_TRUE(waitForClient({1920, 1440}));
    ASSERT_FALSE(waitForPage(QStringLiteral("three.png"), 3).isNull());
    clickPage(kPress, 3);
    key(QStringLiteral("F2"));
    const test::PlayerRun r = finish();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

// Window (40,300)-(120,330) opens the text window "Story" at page (100,50),
// 200 x 150 page pixels with its frame (a 192 x 142 client), and adds an
// "x" to OPENED.
const QPoint kWindowButton(80, 315);

TEST_F(Taller, AFloatingWindowKeepsItsPlaceOnThePageAndTakesTheNewFactor)
{
    // 1440 less a frame is not three pages tall: the window opens at 2,
    // full screen is at 3.
    play(screenPublication(),
         QStringLiteral("wait-var OPENED x\n"
                        "wait-var DONE x\n"),
         {QStringLiteral("--scale"), QStringLiteral("auto")});
    ASSERT_TRUE(waitForClient({1280, 960}));
    clickPage(kWindowButton, 2);
    std::optional<QByteArray> found;
    ASSERT_TRUE(test::pollUntil(
        [&] {
            found = m_desktop.run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                              QStringLiteral("--name"), QStringLiteral("^Story")});
            return found && !found->trimmed().isEmpty();
        },
        10000));
    const QString story = QString::fromLatin1(found->trimmed().split('\n').first());
    const auto fromPage = [&] {
        const QRect window = geometry(story);
        const QRect main = geometry(m_window);
        return QRect(window.topLeft() - main.topLeft(), window.size());
    };
    // The window's frame (the window system's, one pixel and a title bar)
    // does not scale: its corner is at the page point, the client below it.
    const QRect atTwo = fromPage();
    const QPoint frame = atTwo.topLeft() - QPoint(200, 100);
    EXPECT_EQ(atTwo.size(), QSize(192, 142) * 2);
    EXPECT_GE(frame.x(), 0);
    EXPECT_GE(frame.y(), 0);

    key(QStringLiteral("F11"));
    ASSERT_TRUE(waitForClient({1920, 1440}));
    ASSERT_FALSE(waitForPage(QStringLiteral("three.png"), 3).isNull());
    // The frame's own pixels are placed in page pixels: within a page pixel.
    const QPoint atThree = QPoint(300, 150) + frame;
    EXPECT_TRUE(test::pollUntil(
        [&] {
            const QRect now = fromPage();
            return now.size() == QSize(192, 142) * 3 && std::abs(now.x() - atThree.x()) < 3 &&
                   std::abs(now.y() - atThree.y()) < 3;
        },
        10000))
        << "the window is at " << fromPage().x() << "," << fromPage().y() << " " << fromPage().width() << "x"
        << fromPage().height() << " from the page";
    m_desktop.run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), file("story.png")});
    key(QStringLiteral("F2"));
    const test::PlayerRun r = finish();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

// A red 320 x 240 page whose button (10,210)-(50,230) plays an 80 x 60
// green CLIP.AVI at (20,20) and adds an "x" to PLAYING; false when ffmpeg
// cannot make the clip.
bool makeVideoPublication(const QString& folder, const QString& output)
{
    QDir().mkpath(folder);
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty())
        return false;
    QProcess encode;
    encode.start(ffmpeg,
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                  QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("color=green:s=80x60:r=10:d=60"),
                  QStringLiteral("-c:v"), QStringLiteral("msvideo1"), folder + QStringLiteral("/CLIP.AVI")});
    if (!encode.waitForFinished(60000) || encode.exitCode() != 0)
        return false;
    QFile text(folder + QStringLiteral("/RUNTIME.PUB"));
    if (!text.open(QIODevice::WriteOnly))
        return false;
    text.write(
        "LumeriaVer=1.0\r\nTitle=Clip\r\nScreenWidth=320\r\nScreenHeight=240\r\nSizeable=Yes\r\n"
        "ExtractOp=132\r\nL_OK=OK\r\nMasterPage\r\nPageColor=0\r\nNewPage=One\r\nPageColor=255\r\n"
        "ShowMaster=No\r\nPageAction=\r\nExitAction=\r\n"
        "ObjectType=3\r\nX1=10\r\nY1=210\r\nX2=50\r\nY2=230\r\nLineColor=0\r\nFillColor=12632256\r\n"
        "LineWidth=1\r\nFillPattern=0\r\nStyle=0\r\nAlign=2\r\nFont=Arial\r\nFontSize=8\r\nTextColor=0\r\n"
        "Key=0\r\nText=Play\r\nAction=PV \"20\" \"20\" \"-1\" \"-1\" \"CLIP.AVI\" \"\"|SV \"PLAYING\" \"x\"\r\n");
    text.close();
    QProcess pack;
    pack.start(QStringLiteral(LUMERIA_PACK), {QStringLiteral("build"), folder, QStringLiteral("-o"), output});
    return pack.waitForFinished(60000) && pack.exitCode() == 0;
}

TEST_F(FullHd, APlayingVideoFollowsThePageAndItsFactor)
{
    const QString publication = file(QStringLiteral("clip.lum"));
    if (!makeVideoPublication(file(QStringLiteral("clip")), publication))
        GTEST_SKIP() << "ffmpeg cannot make an msvideo1 clip here";
    play(publication, QStringLiteral("wait-var PLAYING x\nwait-var DONE x\n"),
         {QStringLiteral("--scale"), QStringLiteral("auto"), QStringLiteral("--mute")});
    // 320 x 240 fits 1080 less a frame four times.
    ASSERT_TRUE(waitForClient({1280, 960}));
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0")}));
    click(30 * 4, 220 * 4);
    // The clip's green covers page (20,20)-(99,79): 320 x 240 screen pixels
    // at 4, red around it.
    const auto videoAt = [&](const QString& name, QPoint corner, int factor) {
        QImage shot;
        const bool shown = test::pollUntil(
            [&] {
                shot = page(name);
                if (shot.isNull())
                    return false;
                const auto at = [&](int x, int y) {
                    const QPoint p = corner + QPoint(x * factor, y * factor);
                    return shot.rect().contains(p) ? rgb(shot, p.x(), p.y()) : 0xFFFFFFFFu;
                };
                const auto green = [](QRgb c) { return qGreen(c) > 100 && qRed(c) < 50 && qBlue(c) < 50; };
                return green(at(20, 20)) && green(at(99, 79)) && at(19, 50) == kRed && at(100, 50) == kRed &&
                       at(50, 80) == kRed;
            },
            15000);
        return shown;
    };
    EXPECT_TRUE(videoAt(QStringLiteral("four.png"), QPoint(0, 0), 4));

    // Too small for 4 and 3: at 2 the page is centred, the clip with it.
    ASSERT_TRUE(xdotool({QStringLiteral("windowsize"), QStringLiteral("--sync"), m_window, QStringLiteral("700"),
                         QStringLiteral("500")}));
    ASSERT_TRUE(waitForClient({700, 500}));
    EXPECT_TRUE(videoAt(QStringLiteral("two.png"), QPoint((700 - 640) / 2, (500 - 480) / 2), 2));
    test::stopProcess(m_player);
}

TEST_F(FullHd, AFixedFactorStaysInFullScreen)
{
    play(screenPublication(), QStringLiteral("wait-var DONE x\n"), {QStringLiteral("--scale"), QStringLiteral("1")});
    ASSERT_TRUE(waitForClient({640, 480}));
    key(QStringLiteral("F11"));
    ASSERT_TRUE(waitForClient({1920, 1080}));
    const QImage full = waitForPage(QStringLiteral("fixed.png"), 1);
    ASSERT_FALSE(full.isNull());
    EXPECT_EQ(pageCorner(full.size(), 1), QPoint(640, 300));
    key(QStringLiteral("F2"));
    const test::PlayerRun r = finish();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

} // namespace
} // namespace lumeria
