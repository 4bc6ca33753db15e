#include "AudioFixtures.h"

#include "media/AudioOutput.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace lumeria::media;
using namespace lumeria::media::test;

namespace {

// One device buffer of the mixer, in milliseconds: how far a start or end
// heard in the output may sit from the ideal.
double bufferMs(const AudioFormat& format)
{
    return 512.0 * 1000.0 / format.rate + 1.0;
}

std::shared_ptr<AudioStream> constantStream(Mixer& mixer, float value, int ms)
{
    const AudioFormat f = mixer.format();
    const auto frames = static_cast<size_t>(ms) * static_cast<size_t>(f.rate) / 1000;
    auto stream = mixer.addStream(frames);
    stream->setPaused(true);
    std::vector<float> samples(frames * static_cast<size_t>(f.channels), value);
    EXPECT_EQ(stream->write(samples.data(), frames), frames);
    stream->finish();
    return stream;
}

} // namespace

TEST(AudioOutput, ToneIsHeardAtItsFrequencyForItsDuration)
{
    DiskAudio disk;
    AudioFormat format;
    {
        Mixer mixer;
        int opened = 0;
        mixer.setOpenListener([&](const AudioFormat& f) {
            ++opened;
            format = f;
        });
        auto tone = mixer.playTone(1000.0, 400);
        ASSERT_TRUE(tone);
        // The ring holds the tone exactly: the only room in it is what the
        // callback may already have taken.
        const size_t room = tone->freeFrames();
        EXPECT_LE(room, size_t(tone->framesPlayed())) << "the tone is exactly its frames";
        ASSERT_TRUE(waitUntil([&] { return tone->drained(); }, 3000));
        EXPECT_EQ(tone->framesPlayed(), std::llround(0.4 * format.rate));
        mixer.playTone(1000.0, 1); // a second stream does not announce the device again
        EXPECT_EQ(opened, 1);
    }
    EXPECT_EQ(format.sampleFormat, QStringLiteral("S16"));
    const Recording rec = readDiskOutput(disk.path(), format);
    const auto left = rec.channel(0);
    const Span heard = nonSilent(left);
    EXPECT_NEAR(spanMs(heard, rec.rate), 400.0, bufferMs(format));
    EXPECT_NEAR(zeroCrossingFrequency(left, heard.begin, heard.end, rec.rate), 1000.0, 10.0);
    EXPECT_NEAR(peak(left, heard.begin, heard.end), 0.25, 0.01);
    EXPECT_EQ(rec.channel(1), left) << "a tone sounds on both sides";
}

TEST(AudioOutput, StreamsAddUpAndClipWithoutWrapping)
{
    DiskAudio disk;
    AudioFormat format;
    {
        Mixer mixer;
        ASSERT_TRUE(mixer.open());
        format = mixer.format();
        auto loud = constantStream(mixer, 0.8f, 300);
        auto shorter = constantStream(mixer, 0.8f, 150);
        auto negative = constantStream(mixer, -0.3f, 300);
        negative->setGain(0.5f);
        loud->setPaused(false);
        shorter->setPaused(false);
        negative->setPaused(false);
        ASSERT_TRUE(waitUntil([&] { return loud->drained() && shorter->drained() && negative->drained(); }, 3000));
    }
    const auto left = readDiskOutput(disk.path(), format).channel(0);
    const Span heard = nonSilent(left);
    ASSERT_NEAR(spanMs(heard, format.rate), 300.0, bufferMs(format));
    // 0.8 + 0.8 - 0.15 is over full scale: it clips to the top and never
    // wraps around to a negative value.
    const size_t ms = static_cast<size_t>(format.rate / 1000);
    for (size_t i = heard.begin + 20 * ms; i < heard.begin + 120 * ms; ++i)
        ASSERT_GT(left[i], 0.99f) << "at frame " << i;
    // Once the shorter stream is gone only 0.8 - 0.15 remains.
    EXPECT_NEAR(left[heard.begin + 220 * ms], 0.65f, 0.01f);
}

