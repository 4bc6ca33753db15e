#include "media/AudioResampler.h"
#include "media/FfmpegLibrary.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
}

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace lumeria::media;

namespace {

constexpr int kRate = 48000;

// A stereo frame at the output rate whose left sample i is i and right
// sample i is -i (as 16-bit integers or floats), so every output sample
// tells where it came from.
FramePtr stereoRamp(AVSampleFormat format, int samples)
{
    FramePtr f(av_frame_alloc());
    f->format = format;
    f->sample_rate = kRate;
    f->nb_samples = samples;
    av_channel_layout_default(&f->ch_layout, 2);
    if (av_frame_get_buffer(f.get(), 0) < 0)
        return nullptr;
    for (int i = 0; i < samples; ++i) {
        switch (format) {
        case AV_SAMPLE_FMT_S16:
            reinterpret_cast<int16_t*>(f->data[0])[2 * i] = static_cast<int16_t>(i);
            reinterpret_cast<int16_t*>(f->data[0])[2 * i + 1] = static_cast<int16_t>(-i);
            break;
        case AV_SAMPLE_FMT_S16P:
            reinterpret_cast<int16_t*>(f->data[0])[i] = static_cast<int16_t>(i);
            reinterpret_cast<int16_t*>(f->data[1])[i] = static_cast<int16_t>(-i);
            break;
        case AV_SAMPLE_FMT_FLT:
            reinterpret_cast<float*>(f->data[0])[2 * i] = static_cast<float>(i) / 32768.0f;
            reinterpret_cast<float*>(f->data[0])[2 * i + 1] = static_cast<float>(-i) / 32768.0f;
            break;
        default: return nullptr;
        }
    }
    return f;
}

std::vector<float> takeAll(AudioResampler& resampler)
{
    std::vector<float> out(resampler.available() * 2);
    out.resize(resampler.take(out.data(), resampler.available()) * 2);
    return out;
}

// The source sample index each output frame carries, from its left channel;
// -1 where the right channel does not mirror it.
std::vector<int> sourceIndices(const std::vector<float>& interleaved)
{
    std::vector<int> indices;
    for (size_t i = 0; i + 1 < interleaved.size(); i += 2) {
        const int left = static_cast<int>(std::lround(interleaved[i] * 32768.0f));
        const int right = static_cast<int>(std::lround(-interleaved[i + 1] * 32768.0f));
        indices.push_back(left == right ? left : -1);
    }
    return indices;
}

std::vector<int> range(int from, int to)
{
    std::vector<int> r;
    for (int i = from; i < to; ++i)
        r.push_back(i);
    return r;
}

} // namespace

// The resampler runs on FFmpeg as the devices load it; nothing here opens a
// device, so the tests load it themselves.
class Resampling : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(loadFfmpeg()); }
};

TEST_F(Resampling, SkipDropsTheSameSamplesInterleavedAndPlanar)
{
    for (AVSampleFormat format : {AV_SAMPLE_FMT_S16, AV_SAMPLE_FMT_S16P}) {
        SCOPED_TRACE(av_get_sample_fmt_name(format));
        AudioResampler resampler;
        resampler.reset(kRate, 2);
        FramePtr frame = stereoRamp(format, 64);
        ASSERT_TRUE(frame);
        resampler.push(*frame, 10);
        resampler.drain();
        EXPECT_EQ(sourceIndices(takeAll(resampler)), range(10, 64));
    }
}

TEST_F(Resampling, SampleFormatChangingMidwayIsConvertedAsItNowIs)
{
    AudioResampler resampler;
    resampler.reset(kRate, 2);
    FramePtr first = stereoRamp(AV_SAMPLE_FMT_S16, 32);
    FramePtr second = stereoRamp(AV_SAMPLE_FMT_FLT, 32);
    ASSERT_TRUE(first && second);
    resampler.push(*first, 0);
    resampler.push(*second, 0);
    resampler.drain();
    std::vector<int> expected = range(0, 32);
    expected.insert(expected.end(), expected.begin(), expected.end());
    EXPECT_EQ(sourceIndices(takeAll(resampler)), expected);
}

TEST_F(Resampling, FramesAreHandedOutOnceInOrder)
{
    AudioResampler resampler;
    resampler.reset(kRate, 2);
    FramePtr frame = stereoRamp(AV_SAMPLE_FMT_S16, 40);
    ASSERT_TRUE(frame);
    resampler.push(*frame, 0);
    resampler.drain();
    std::vector<float> part(2 * 25);
    ASSERT_EQ(resampler.take(part.data(), 25), 25u);
    EXPECT_EQ(sourceIndices(part), range(0, 25));
    EXPECT_EQ(sourceIndices(takeAll(resampler)), range(25, 40));
    EXPECT_EQ(resampler.available(), 0u);

    // Once all is out, new input starts a fresh run, not after stale frames.
    resampler.push(*frame, 30);
    EXPECT_EQ(sourceIndices(takeAll(resampler)), range(30, 40));
}

TEST_F(Resampling, ResetForgetsWhatThePreviousPlayLeft)
{
    AudioResampler resampler;
    resampler.reset(kRate, 2);
    FramePtr frame = stereoRamp(AV_SAMPLE_FMT_S16, 40);
    ASSERT_TRUE(frame);
    resampler.push(*frame, 0);
    ASSERT_GT(resampler.available(), 0u);
    resampler.reset(kRate, 2);
    EXPECT_EQ(resampler.available(), 0u);
    resampler.drain();
    EXPECT_EQ(resampler.available(), 0u);
}
