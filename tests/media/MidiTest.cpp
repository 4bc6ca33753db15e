#include "AudioFixtures.h"

#include "media/AudioOutput.h"
#include "media/DeviceFactory.h"
#include "media/MciErrors.h"
#include "media/MidiFile.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <span>

using namespace lumeria::media;
using namespace lumeria::media::test;

namespace {

std::span<const std::byte> bytesOf(const QByteArray& a)
{
    return std::as_bytes(std::span(a.constData(), static_cast<size_t>(a.size())));
}

// Type 1: a tempo track (120 bpm, then 240 bpm from the second beat) and a
// note track ending on the fourth beat: 1000 ms + 500 ms.
QByteArray tempoChangeMidi()
{
    MidiTrack tempo;
    tempo.tempo(0, 500000).tempo(960, 250000).end();
    MidiTrack notes;
    notes.event({0x00, 0x90, 60, 100}).delta(1920).event({0x80, 60, 0}).end();
    return smfBytes(1, 480, {tempo, notes});
}

} // namespace

TEST(MidiFile, LengthFollowsTempoChanges)
{
    auto file = MidiFile::parse(bytesOf(tempoChangeMidi()));
    ASSERT_TRUE(file.ok()) << file.error();
    EXPECT_EQ(file->format(), 1);
    EXPECT_EQ(file->trackCount(), 2);
    EXPECT_EQ(file->lengthTicks(), 1920);
    EXPECT_EQ(file->lengthMs(), 1500);
    EXPECT_EQ(file->msToTicks(1250), 1440);
    EXPECT_EQ(file->ticksToMs(file->msToTicks(700)), 700);
    EXPECT_EQ(file->ticksToMs(file->msToTicks(1400)), 1400);
}

TEST(MidiFile, SmpteDivisionCountsFramesNotBeats)
{
    // 25 frames a second, 40 ticks a frame: a thousand ticks a second, and
    // tempo events do not matter.
    MidiTrack t;
    t.tempo(0, 250000).event({0x00, 0x90, 60, 100}).delta(2500).event({0x80, 60, 0}).end();
    auto file = MidiFile::parse(bytesOf(smfBytes(0, 0xE728, {t})));
    ASSERT_TRUE(file.ok()) << file.error();
    EXPECT_EQ(file->lengthMs(), 2500);
    EXPECT_EQ(file->msToTicks(1200), 1200);
}

TEST(MidiFile, RiffWrappedFileIsTheSameMusic)
{
    const QByteArray smf = tempoChangeMidi();
    const QByteArray rmi = rmiWrap(smf);
    EXPECT_TRUE(MidiFile::sniff(bytesOf(rmi.left(12))));
    EXPECT_TRUE(MidiFile::sniff(bytesOf(smf.left(12))));
    EXPECT_FALSE(MidiFile::sniff(bytesOf(wavBytes(WavFormat{}).left(12))));
    auto file = MidiFile::parse(bytesOf(rmi));
    ASSERT_TRUE(file.ok()) << file.error();
    EXPECT_EQ(file->lengthMs(), 1500);
    EXPECT_EQ(file->smf().size(), static_cast<size_t>(smf.size()));
    EXPECT_EQ(std::memcmp(file->smf().data(), smf.constData(), smf.size()), 0);
}

