#include "AudioFixtures.h"

#include "media/PlayWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
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

TEST(PlayWorker, StopFadesAPlayingStreamOut)
{
    AudioStream stream(2, 4096);
    PlayWorker worker;
    worker.start([&](uint64_t) {
        while (!worker.stopping())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    worker.stop(&stream);
    std::vector<float> heard(2 * 256, 0.0f);
    std::vector<float> ones(2 * 256, 1.0f);
    stream.write(ones.data(), 256);
    stream.mixInto(heard.data(), 256);
    EXPECT_LT(heard.back(), 0.5f);
}