// The device's 16-bit samples: rounded half away from zero, clipped at both
// ends, and a NaN (a damaged float file) at the bottom rather than anywhere.
TEST(AudioOutput, SamplesRoundAndClipToSixteenBits)
{
    const struct {
        float value;
        int sample;
    } cases[] = {
        {0.5f / 32768, 1},       {-0.5f / 32768, -1}, {1.5f / 32768, 2}, {2.5f / 32768, 3},
        {0.25f, 8192},           {-0.7f, -22938},     {1.0f, 32767},     {-1.0f, -32768},
        {std::nanf(""), -32768}, {3.0f, 32767},       {-5.0f, -32768},   {32766.5f / 32768, 32767},
    };
    constexpr size_t kRun = 2048; // frames of each value: whole device buffers and more
    DiskAudio disk;
    AudioFormat format;
    {
        Mixer mixer;
        ASSERT_TRUE(mixer.open());
        format = mixer.format();
        ASSERT_EQ(format.sampleFormat, QStringLiteral("S16"));
        const auto ch = static_cast<size_t>(format.channels);
        auto stream = mixer.addStream(std::size(cases) * kRun);
        stream->setPaused(true);
        std::vector<float> samples;
        for (const auto& c : cases)
            samples.insert(samples.end(), kRun * ch, c.value);
        ASSERT_EQ(stream->write(samples.data(), std::size(cases) * kRun), std::size(cases) * kRun);
        stream->finish();
        stream->setPaused(false);
        ASSERT_TRUE(waitUntil([&] { return stream->drained(); }, 3000));
    }
    const auto left = readDiskOutput(disk.path(), format).channel(0);
    const auto first = std::find_if(left.begin(), left.end(), [](float v) { return v != 0.0f; });
    ASSERT_NE(first, left.end());
    const auto start = static_cast<size_t>(first - left.begin());
    ASSERT_GE(left.size(), start + std::size(cases) * kRun);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        // Away from the run's edges, where a device buffer may split it.
        const size_t at = start + i * kRun + kRun / 2;
        EXPECT_EQ(std::lround(left[at] * 32768.0f), cases[i].sample) << "for " << cases[i].value;
    }
}

TEST(AudioOutput, PausedStreamHoldsItsPositionAndResumes)
{
    Mixer mixer; // the dummy driver the test environment names
    ASSERT_TRUE(mixer.open());
    const AudioFormat f = mixer.format();
    auto stream = mixer.addStream(static_cast<size_t>(f.rate));
    std::vector<float> second(static_cast<size_t>(f.rate * f.channels), 0.1f);
    stream->write(second.data(), static_cast<size_t>(f.rate));
    stream->finish();
    ASSERT_TRUE(waitUntil([&] { return stream->framesPlayed() > 0; }, 1000));

    stream->setPaused(true);
    spinFor(30); // a callback in flight may still finish its buffer
    const int64_t held = stream->framesPlayed();
    spinFor(100);
    EXPECT_EQ(stream->framesPlayed(), held);
    EXPECT_FALSE(stream->drained());

    stream->setPaused(false);
    ASSERT_TRUE(waitUntil([&] { return stream->drained(); }, 2000));
    EXPECT_EQ(stream->framesPlayed(), f.rate) << "every frame plays once, none is lost to the pause";
}

TEST(AudioOutput, RemovedStreamIsNoLongerTouched)
{
    Mixer mixer;
    ASSERT_TRUE(mixer.open());
    auto stream = mixer.playTone(440.0, 1000);
    ASSERT_TRUE(waitUntil([&] { return stream->framesPlayed() > 0; }, 1000));
    mixer.removeStream(stream);
    const int64_t played = stream->framesPlayed();
    spinFor(60);
    EXPECT_EQ(stream->framesPlayed(), played);
    EXPECT_FALSE(stream->drained());
}

TEST(AudioOutput, UnopenableDriverFallsBackToDummyInRealTime)
{
    qputenv("SDL_AUDIODRIVER", "nosuchdriver");
    {
        Mixer mixer;
        ASSERT_TRUE(mixer.open());
        EXPECT_GT(mixer.format().rate, 0);
        QElapsedTimer timer;
        timer.start();
        auto tone = mixer.playTone(1000.0, 300);
        ASSERT_TRUE(waitUntil([&] { return tone->drained(); }, 3000));
        // The dummy driver sleeps a little less than a buffer per buffer.
        EXPECT_GT(timer.elapsed(), 250);
        EXPECT_LT(timer.elapsed(), 700);
    }
    qputenv("SDL_AUDIODRIVER", "dummy");
    Mixer again; // the fallback left SDL as the environment says
    EXPECT_TRUE(again.open());
}

TEST(AudioOutput, MutedMixerStillKeepsTime)
{
    DiskAudio disk;
    Mixer mixer(AudioOutputOptions{.mute = true, .deviceName = {}});
    auto tone = mixer.playTone(1000.0, 150);
    ASSERT_TRUE(tone);
    ASSERT_TRUE(waitUntil([&] { return tone->drained(); }, 2000));
    EXPECT_FALSE(QFile::exists(disk.path())) << "muted: nothing reaches the disk driver";
}