TEST(MidiFile, DamagedFilesAreRefused)
{
    const QByteArray good = tempoChangeMidi();
    // Every cut-short copy, wrapped or not, is refused; none crashes.
    for (qsizetype n = 0; n < good.size(); ++n) {
        ASSERT_EQ(MidiFile::parse(bytesOf(good.left(n))).error(), mci::kInvalidFile) << "cut at " << n;
        ASSERT_EQ(MidiFile::parse(bytesOf(rmiWrap(good.left(n)))).error(), mci::kInvalidFile) << "cut at " << n;
    }
    MidiTrack noStatus; // data bytes before any status byte
    noStatus.event({0x00, 0x3C, 0x40}).end();
    EXPECT_EQ(MidiFile::parse(bytesOf(smfBytes(0, 480, {noStatus}))).error(), mci::kInvalidFile);
    MidiTrack longDelta; // five continuation bytes
    longDelta.event({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 100}).end();
    EXPECT_EQ(MidiFile::parse(bytesOf(smfBytes(0, 480, {longDelta}))).error(), mci::kInvalidFile);
    MidiTrack t;
    t.end();
    EXPECT_EQ(MidiFile::parse(bytesOf(smfBytes(0, 480, {t, t}))).error(), mci::kInvalidFile)
        << "type 0 holds one track";
    EXPECT_EQ(MidiFile::parse(bytesOf(smfBytes(1, 0, {t}))).error(), mci::kInvalidFile) << "zero division";

    // Running status carries on after a note; a wrapped file whose chunk
    // is odd-sized is padded.
    MidiTrack running;
    running.event({0x00, 0x90, 60, 100, 0x10, 62, 100, 0x10, 60, 0, 0x00, 62, 0}).end();
    EXPECT_TRUE(MidiFile::parse(bytesOf(rmiWrap(smfBytes(0, 96, {running})))).ok());

    QTemporaryDir dir;
    const QString cut = dir.filePath(QStringLiteral("cut.mid"));
    ASSERT_TRUE(writeFile(cut, good.left(good.size() - 5)));
    Mixer mixer;
    EXPECT_EQ(openDevice(cut, std::nullopt, DeviceServices{&mixer, {}}).error(), mci::kInvalidFile);
    EXPECT_EQ(openDevice(cut, DeviceType::Sequencer, DeviceServices{&mixer, {}}).error(), mci::kInvalidFile);
}

TEST(MidiDevice, NoteSoundsAtItsPitchThenFallsSilent)
{
    DiskAudio disk;
    const QString path = disk.tempPath(QStringLiteral("a.mid"));
    constexpr int kPitch = 69; // 440 Hz
    ASSERT_TRUE(writeFile(path, oneNoteMidi(kPitch, 500)));
    AudioFormat format;
    int completions = 0;
    int64_t length = 0;
    {
        Mixer mixer;
        ASSERT_TRUE(mixer.open());
        format = mixer.format();
        auto device = openDevice(path, std::nullopt, DeviceServices{&mixer, {}});
        ASSERT_TRUE(device.ok()) << device.error();
        EXPECT_EQ(device.value()->type(), DeviceType::Sequencer);
        length = device.value()->length();
        device.value()->setCompletionHandler([&] { ++completions; });
        QElapsedTimer timer;
        timer.start();
        ASSERT_EQ(device.value()->play(-1, -1), mci::kOk);
        ASSERT_TRUE(waitUntil([&] { return completions > 0; }, 3000));
        // The length, the release tail, and the drain of the ring.
        EXPECT_GE(timer.elapsed(), 480);
        EXPECT_LT(timer.elapsed(), 500 + 300 + 150);
        spinFor(150); // silence after the end, on the record
    }
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(length, 500);
    const auto left = readDiskOutput(disk.path(), format).channel(0);
    const Span heard = nonSilent(left, 0.01f);
    ASSERT_GT(heard.length(), 0u);
    const size_t ms = static_cast<size_t>(format.rate / 1000);
    const size_t window = 300 * ms;
    const double atPitch = goertzel(left, heard.begin + 100 * ms, window, format.rate, midiPitchHz(kPitch));
    const double beside = goertzel(left, heard.begin + 100 * ms, window, format.rate, midiPitchHz(kPitch - 3));
    EXPECT_GT(atPitch, 20.0 * beside);
    EXPECT_GT(rms(left, heard.begin + 100 * ms, window), 0.02);
    // After the note's end and its tail, nothing rings on.
    EXPECT_LT(rms(left, heard.begin + 850 * ms, 100 * ms), 0.002);
}

