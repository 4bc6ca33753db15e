// The play machine as the devices run it: a sound file and an animation
// played, paused for more than one reason, sought while paused and stopped
// before they were ready, with the completion counted; a renderer that
// outlives its worker.

#include "AudioFixtures.h"
#include "FlicWriter.h"

#include "media/DeviceFactory.h"
#include "media/MciErrors.h"
#include "media/MediaList.h"
#include "media/StreamingDevice.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace lumeria::media;
using namespace lumeria::media::test;

namespace {

struct Counted {
    std::unique_ptr<MediaDevice> device;
    int completions = 0;
};

std::unique_ptr<Counted> counted(std::unique_ptr<MediaDevice> device)
{
    auto c = std::make_unique<Counted>();
    c->device = std::move(device);
    Counted* raw = c.get();
    if (c->device)
        c->device->setCompletionHandler([raw] { ++raw->completions; });
    return c;
}

// Ten empty frames of 50 ms: half a second.
std::unique_ptr<Counted> tenFrameFlic()
{
    FlicWriter writer(FlicKind::Flc, 4, 2, 50);
    for (int i = 0; i < 10; ++i)
        writer.addFrame(frame({}));
    return counted(openFlicPlayer(writer.build().toQByteArray()));
}

} // namespace

// A pause taken before the worker has primed the sound outlasts the priming:
// nothing is heard until the resume, and then the whole file is.
TEST(PlayMachine, SoundPausedWhilePrimingWaitsForTheResume)
{
    DiskAudio disk;
    const QString path = disk.tempPath(QStringLiteral("a.wav"));
    ASSERT_TRUE(writeFile(path, wavBytes(WavFormat{.durationMs = 300})));
    AudioFormat format;
    int completions = 0;
    {
        Mixer mixer;
        ASSERT_TRUE(mixer.open());
        format = mixer.format();
        auto played = counted(openDevice(path, DeviceType::WaveAudio, DeviceServices{&mixer, {}}).value());
        MediaDevice& device = *played->device;
        ASSERT_EQ(device.play(-1, -1), mci::kOk);
        device.pause();
        EXPECT_EQ(device.mode(), DeviceMode::Paused);
        spinFor(250);
        EXPECT_EQ(device.position(), 0);
        device.resume();
        ASSERT_TRUE(waitUntil([&] { return played->completions > 0; }, 2000));
        spinFor(50);
        completions = played->completions;
        EXPECT_EQ(device.position(), 300);
    }
    EXPECT_EQ(completions, 1);
    const auto left = readDiskOutput(disk.path(), format).channel(0);
    const Span heard = nonSilent(left, 0.05f);
    EXPECT_GT(spanMs(Span{0, heard.begin}, format.rate), 200.0) << "heard before the resume";
    EXPECT_NEAR(spanMs(heard, format.rate), 300.0, 15.0);
}

TEST(PlayMachine, SoundSoughtWhilePausedAndStoppedBeforeItWasReady)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.wav"));
    ASSERT_TRUE(writeFile(path, wavBytes(WavFormat{.rate = 22050, .durationMs = 600})));
    Mixer mixer;
    auto played = counted(openDevice(path, DeviceType::WaveAudio, DeviceServices{&mixer, {}}).value());
    MediaDevice& device = *played->device;

    // Stopped at once: the worker had not primed; no notice ever comes.
    ASSERT_EQ(device.play(-1, -1), mci::kOk);
    device.stop();
    EXPECT_EQ(device.mode(), DeviceMode::Stopped);
    spinFor(700);
    EXPECT_EQ(played->completions, 0);

    ASSERT_EQ(device.play(0, -1), mci::kOk);
    spinFor(150);
    device.pause();
    EXPECT_EQ(device.seek(450), mci::kOk);
    EXPECT_EQ(device.mode(), DeviceMode::Stopped);
    EXPECT_EQ(device.position(), 450);
    EXPECT_EQ(device.resume(), mci::kOk);
    EXPECT_EQ(device.mode(), DeviceMode::Stopped) << "a seek ends the pause with the play";
    spinFor(600);
    EXPECT_EQ(played->completions, 0);
    EXPECT_EQ(device.position(), 450);

    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(device.play(-1, -1), mci::kOk);
    ASSERT_TRUE(waitUntil([&] { return played->completions > 0; }, 2000));
    EXPECT_NEAR(static_cast<double>(timer.elapsed()), 150.0, 100.0);
    spinFor(100);
    EXPECT_EQ(played->completions, 1);
}

