// Ctrl+F12 saves what the reader sees as a PNG picture: in the pictures
// folder (made when missing) or --screenshot-dir, never over another
// picture, and not when a button of the page has the key. Under a real X
// server the picture holds a playing video and a sticky note over the page.
#include "e2e/X11Desktop.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

QByteArray button(int x, int y, const QString& action, int key = 0)
{
    return QStringLiteral("ObjectType=3\r\nX1=%1\r\nY1=%2\r\nX2=%3\r\nY2=%4\r\nLineColor=0\r\nFillColor=12632256\r\n"
                          "LineWidth=1\r\nLineStyle=0\r\nLineOrigin=0\r\nFillPattern=0\r\nFillMode=0\r\nStyle=0\r\n"
                          "Align=2\r\nFont=Arial\r\nFontSize=8\r\nTextColor=0\r\nKey=%6\r\nText=B\r\nAction=%5\r\n")
        .arg(x)
        .arg(y)
        .arg(x + 40)
        .arg(y + 20)
        .arg(action)
        .arg(key)
        .toLatin1();
}

constexpr int kCtrlF12 = 123 + 0x4000;

// A red 320 × 240 page One with buttons along its bottom: play CLIP.AVI
// (green, when ffmpeg can make it) at (20, 20), show a note at (150, 60)
// then set DONE, go to page Two. Page Two has a button on Ctrl+F12 that
// adds an "x" to SNAP.
bool makePublication(const QString& folder, const QString& output, bool video)
{
    QDir().mkpath(folder);
    if (video) {
        const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
        if (ffmpeg.isEmpty())
            return false;
        QProcess p;
        p.start(ffmpeg, {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                         QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("color=green:s=80x60:r=10:d=30"),
                         QStringLiteral("-c:v"), QStringLiteral("msvideo1"), folder + QStringLiteral("/CLIP.AVI")});
        p.waitForFinished(60000);
        if (p.exitCode() != 0)
            return false;
    }
    QByteArray pub = "LumeriaVer=1.0\r\nTitle=Shots\r\nScreenWidth=320\r\nScreenHeight=240\r\nExtractOp=132\r\n"
                     "L_OK=OK\r\nL_ERRORTITLE=Erreur\r\nMasterPage\r\nPageColor=0\r\nNewPage=One\r\n"
                     "PageColor=255\r\nShowMaster=No\r\nPageAction=\r\nExitAction=\r\n";
    pub += button(10, 210, QStringLiteral(R"(PV "20" "20" "-1" "-1" "CLIP.AVI" "")"));
    pub += button(60, 210, QStringLiteral(R"(SN "150" "60" "Une note" "0"|SV "DONE" "x")"));
    pub += button(110, 210, QStringLiteral(R"(GO "Two")"));
    pub += "NewPage=Two\r\nPageColor=16711680\r\nShowMaster=No\r\nPageAction=\r\nExitAction=\r\n";
    pub += button(10, 210, QStringLiteral(R"(SV "SNAP" "[SNAP]x")"), kCtrlF12);
    QFile text(folder + QStringLiteral("/RUNTIME.PUB"));
    if (!text.open(QIODevice::WriteOnly) || text.write(pub) < 0)
        return false;
    text.close();
    QProcess pack;
    pack.start(QStringLiteral(LUMERIA_PACK), {QStringLiteral("build"), folder, QStringLiteral("-o"), output});
    pack.waitForFinished(60000);
    return pack.exitCode() == 0;
}

// The paths of the log's screenshot lines.
QStringList shotsOf(const QStringList& log)
{
    static const QRegularExpression line(QStringLiteral(R"re(^screenshot "(.*)"$)re"));
    QStringList paths;
    for (const QString& entry : log) {
        if (const QRegularExpressionMatch m = line.match(entry); m.hasMatch())
            paths << m.captured(1);
    }
    return paths;
}

using Screenshot = test::AutomatedPlayer;