TEST(MidiDevice, PlayFromMidwayStartsWithTheLaterNote)
{
    DiskAudio disk;
    const QString path = disk.tempPath(QStringLiteral("two.mid"));
    // C4 for the first 600 ms, then C6 for 400 ms (480 ticks a beat, 120 bpm).
    MidiTrack t;
    t.event({0x00, 0xC0, 0x00, 0x00, 0x90, 60, 110});
    t.delta(576).event({0x80, 60, 0}).delta(0).event({0x90, 84, 110});
    t.delta(384).event({0x80, 84, 0}).end();
    ASSERT_TRUE(writeFile(path, smfBytes(0, 480, {t})));
    AudioFormat format;
    {
        Mixer mixer;
        ASSERT_TRUE(mixer.open());
        format = mixer.format();
        auto device = openDevice(path, std::nullopt, DeviceServices{&mixer, {}});
        ASSERT_TRUE(device.ok()) << device.error();
        int completions = 0;
        device.value()->setCompletionHandler([&] { ++completions; });
        // Notes under way at the start are not struck again, as on a
        // sequencer: from just before the second note, only it sounds.
        ASSERT_EQ(device.value()->play(550, -1), mci::kOk);
        ASSERT_TRUE(waitUntil([&] { return completions > 0; }, 3000));
        EXPECT_EQ(device.value()->position(), 1000);
    }
    const auto left = readDiskOutput(disk.path(), format).channel(0);
    const Span heard = nonSilent(left, 0.01f);
    const size_t ms = static_cast<size_t>(format.rate / 1000);
    EXPECT_LT(spanMs(heard, format.rate), 400 + 300 + 20) << "only the rest of the file, and a tail";
    const double high = goertzel(left, heard.begin + 20 * ms, 250 * ms, format.rate, midiPitchHz(84));
    const double low = goertzel(left, heard.begin + 20 * ms, 250 * ms, format.rate, midiPitchHz(60));
    EXPECT_GT(high, 20.0 * low);
}

TEST(MidiDevice, StopCutsTheNoteAndNeverCompletes)
{
    DiskAudio disk;
    const QString path = disk.tempPath(QStringLiteral("long.mid"));
    ASSERT_TRUE(writeFile(path, oneNoteMidi(64, 3000)));
    AudioFormat format;
    int completions = 0;
    {
        Mixer mixer;
        ASSERT_TRUE(mixer.open());
        format = mixer.format();
        auto device = openDevice(path, std::nullopt, DeviceServices{&mixer, {}});
        ASSERT_TRUE(device.ok()) << device.error();
        device.value()->setCompletionHandler([&] { ++completions; });
        ASSERT_EQ(device.value()->play(-1, -1), mci::kOk);
        spinFor(300);
        device.value()->stop();
        EXPECT_EQ(device.value()->mode(), DeviceMode::Stopped);
        EXPECT_NEAR(device.value()->position(), 300, 60);
        spinFor(300);
        // Played again and cut again: the synthesizer holds no note over.
        ASSERT_EQ(device.value()->play(0, -1), mci::kOk);
        spinFor(200);
        device.value()->stop();
        spinFor(300);
    }
    EXPECT_EQ(completions, 0);
    const auto left = readDiskOutput(disk.path(), format).channel(0);
    const Span heard = nonSilent(left, 0.01f);
    // 300 ms, 300 ms of silence, 200 ms: nothing sounds past the second cut.
    // (The disk driver takes its buffers a little faster than real time.)
    EXPECT_GT(spanMs(heard, format.rate), 750.0);
    EXPECT_LT(spanMs(heard, format.rate), 900.0);
    const size_t ms = static_cast<size_t>(format.rate / 1000);
    EXPECT_LT(rms(left, heard.begin + 330 * ms, 240 * ms), 0.002) << "the first cut left nothing ringing";
}
