// What a publication can make the player take, held within bounds in the
// real player: memory for pictures and for the page itself, time on the
// window's thread for an animation, and the reader's Esc over scripts that
// would otherwise never let go. Each publication is written here and packed;
// each run is watched for its peak memory and cut short when it overstays.
#include "e2e/PlayerRun.h"
#include "e2e/X11Desktop.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>

#include <gtest/gtest.h>

#include <iostream>

namespace lumeria {
namespace {

using test::PlayerRun;

QByteArray objectLines(int type, int x1, int y1, int x2, int y2)
{
    return "ObjectType=" + QByteArray::number(type) + "\r\nX1=" + QByteArray::number(x1) +
           "\r\nY1=" + QByteArray::number(y1) + "\r\nX2=" + QByteArray::number(x2) +
           "\r\nY2=" + QByteArray::number(y2) +
           "\r\nLineColor=0\r\nFillColor=12632256\r\nLineWidth=1\r\nLineStyle=0\r\nLineOrigin=0\r\n"
           "FillPattern=0\r\nFillMode=0\r\n";
}

QByteArray button(int x, int y, const QByteArray& action, int key = 0)
{
    return objectLines(3, x, y, x + 40, y + 20) +
           "Style=0\r\nAlign=2\r\nFont=Arial\r\nFontSize=8\r\nTextColor=0\r\n"
           "Text=B\r\nKey=" +
           QByteArray::number(key) + "\r\nAction=" + action + "\r\n";
}

QByteArray picture(int x, int y, const QByteArray& name)
{
    return objectLines(4, x, y, x + 30, y + 30) + "Scale=Yes\r\nAspectRatio=No\r\nTransImages=No\r\nFileName=" + name +
           "\r\nWindowFlags=0\r\n";
}

QByteArray pageLines(const QByteArray& name, const QByteArray& entry = {}, const QByteArray& exit = {})
{
    return "NewPage=" + name + "\r\nPageColor=16777215\r\nShowMaster=No\r\nPageAction=" + entry +
           "\r\nExitAction=" + exit + "\r\n";
}

using test::le;

// A FLC of 2048 × 2048 whose frames change nothing: a megabyte that takes
// minutes to decode and convert frame by frame.
QByteArray emptyFramesFlc(int frames)
{
    const QByteArray frame = le(16, 4) + le(0xF1FA, 2) + le(0, 2) + QByteArray(8, '\0');
    QByteArray header = le(128 + 16 * uint32_t(frames), 4) + le(0xAF12, 2) + le(uint32_t(frames), 2) + le(2048, 2) +
                        le(2048, 2) + le(8, 2) + le(0, 2) + le(10, 4);
    header += QByteArray(80 - header.size(), '\0');
    header += le(128, 4) + le(0, 4);
    header += QByteArray(128 - header.size(), '\0');
    return header + frame.repeated(frames);
}

// A number from a dump-vars file; -1 when the file or the name is missing.
int readVar(const QString& path, const QString& name)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        // The store keeps names upper-cased.
        if (line.startsWith(name.toUpper().toUtf8() + '='))
            return line.mid(name.size() + 1).toInt();
    }
    return -1;
}

struct WatchedRun {
    PlayerRun run;
    qint64 elapsedMs = 0;
    qint64 peakKb = 0; // VmHWM, the resident set at its largest
    bool cutShort = false;
};

