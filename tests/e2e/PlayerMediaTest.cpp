// Sound through the real player: the media list as automation sees it, the
// boxes of missing files, command strings, and what the tour's sound page
// sends to SDL's disk driver.
#include "e2e/PlayerRun.h"

#include <QFile>

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
    ASSERT_EQ(log.size(), 2) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(log[0].startsWith(QLatin1String("audio "))) << log[0].toStdString();
    EXPECT_EQ(log[1], QStringLiteral(R"(dialog "Erreur" "MISSING.WAV\n\nFichier introuvable." "OK" -> 0)"));
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

} // namespace
} // namespace lumeria
