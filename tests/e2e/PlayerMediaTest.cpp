// Sound through the real player: the media list as automation sees it, the
// boxes of missing files, command strings, what the tour's sound page sends
// to SDL's disk driver, and a player whose media libraries are not there.
#include "e2e/PlayerRun.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace lumeria {
namespace {

using test::player;
using test::PlayerRun;

using PlayerMedia = test::AutomatedPlayer;

TEST_F(PlayerMedia, ScriptsPlayLoopWaitAndStopAsTheListShows)
{
    // The buttons of data/e2e/media, top to bottom: loop, a missing file,
    // stop by name, two command strings, play and wait, a tone.
    const PlayerRun r = automate({QStringLiteral(LUMERIA_E2E_DATA "/media.lum")}, QStringLiteral(R"(wait 200
click 60 25
wait 300
expect-media BEEP.WAV
click 60 60
expect-media BEEP.WAV
click 60 95
expect-media none
click 60 130
expect-var MISSINGFILE 275
expect-var BADVERB 261
click 60 165
expect-media beep.wav
expect-var AFTER 
wait 700
expect-media none
expect-var AFTER yes
click 60 200
wait 400
expect-var TONED yes
)"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList log = logLines();
    // Each missing file is logged with the path tried, the box names it
    // alone (the command string's missing file has no box: its code says).
    ASSERT_EQ(log.size(), 4) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(log[0].startsWith(QLatin1String("audio "))) << log[0].toStdString();
    EXPECT_TRUE(log[1].startsWith(QLatin1String(R"(missing "C:\SONS\MISSING.WAV" "/)"))) << log[1].toStdString();
    EXPECT_TRUE(log[1].endsWith(QLatin1String(R"(/drives/c/SONS/MISSING.WAV")"))) << log[1].toStdString();
    EXPECT_EQ(log[2], QStringLiteral(R"(dialog "Erreur" "MISSING.WAV\n\nFichier introuvable." "OK" -> 0)"));
    EXPECT_TRUE(log[3].startsWith(QLatin1String(R"(missing "nothing.wav" "/)"))) << log[3].toStdString();
}

TEST_F(PlayerMedia, TheToursSoundPageIsHeard)
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
    env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), file(QStringLiteral("out.raw")));
    // The chime, then the loop, then everything stopped.
    const PlayerRun r = automate({QStringLiteral(LUMERIA_TOUR), QStringLiteral("--page"), QStringLiteral("Sound")},
                                 QStringLiteral("wait 200\n"
                                                "click 170 145\n"
                                                "click 170 189\n"
                                                "wait 600\n"
                                                "expect-media LOOP.WAV CHIME.WAV\n"
                                                "click 450 233\n"
                                                "expect-media none\n"),
                                 {}, env);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList log = logLines();
    ASSERT_FALSE(log.isEmpty());
    const QStringList format = log[0].split(QLatin1Char(' '));
    ASSERT_EQ(format.size(), 4) << log[0].toStdString();
    EXPECT_EQ(format[0], QStringLiteral("audio"));
    const int rate = format[1].toInt();
    const int channels = format[2].toInt();
    ASSERT_GT(rate, 0);
    ASSERT_GT(channels, 0);
    ASSERT_EQ(format[3], QStringLiteral("S16")) << "the disk driver takes the format asked for";

    QFile raw(file(QStringLiteral("out.raw")));
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    // About 600 ms were played; the chime and the loop make it loud.
    const qsizetype samples = bytes.size() / 2;
    EXPECT_GT(samples, qsizetype(rate) * channels * 4 / 10);
    double energy = 0;
    for (qsizetype i = 0; i < samples; ++i) {
        int16_t v;
        std::memcpy(&v, bytes.constData() + 2 * i, 2);
        energy += double(v) * v;
    }
    const double rms = std::sqrt(energy / double(std::max<qsizetype>(1, samples))) / 32768.0;
    EXPECT_GT(rms, 0.02);
}

// The media libraries load when a device first needs them: none of them, nor
// anything only they need, is loaded before the first page.
TEST(PlayerStartUp, TheExecutableNeedsNoMediaLibrary)
{
    const QString readelf = QStandardPaths::findExecutable(QStringLiteral("readelf"));
    if (readelf.isEmpty())
        GTEST_SKIP() << "readelf is not installed";
    QProcess p;
    p.start(readelf, {QStringLiteral("--dynamic"), QStringLiteral("--wide"), QStringLiteral(LUMERIA_PLAYER)});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0);
    QStringList needed;
    static const QRegularExpression kNeeded(QStringLiteral(R"(\(NEEDED\)\s+Shared library: \[([^\]]+)\])"));
    for (const auto& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = kNeeded.match(line);
        if (m.hasMatch())
            needed << m.captured(1);
    }
    // The list was read: the player does need Qt's widgets.
    ASSERT_TRUE(needed.contains(QStringLiteral("libQt6Widgets.so.6"))) << needed.join(QLatin1Char(' ')).toStdString();
    static const QRegularExpression kMedia(
        QStringLiteral("^lib(avformat|avcodec|avutil|avdevice|avfilter|swresample|swscale|SDL2|fluidsynth)[-.]"));
    for (const QString& library : needed)
        EXPECT_FALSE(kMedia.match(library).hasMatch()) << library.toStdString();
}

// Whether the player, left on its first page for a while, has loaded
// FFmpeg by then (read from its memory map while it waits).
bool loadsFfmpegOnItsFirstPage(const QString& publication, const QString& folder)
{
    const QString script = folder + QStringLiteral("/wait.auto");
    QFile f(script);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write("wait 3000\nquit\n");
    f.close();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LUMERIA_PLAYER), {publication, QStringLiteral("--automate"), script});
    bool loaded = false;
    for (int i = 0; i < 20 && !loaded && p.state() != QProcess::NotRunning; ++i) {
        p.waitForFinished(100);
        QFile maps(QStringLiteral("/proc/%1/maps").arg(p.processId()));
        if (maps.open(QIODevice::ReadOnly))
            loaded = maps.readAll().contains("libavformat");
    }
    p.kill();
    p.waitForFinished(30000);
    return loaded;
}

// Start-up never waits for the media libraries; a publication that carries
// sound has them loaded behind its first page, so its first sound does not
// wait either; one without media never loads them.
TEST_F(PlayerMedia, OnlyAPublicationWithMediaLoadsItsLibrariesAheadOfUse)
{
    EXPECT_TRUE(loadsFfmpegOnItsFirstPage(QStringLiteral(LUMERIA_E2E_DATA "/media.lum"), m_dir.path()));
    EXPECT_FALSE(loadsFfmpegOnItsFirstPage(QStringLiteral(LUMERIA_E2E_DATA "/pages.lum"), m_dir.path()));
}

// Every media library taken away: each play and open fails as a device that
// cannot load its driver, with the media error box; the reason is told once
// per library; the tone still takes its time and the pages still turn.
TEST_F(PlayerMedia, WithoutItsLibrariesMediaFailOpenAndThePlayerGoesOn)
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("LUMERIA_TEST_LIBRARY_OVERRIDE"),
               QStringLiteral("libavformat=/nonexistent/libavformat.so,libfluidsynth=/nonexistent/libfluidsynth.so,"
                              "libSDL2-2.0=/nonexistent/libSDL2.so"));
    // Buttons of data/e2e/nolibs: play the WAV, play the MIDI file, open
    // both through command strings, a tone, go to the second page.
    const PlayerRun r = automate({QStringLiteral(LUMERIA_E2E_DATA "/nolibs.lum")}, QStringLiteral(R"(wait 100
click 60 25
click 60 25
click 60 60
click 60 95
expect-var WAVE 266
expect-var MIDI 266
expect-media none
click 60 130
wait 300
expect-var TONED yes
click 60 165
expect-page Two
)"),
                                 {}, env);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString box = QStringLiteral(R"(dialog "Erreur" "%1\n\nImpossible de lire ce media." "OK" -> 0)");
    EXPECT_EQ(logLines(), QStringList({box.arg(QStringLiteral("BEEP.WAV")), box.arg(QStringLiteral("BEEP.WAV")),
                                       box.arg(QStringLiteral("TUNE.MID"))}));
    const QString err = QString::fromLocal8Bit(r.err);
    for (const char* family : {"FFmpeg", "FluidSynth", "SDL"})
        EXPECT_EQ(err.count(QStringLiteral("lumeria: %1 cannot be loaded").arg(QLatin1String(family))), 1)
            << family << '\n'
            << r.err.toStdString();
    // With the loader's own words, which name the file it looked for.
    EXPECT_TRUE(err.contains(QStringLiteral("/nonexistent/libavformat.so"))) << r.err.toStdString();
}

// The same buttons with the libraries in place: the failures above come
// from the missing libraries, not from the publication.
TEST_F(PlayerMedia, WithItsLibrariesTheSameFilesOpen)
{
    const PlayerRun r = automate({QStringLiteral(LUMERIA_E2E_DATA "/nolibs.lum")}, QStringLiteral(R"(wait 100
click 60 95
expect-var WAVE 0
expect-var MIDI 0
)"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("cannot be loaded")) << r.err.toStdString();
}

} // namespace
} // namespace lumeria