TEST_F(Screenshot, CtrlF12SavesThePageUnlessAButtonHasTheKey)
{
    const QString pub = file(QStringLiteral("shots.lum"));
    ASSERT_TRUE(makePublication(file(QStringLiteral("pub")), pub, false));
    // The pictures folder of a reader who has none yet.
    QProcessEnvironment env;
    env.insert(QStringLiteral("HOME"), file(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), file(QStringLiteral("home/.config")));
    test::PlayerRun r = automate({pub},
                                 QStringLiteral("key F12 ctrl\nkey F12 ctrl\nclick 130 220\nexpect-page Two\n"
                                                "key F12 ctrl\nexpect-var SNAP x\n"),
                                 {}, env);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList shots = shotsOf(logLines());
    ASSERT_EQ(shots.size(), 2) << logLines().join(QLatin1Char('\n')).toStdString();
    static const QRegularExpression name(QStringLiteral(R"(^lumeria-shots-\d{8}-\d{6}(-2)?\.png$)"));
    for (const QString& shot : shots) {
        EXPECT_EQ(QFileInfo(shot).absolutePath(), file(QStringLiteral("home/Pictures")));
        EXPECT_TRUE(name.match(QFileInfo(shot).fileName()).hasMatch()) << shot.toStdString();
        const QImage image(shot);
        ASSERT_EQ(image.size(), QSize(320, 240)) << shot.toStdString();
        EXPECT_EQ(image.pixel(160, 100) & 0xFFFFFF, 0xFF0000u);
    }
    EXPECT_NE(shots[0], shots[1]);

    // A folder that takes no file: said, and the player goes on.
    r = automate({pub, QStringLiteral("--screenshot-dir"), QStringLiteral("/proc")},
                 QStringLiteral("key F12 ctrl\nclick 130 220\nexpect-page Two\n"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList log = logLines();
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].startsWith(QLatin1String("screenshot-failed \"")) && log[0].contains(QLatin1String("/proc")))
        << log[0].toStdString();
}

using ScreenshotOnDesktop = test::PlayerOnDesktop;

TEST_F(ScreenshotOnDesktop, ThePictureHoldsThePlayingVideoAndTheNoteOverThePage)
{
    const QString pub = file(QStringLiteral("shots.lum"));
    if (!makePublication(file(QStringLiteral("pub")), pub, true))
        GTEST_SKIP() << "ffmpeg cannot make the video";
    const QString shots = file(QStringLiteral("shots"));
    play(pub, QStringLiteral("wait-var DONE x\n"), {QStringLiteral("--screenshot-dir"), shots});
    click(30, 220);
    // The note waits for the reader; the key is the player's all the same.
    click(80, 220);
    QThread::msleep(1500);
    key(QStringLiteral("ctrl+F12"));
    QStringList taken;
    ASSERT_TRUE(test::pollUntil(
        [&] {
            taken = QDir(shots).entryList({QStringLiteral("*.png")}, QDir::Files);
            return !taken.isEmpty();
        },
        10000))
        << readFile(QStringLiteral("player.err")).toStdString();
    const std::optional<QByteArray> title =
        m_desktop.run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), m_window});
    ASSERT_TRUE(title.has_value());
    EXPECT_TRUE(QString::fromUtf8(*title).startsWith(QStringLiteral("Shots — capture enregistrée : lumeria-shots-")))
        << title->toStdString();
    const QImage screen = page(QStringLiteral("screen.png"));
    key(QStringLiteral("Escape")); // any key takes the note away
    const test::PlayerRun r = finish();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();

    ASSERT_EQ(taken.size(), 1);
    const QImage shot(QDir(shots).filePath(taken.front()));
    ASSERT_EQ(shot.size(), QSize(320, 240));
    EXPECT_EQ(shot.pixel(300, 150) & 0xFFFFFF, 0xFF0000u);
    // The video's green, where it plays over the page.
    const QColor video = shot.pixelColor(60, 50);
    EXPECT_GT(video.green(), 100);
    EXPECT_LT(video.red(), 60);
    // The note where the screen shows it: the picture and the screen agree
    // at the note's middle, which is neither page nor video.
    ASSERT_FALSE(screen.isNull());
    EXPECT_EQ(shot.pixel(170, 70), screen.pixel(170, 70));
    EXPECT_NE(shot.pixel(170, 70) & 0xFFFFFF, 0xFF0000u);
}

} // namespace
} // namespace lumeria
