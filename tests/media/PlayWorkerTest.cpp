#include "AudioFixtures.h"

#include "media/PlayWorker.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using namespace lumeria::media;
using namespace lumeria::media::test;

TEST(PlayWorker, CompletionArrivesOnTheUiThreadWithTheWorkerJoined)
{
    PlayWorker worker;
    int completions = 0;
    bool joinedFirst = false;
    worker.start([&](uint64_t generation) {
        worker.complete(generation, [&] {
            ++completions;
            joinedFirst = !worker.running();
        });
    });
    ASSERT_TRUE(waitUntil([&] { return completions > 0; }, 2000));
    spinFor(30);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(joinedFirst);
}

TEST(PlayWorker, CompletionQueuedBeforeAStopIsDropped)
{
    PlayWorker worker;
    std::atomic<bool> posted{false};
    int completions = 0;
    worker.start([&](uint64_t generation) {
        worker.complete(generation, [&] { ++completions; });
        posted = true;
    });
    // The completion sits in the queue, unseen, while the UI thread stops.
    while (!posted)
        std::this_thread::yield();
    EXPECT_TRUE(worker.stop());
    spinFor(30);
    EXPECT_EQ(completions, 0);
}

TEST(PlayWorker, OnlyTheNewestPlayCompletes)
{
    PlayWorker worker;
    std::atomic<bool> posted{false};
    int stale = 0;
    int current = 0;
    worker.start([&](uint64_t generation) {
        worker.complete(generation, [&] { ++stale; });
        posted = true;
    });
    while (!posted)
        std::this_thread::yield();
    worker.stop();
    worker.start([&](uint64_t generation) { worker.complete(generation, [&] { ++current; }); });
    ASSERT_TRUE(waitUntil([&] { return current > 0; }, 2000));
    spinFor(30);
    EXPECT_EQ(stale, 0);
    EXPECT_EQ(current, 1);
}

TEST(PlayWorker, WorkerToldToStopPostsNoCompletion)
{
    PlayWorker worker;
    int completions = 0;
    worker.start([&](uint64_t generation) {
        while (!worker.stopping())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        worker.complete(generation, [&] { ++completions; });
    });
    EXPECT_TRUE(worker.running());
    EXPECT_TRUE(worker.stop());
    EXPECT_FALSE(worker.running());
    EXPECT_FALSE(worker.stop());
    spinFor(30);
    EXPECT_EQ(completions, 0);
}

TEST(PlayWorker, StopFadesAPlayingStreamOutInTheCallback)
{
    AudioStream stream(2, 4096);
    std::vector<float> ones(2 * 1024, 1.0f);
    stream.write(ones.data(), 1024);
    std::vector<float> heard(2 * 256, 0.0f);
    stream.mixInto(heard.data(), 128);
    EXPECT_FLOAT_EQ(heard[2 * 127], 1.0f);

    // The stop itself returns at once; the callback glides to silence.
    stream.fadeOut();
    EXPECT_FALSE(stream.faded());
    std::fill(heard.begin(), heard.end(), 0.0f);
    stream.mixInto(heard.data(), 256);
    EXPECT_GT(heard.front(), 0.9f) << "no step down";
    EXPECT_LT(heard.back(), 0.5f);
    for (size_t f = 1; f < 256; ++f)
        ASSERT_LE(heard[2 * f], heard[2 * (f - 1)]) << "frame " << f;
    EXPECT_FLOAT_EQ(heard.back(), 0.0f);
    EXPECT_TRUE(stream.faded());
    std::fill(heard.begin(), heard.end(), 0.0f);
    EXPECT_EQ(stream.mixInto(heard.data(), 256), 0u) << "faded for good";

    // A paused stream, or one never heard, has nothing to glide.
    AudioStream paused(2, 4096);
    paused.write(ones.data(), 1024);
    paused.setPaused(true);
    paused.fadeOut();
    EXPECT_EQ(paused.mixInto(heard.data(), 256), 0u);
    EXPECT_TRUE(paused.faded());
}