TEST(PlayMachine, AnimationPausesSeeksAndCompletesOnce)
{
    auto played = tenFrameFlic();
    ASSERT_TRUE(played->device);
    MediaDevice& device = *played->device;
    EXPECT_EQ(device.length(), 500);

    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(device.play(-1, -1), mci::kOk);
    spinFor(120);
    device.pause();
    EXPECT_EQ(device.mode(), DeviceMode::Paused);
    const int64_t held = device.position();
    EXPECT_NEAR(static_cast<double>(held), 100.0, 50.0);
    spinFor(300);
    EXPECT_EQ(device.position(), held);
    device.resume();
    ASSERT_TRUE(waitUntil([&] { return played->completions > 0; }, 2000));
    // Paused time does not count: half a second of frames after 300 ms held.
    EXPECT_NEAR(static_cast<double>(timer.elapsed()), 800.0, 120.0);
    EXPECT_EQ(device.position(), 500);
    EXPECT_EQ(device.mode(), DeviceMode::Stopped);

    ASSERT_EQ(device.play(0, -1), mci::kOk);
    spinFor(100);
    device.pause();
    EXPECT_EQ(device.seek(400), 0);
    EXPECT_EQ(device.mode(), DeviceMode::Stopped);
    spinFor(600);
    EXPECT_EQ(played->completions, 1) << "the sought play never completes";
    timer.restart();
    ASSERT_EQ(device.play(-1, -1), mci::kOk);
    ASSERT_TRUE(waitUntil([&] { return played->completions > 1; }, 2000));
    EXPECT_NEAR(static_cast<double>(timer.elapsed()), 100.0, 80.0);
    spinFor(100);
    EXPECT_EQ(played->completions, 2);
}

namespace {

// What a renderer went through, kept outside it so it can be read after the
// renderer is gone.
struct RendererLog {
    std::atomic<int> renders{0};
    std::atomic<int> rendersAfterDestruction{0};
    std::atomic<bool> destroyed{false};
    std::atomic<bool> stoppedBeforeDestruction{false};
};

// Endless quiet sound, a little slowly, so a destruction finds it rendering.
class SlowRenderer final : public SoundRenderer {
public:
    explicit SlowRenderer(std::shared_ptr<RendererLog> log) : m_log(std::move(log)) {}
    ~SlowRenderer() override { m_log->destroyed = true; }
    bool start(int64_t, int64_t, int, int channels) override
    {
        m_channels = size_t(channels);
        return true;
    }
    size_t render(float* out, size_t maxFrames) override
    {
        ++m_log->renders;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (m_log->destroyed)
            ++m_log->rendersAfterDestruction;
        std::fill_n(out, maxFrames * m_channels, 0.0f);
        return maxFrames;
    }
    void stopped() override { m_log->stoppedBeforeDestruction = !m_log->destroyed; }

private:
    std::shared_ptr<RendererLog> m_log;
    size_t m_channels = 2;
};

} // namespace

// A streaming device owns its renderer: whenever the device goes, mid-play,
// paused or primed, the renderer hears the stop and is never called again
// after it is destroyed.
TEST(PlayMachine, RendererOutlivesEveryCallOfItsWorker)
{
    Mixer mixer;
    ASSERT_TRUE(mixer.open());
    for (const bool pause : {false, true}) {
        SCOPED_TRACE(pause ? "paused" : "playing");
        auto log = std::make_shared<RendererLog>();
        auto device = std::make_unique<StreamingDevice>(mixer, DeviceType::WaveAudio, 60'000,
                                                        std::make_unique<SlowRenderer>(log));
        ASSERT_EQ(device->play(-1, -1), mci::kOk);
        ASSERT_TRUE(waitUntil([&] { return log->renders > 3; }, 2000));
        if (pause)
            device->pause();
        device.reset();
        EXPECT_TRUE(log->destroyed);
        EXPECT_TRUE(log->stoppedBeforeDestruction);
        EXPECT_EQ(log->rendersAfterDestruction, 0);
    }
}
