#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>

#include "core/recorder/RecorderJobRunner.h"

TEST(RecorderJobRunnerTest, RunsOneJobAtATimeAndJoins)
{
    TRecorderJobRunner runner;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> runs{0};

    runner.Start([&] {
        released.wait();
        ++runs;
    });
    EXPECT_TRUE(runner.IsRunning());
    // A second job while the first runs is refused, and the first goes on.
    EXPECT_THROW(runner.Start([&] { ++runs; }), std::logic_error);

    release.set_value();
    runner.Join();
    EXPECT_FALSE(runner.IsRunning());
    EXPECT_EQ(runs, 1);

    // The finished thread is joined before the next one starts.
    runner.Start([&] { ++runs; });
    runner.Join();
    EXPECT_EQ(runs, 2);
}

TEST(RecorderJobRunnerTest, DestructorWaitsForTheJob)
{
    std::atomic<bool> finished{false};
    {
        TRecorderJobRunner runner;
        runner.Start([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            finished = true;
        });
    }
    EXPECT_TRUE(finished);
}

TEST(RecorderJobRunnerTest, AStrayExceptionEndsTheJobOnly)
{
    TRecorderJobRunner runner;
    runner.Start([] { throw std::runtime_error("boom"); });
    runner.Join();
    EXPECT_FALSE(runner.IsRunning());
    bool ran = false;
    runner.Start([&] { ran = true; });
    runner.Join();
    EXPECT_TRUE(ran);
}