TEST(PlayWorker, TheMixerLetsAFadedStreamGoByItself)
{
    Mixer mixer;
    ASSERT_TRUE(mixer.open());
    std::shared_ptr<AudioStream> stream = mixer.addStream();
    ASSERT_TRUE(stream);
    std::vector<float> ones(2 * 2048, 0.5f);
    stream->write(ones.data(), ones.size() / static_cast<size_t>(stream->channels()));
    ASSERT_TRUE(waitUntil([&] { return stream->framesPlayed() > 0; }, 2000));
    mixer.fadeOutStream(stream);
    ASSERT_TRUE(waitUntil([&] { return stream->faded(); }, 2000));
    // The next stream added sweeps it out: only this test still holds it.
    std::weak_ptr<AudioStream> gone = stream;
    stream.reset();
    auto next = mixer.addStream();
    EXPECT_TRUE(gone.expired());
    mixer.removeStream(next);
}

// The holds of a play, watched through the listener a device would pause its
// sound with and the clock it would keep time by.
TEST(PlayWorker, APlayHeldForTwoReasonsMovesOnlyWhenBothLetGo)
{
    std::vector<bool> told;
    PlayWorker worker([&](bool held) { told.push_back(held); }, [](QImage&&, int64_t) {});
    std::atomic<bool> ran{false};
    worker.start(
        [&](uint64_t) {
            worker.waitWhileHeld();
            ran = true;
        },
        unsigned(Hold::Priming));
    EXPECT_EQ(told, std::vector<bool>{true});
    worker.hold(Hold::Reader); // a pause during priming
    worker.release(Hold::Priming);
    EXPECT_TRUE(worker.held());
    EXPECT_TRUE(worker.heldFor(Hold::Reader));
    EXPECT_FALSE(worker.heldFor(Hold::Priming));
    EXPECT_EQ(told, std::vector<bool>{true}) << "priming's end does not start a paused play";
    const int64_t still = worker.playedUs();
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_EQ(worker.playedUs(), still);
    EXPECT_FALSE(ran);

    worker.release(Hold::Reader);
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
    ASSERT_TRUE(waitUntil([&] { return ran.load(); }, 1000));
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_GE(worker.playedUs() - still, 30'000);

    // Held again, the clock stops where it is.
    worker.hold(Hold::Reader);
    const int64_t paused = worker.playedUs();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(worker.playedUs(), paused);
    worker.stop();
    EXPECT_FALSE(worker.held()) << "a stop lets every hold go";
}

TEST(PlayWorker, AStopWakesAWaitingWorkerAtOnce)
{
    PlayWorker worker;
    int completions = 0;
    // Stopped during priming: a worker held still, waiting for the holds.
    std::atomic<bool> waiting{false};
    worker.start(
        [&](uint64_t generation) {
            waiting = true;
            if (worker.waitWhileHeld())
                worker.complete(generation, [&] { ++completions; });
        },
        unsigned(Hold::Priming));
    while (!waiting)
        std::this_thread::yield();
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(worker.stop());
    EXPECT_LT(timer.elapsed(), 100);

    // A worker sleeping towards a far moment.
    worker.start([&](uint64_t generation) {
        if (worker.waitFor(std::chrono::seconds(10)))
            worker.complete(generation, [&] { ++completions; });
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    timer.restart();
    EXPECT_TRUE(worker.stop());
    EXPECT_LT(timer.elapsed(), 100);
    spinFor(30);
    EXPECT_EQ(completions, 0);
}

TEST(PlayWorker, OnlyTheNewestPictureReachesTheUiAndNoneAfterAStop)
{
    std::vector<int64_t> shown;
    PlayWorker worker([](bool) {},
                      [&](QImage&& picture, int64_t atMs) {
                          EXPECT_EQ(picture.width(), int(atMs));
                          shown.push_back(atMs);
                      });
    std::vector<bool> replaced;
    std::atomic<bool> done{false};
    worker.start([&](uint64_t) {
        for (int at = 1; at <= 3; ++at)
            replaced.push_back(worker.publish(QImage(at, 1, QImage::Format_RGB32), at));
        done = true;
    });
    while (!done)
        std::this_thread::yield();
    spinFor(30);
    EXPECT_EQ(replaced, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(shown, std::vector<int64_t>{3});

    worker.stop();
    done = false;
    worker.start([&](uint64_t) {
        worker.publish(QImage(4, 1, QImage::Format_RGB32), 4);
        done = true;
    });
    while (!done)
        std::this_thread::yield();
    worker.stop(); // before the UI thread took it
    spinFor(30);
    EXPECT_EQ(shown, std::vector<int64_t>{3});
}
