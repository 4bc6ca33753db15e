#include "MediaTestSupport.h"

#include <gtest/gtest.h>

using namespace lumeria;
using namespace lumeria::media;
using namespace lumeria::media::test;

namespace {

QStringList names(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* n : list)
        out << QString::fromLatin1(n);
    return out;
}

} // namespace

TEST(MediaList, SoundPlayedOnceIsHeardThenLeavesTheList)
{
    DiskAudio disk;
    AudioFormat format;
    {
        ManagerFixture f;
        f.writeTone(QStringLiteral("BEEP.WAV"), 400);
        f.manager().playSoundFile(QStringLiteral("beep.wav"), MediaMode::Start);
        EXPECT_EQ(f.playing(), names({"BEEP.WAV"}));
        format = f.manager().mixer().format();
        EXPECT_EQ(f.logged,
                  QStringList(
                      QStringLiteral("audio %1 %2 %3").arg(format.rate).arg(format.channels).arg(format.sampleFormat)));
        EXPECT_TRUE(waitUntil([&] { return f.playing().isEmpty(); }, 5000));
        spinFor(50);
    }
    const Recording rec = readDiskOutput(disk.path(), format);
    const std::vector<float> left = rec.channel(0);
    const Span heard = nonSilent(left);
    ASSERT_GT(heard.end, heard.begin);
    EXPECT_NEAR(spanMs(heard, rec.rate), 400.0, 25.0);
    EXPECT_NEAR(zeroCrossingFrequency(left, heard.begin, heard.end, rec.rate), 1000.0, 10.0);
}

TEST(MediaList, LoopPlaysOnUntilStoppedByNameKindOrAll)
{
    ManagerFixture f;
    f.writeTone(QStringLiteral("LOOP.WAV"), 80);
    f.writeTone(QStringLiteral("ONCE.WAV"), 80);

    // By its name, with a folder and another case: the folder is not
    // compared.
    f.manager().playSoundFile(QStringLiteral("LOOP.WAV"), MediaMode::Loop);
    spinFor(400);
    EXPECT_EQ(f.playing(), names({"LOOP.WAV"}));
    f.manager().stopMedia(StopTarget::File, QStringLiteral("C:\\MEDIA\\loop.wav"));
    EXPECT_TRUE(f.playing().isEmpty());

    // "VIDEO" leaves sounds playing; "SOUND" stops them.
    f.manager().playSoundFile(QStringLiteral("LOOP.WAV"), MediaMode::Loop);
    f.manager().stopMedia(StopTarget::Video, {});
    EXPECT_EQ(f.playing(), names({"LOOP.WAV"}));
    f.manager().stopMedia(StopTarget::Sound, {});
    EXPECT_TRUE(f.playing().isEmpty());

    // Everything, and another file's name stops nothing.
    f.manager().playSoundFile(QStringLiteral("LOOP.WAV"), MediaMode::Loop);
    f.manager().stopMedia(StopTarget::File, QStringLiteral("ONCE.WAV"));
    EXPECT_EQ(f.playing(), names({"LOOP.WAV"}));
    f.manager().stopMedia(StopTarget::All, {});
    EXPECT_TRUE(f.playing().isEmpty());
    EXPECT_TRUE(f.boxes.isEmpty());
}

TEST(MediaList, NewestFirstAndOneItemPerFile)
{
    ManagerFixture f;
    f.writeTone(QStringLiteral("A.WAV"), 2000);
    f.writeTone(QStringLiteral("B.WAV"), 2000);
    f.manager().playSoundFile(QStringLiteral("A.WAV"), MediaMode::Start);
    f.manager().playSoundFile(QStringLiteral("B.WAV"), MediaMode::Loop);
    EXPECT_EQ(f.playing(), names({"B.WAV", "A.WAV"}));
    // Playing a file that plays restarts it, in front.
    f.manager().playSoundFile(QStringLiteral("a.wav"), MediaMode::Start);
    EXPECT_EQ(f.playing(), names({"A.WAV", "B.WAV"}));
    f.manager().stopEverything();
    EXPECT_TRUE(f.playing().isEmpty());
}