class PlayerBounds : public test::AutomatedPlayer {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(file(QStringLiteral("pub")))); }

    void putInPublication(const QString& name, const QByteArray& bytes)
    {
        QFile f(file(QStringLiteral("pub/") + name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    QString pack(const QByteArray& header, const QByteArray& body)
    {
        putInPublication(QStringLiteral("RUNTIME.PUB"),
                         "LumeriaVer=1.0\r\nTitle=Bounds\r\nL_OK=OK\r\nL_ERRORTITLE=Erreur\r\n" + header + body);
        const QString out = file(QStringLiteral("b.lum"));
        QProcess pack;
        pack.start(QStringLiteral(LUMERIA_PACK),
                   {QStringLiteral("build"), file(QStringLiteral("pub")), QStringLiteral("-o"), out});
        pack.waitForFinished(60000);
        EXPECT_EQ(pack.exitCode(), 0) << pack.readAllStandardError().toStdString();
        return out;
    }

    // Runs the player on an automation, reading its peak memory while it
    // runs, and ends it after limitMs: a player that overstays has failed.
    WatchedRun watch(const QString& publication, const QString& automation, int limitMs)
    {
        const QString script = file(QStringLiteral("run.auto"));
        QFile f(script);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(automation.toUtf8());
        f.close();
        QProcess p;
        p.setWorkingDirectory(m_dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        p.setProcessEnvironment(env);
        WatchedRun w;
        QElapsedTimer timer;
        timer.start();
        p.start(QStringLiteral(LUMERIA_PLAYER),
                {publication, QStringLiteral("--mute"), QStringLiteral("--automate"), script,
                 QStringLiteral("--automate-log"), file(QStringLiteral("run.log"))});
        EXPECT_TRUE(p.waitForStarted());
        w.peakKb = test::waitWatchingPeak(p, limitMs);
        if (p.state() != QProcess::NotRunning) {
            w.cutShort = true;
            test::stopProcess(p);
        }
        w.elapsedMs = timer.elapsed();
        w.run = {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                 p.readAllStandardError()};
        std::cerr << "  " << w.elapsedMs << " ms, peak " << w.peakKb / 1024 << " MiB\n";
        return w;
    }
};

TEST_F(PlayerBounds, NamesSharingOnePictureShareOneDecodedCopy)
{
    // 5600 × 5600 pixels, 120 MiB decoded, from some tens of kilobytes.
    QImage big(5600, 5600, QImage::Format_RGB32);
    big.fill(qRgb(200, 30, 30));
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.save(&buffer, "PNG"));
    big = QImage();
    QByteArray objects;
    for (int i = 0; i < 24; ++i) {
        const QByteArray name = "P" + QByteArray::number(i) + ".PNG";
        putInPublication(QString::fromLatin1(name), png);
        objects += picture(10 + (i % 8) * 36, 10 + (i / 8) * 36, name);
    }
    const QString pub = pack("ScreenWidth=320\r\nScreenHeight=240\r\n",
                             "MasterPage\r\nPageColor=0\r\n" + pageLines("One", "SV \"done\" \"1\"") + objects);
    const WatchedRun w = watch(pub, QStringLiteral("expect-var done 1\nscreenshot shot.png\nquit\n"), 30000);
    ASSERT_FALSE(w.cutShort);
    EXPECT_EQ(w.run.exitCode, 0) << w.run.err.toStdString();
    // One decoded copy and the player itself; a copy a name was 2.9 GiB.
    EXPECT_LT(w.peakKb, 512 * 1024);
    // And every name shows it.
    const QImage shot(file(QStringLiteral("shot.png")));
    ASSERT_FALSE(shot.isNull());
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(shot.pixel(25 + (i % 8) * 36, 25 + (i / 8) * 36), qRgb(200, 30, 30)) << i;
}

TEST_F(PlayerBounds, AFlicOfManyFramesStartsWithoutHoldingTheWindow)
{
    putInPublication(QStringLiteral("BIG.FLC"), emptyFramesFlc(65535));
    const QString pub =
        pack("ScreenWidth=320\r\nScreenHeight=240\r\n",
             "MasterPage\r\nPageColor=0\r\n" +
                 pageLines("One", "PF \"0\" \"0\" \"-1\" \"-1\" \"BIG.FLC\" \"0\" \"\"|SV \"done\" \"1\"") +
                 button(10, 200, "SV \"clicked\" \"1\""));
    const WatchedRun w = watch(
        pub, QStringLiteral("expect-var done 1\nexpect-media BIG.FLC\nclick 20 210\nexpect-var clicked 1\nquit\n"),
        20000);
    ASSERT_FALSE(w.cutShort) << "the window was held for " << w.elapsedMs << " ms";
    EXPECT_EQ(w.run.exitCode, 0) << w.run.err.toStdString();
    EXPECT_LT(w.elapsedMs, 8000);
}

TEST_F(PlayerBounds, APageLargerThanAnyScreenIsCutDownSaidAndShown)
{
    const QString pub =
        pack("ScreenWidth=65535\r\nScreenHeight=65535\r\n",
             "MasterPage\r\nPageColor=0\r\n" + QByteArray("NewPage=One\r\nPageColor=255\r\nShowMaster=No\r\n") +
                 "PageAction=SV \"done\" \"1\"\r\nExitAction=\r\n" + button(10, 10, "SV \"clicked\" \"1\""));
    const WatchedRun w =
        watch(pub, QStringLiteral("expect-var done 1\nclick 20 20\nexpect-var clicked 1\nscreenshot shot.png\nquit\n"),
              20000);
    ASSERT_FALSE(w.cutShort) << "no page was ever shown";
    EXPECT_EQ(w.run.exitCode, 0) << w.run.err.toStdString();
    EXPECT_TRUE(w.run.err.contains("65535 x 65535")) << w.run.err.toStdString();
    EXPECT_LT(w.peakKb, 1024 * 1024);
    const QImage shot(file(QStringLiteral("shot.png")));
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.pixel(200, 100), qRgb(255, 0, 0));
}

// Pages whose exit scripts wait and whose entry scripts go on to the other
// page: the stop lands in the exit script's wait, and the page it was
// leaving for must not be shown, or its entry script carries the chain on.
TEST_F(PlayerBounds, EscEndsAChainOfPagesForGood)
{
    const QByteArray exit = "MA \"[n]+1\" \"0\" \"n\"|DE \"20\"";
    const QString pub = pack("ScreenWidth=320\r\nScreenHeight=240\r\nAllowEsc=No\r\n",
                             "MasterPage\r\nPageColor=0\r\n" + pageLines("Ping", "GO \"Pong\"", exit) +
                                 pageLines("Pong", "GO \"Ping\"", exit));
    const WatchedRun w =
        watch(pub, QStringLiteral("key Esc\nwait 300\ndump-vars a.vars\nwait 300\ndump-vars b.vars\nquit\n"), 20000);
    ASSERT_FALSE(w.cutShort);
    EXPECT_EQ(w.run.exitCode, 0) << w.run.err.toStdString();
    const int before = readVar(file(QStringLiteral("a.vars")), QStringLiteral("n"));
    EXPECT_GE(before, 1);
    EXPECT_EQ(readVar(file(QStringLiteral("b.vars")), QStringLiteral("n")), before);
}

TEST_F(PlayerBounds, EscThatMayCloseAbandonsARunningScriptFirst)
{
    const QString pub =
        pack("ScreenWidth=320\r\nScreenHeight=240\r\nAllowEsc=Yes\r\n",
             "MasterPage\r\nPageColor=0\r\n" + pageLines("One") + button(10, 200, "DE \"5000\"|SV \"after\" \"1\""));
    // The second Esc, with nothing running, closes: the line after it never
    // runs.
    const WatchedRun w = watch(pub,
                               QStringLiteral("click 20 210\nkey Esc\nwait 200\ndump-vars alive.vars\nexpect-var after "
                                              "\nkey Esc\nexpect-page Nowhere\n"),
                               20000);
    ASSERT_FALSE(w.cutShort);
    EXPECT_EQ(w.run.exitCode, 0) << w.run.err.toStdString();
    EXPECT_TRUE(QFile::exists(file(QStringLiteral("alive.vars"))));
    EXPECT_LT(w.elapsedMs, 4000);
}

// With real key presses the stop lands between two lines while the chain
// runs, just before the page command that is each script's only line.
class PlayerBoundsOnDesktop : public test::PlayerOnDesktop {};

TEST_F(PlayerBoundsOnDesktop, EscEndsAChainOfPagesThatGoToEachOther)
{
    const QString pub = m_dir.filePath(QStringLiteral("chain.lum"));
    {
        ASSERT_TRUE(QDir().mkpath(file(QStringLiteral("pub"))));
        QFile f(file(QStringLiteral("pub/RUNTIME.PUB")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("LumeriaVer=1.0\r\nTitle=Chain\r\nScreenWidth=320\r\nScreenHeight=240\r\nAllowEsc=No\r\n"
                "L_OK=OK\r\nL_ERRORTITLE=Erreur\r\nMasterPage\r\nPageColor=0\r\n" +
                pageLines("Start") + button(10, 200, "SV \"started\" \"1\"|GO \"A\"", 113) +
                pageLines("A", "GO \"B\"") + pageLines("B", "GO \"A\""));
        f.close();
        QProcess pack;
        pack.start(QStringLiteral(LUMERIA_PACK),
                   {QStringLiteral("build"), file(QStringLiteral("pub")), QStringLiteral("-o"), pub});
        pack.waitForFinished(60000);
        ASSERT_EQ(pack.exitCode(), 0) << pack.readAllStandardError().toStdString();
    }
    // The automation waits while a script runs: it reaches its next line
    // only once the chain has ended.
    play(pub, QStringLiteral("wait-var started 1\ndump-vars stopped.vars\nquit\n"));
    key(QStringLiteral("F2"));
    QThread::msleep(300);
    key(QStringLiteral("Escape"));
    EXPECT_TRUE(waitForFile(QStringLiteral("stopped.vars"), 5000)) << "the chain went on after Esc";
    const test::PlayerRun r = finish();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

} // namespace
} // namespace lumeria