TEST(MediaList, WaitReturnsOnceTheSoundHasPlayed)
{
    ManagerFixture f;
    f.writeTone(QStringLiteral("WAIT.WAV"), 300);
    const int64_t took = timed([&] { f.manager().playSoundFile(QStringLiteral("WAIT.WAV"), MediaMode::Wait); });
    EXPECT_GE(took, 280);
    EXPECT_LT(took, 3000);
    EXPECT_TRUE(f.playing().isEmpty());
}

TEST(MediaList, MissingAndUnreadableFilesSayWhyAndLeaveNoItem)
{
    ManagerFixture f;
    f.manager().playSoundFile(QStringLiteral("C:\\SONS\\ABSENT.WAV"), MediaMode::Loop);
    f.write(QStringLiteral("BROKEN.WAV"), QByteArray("RIFF\x10\0\0\0WAVEfmt garbage", 24));
    f.manager().playSoundFile(QStringLiteral("BROKEN.WAV"), MediaMode::Wait);
    f.write(QStringLiteral("EMPTY.MID"), QByteArray());
    f.manager().playSoundFile(QStringLiteral("EMPTY.MID"), MediaMode::Start);
    EXPECT_EQ(f.boxes, QStringList({QStringLiteral("Erreur|ABSENT.WAV\r\rFichier introuvable|OK"),
                                    QStringLiteral("Erreur|BROKEN.WAV\r\rErreur media|OK"),
                                    QStringLiteral("Erreur|EMPTY.MID\r\rErreur media|OK")}));
    EXPECT_TRUE(f.playing().isEmpty());
}

TEST(MediaList, CommandStringsReachTheListsDevices)
{
    ManagerFixture f;
    f.writeTone(QStringLiteral("LOOP.WAV"), 100);
    f.manager().playSoundFile(QStringLiteral("LOOP.WAV"), MediaMode::Loop);
    // The list's device answers to the shared table; closing it ends the
    // item as a stop would.
    EXPECT_EQ(f.mci(QStringLiteral("stop all")), 0);
    EXPECT_EQ(f.mci(QStringLiteral("close all")), 0);
    EXPECT_TRUE(f.playing().isEmpty());
}

TEST(MediaList, VideoRectangleTakesNaturalSizeAndCentres)
{
    VideoPlacement p;
    p.area = QRect(10, 20, 640, 480);
    p.scroll = QPoint(0, 30);
    EXPECT_EQ(videoRectangle(p, QSize(161, 121)), QRect(10 + 320 - 80, 20 + 240 - 60 - 30, 161, 121));
    p.numbers = {5, 6, 100, 50};
    EXPECT_EQ(videoRectangle(p, QSize(161, 121)), QRect(15, 26, 100, 50));
}

TEST(Tone, SpeakerDivisorSetsThePitch)
{
    EXPECT_NEAR(speakerPitch(440), 1193182.0 / 2599, 1e-9);
    EXPECT_NEAR(speakerPitch(100), 1193182.0 / 10025, 1e-9);
    EXPECT_NEAR(speakerPitch(0), 1193182.0 / 62789, 1e-9);
    EXPECT_NEAR(speakerPitch(32767), 1193182.0 / 36, 1e-9);
    EXPECT_EQ(speakerPitch(-440), speakerPitch(440));
}

TEST(Tone, PlayToneSounds150MillisecondsAtTheSpeakersPitch)
{
    DiskAudio disk;
    AudioFormat format;
    int64_t took = 0;
    {
        ManagerFixture f;
        took = timed([&] { f.manager().playTone(440, 150); });
        format = f.manager().mixer().format();
        spinFor(50);
    }
    EXPECT_GE(took, 150);
    const Recording rec = readDiskOutput(disk.path(), format);
    const std::vector<float> left = rec.channel(0);
    const Span heard = nonSilent(left);
    ASSERT_GT(heard.end, heard.begin);
    EXPECT_NEAR(spanMs(heard, rec.rate), 150.0, 5.0);
    const double expected = 1193182.0 / 2599;
    EXPECT_NEAR(zeroCrossingFrequency(left, heard.begin, heard.end, rec.rate), expected, expected * 0.01);
}
