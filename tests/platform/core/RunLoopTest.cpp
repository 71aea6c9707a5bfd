#include "platform/RunLoop.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <thread>
#include <vector>

namespace tolvane {
namespace {

struct RunLoopTest : ::testing::Test {
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(100.0);
    std::shared_ptr<RunLoop> loop = RunLoop::create(clock);
    std::vector<std::string> events;

    auto record(std::string name) {
        return [this, name] { events.push_back(name + "@" + std::to_string(loop->now() - 100.0)); };
    }
};

TEST_F(RunLoopTest, DelayedWorkRunsInDueOrderAtItsOwnMoment) {
    loop->after(1.8, record("c"));
    loop->after(0.45, record("a"));
    loop->after(1.0, record("b"));
    loop->after(1.0, record("b2")); // same moment: scheduling order

    loop->advance(0.44);
    EXPECT_TRUE(events.empty());
    loop->advance(2.0);
    EXPECT_EQ(events, (std::vector<std::string>{"a@0.450000", "b@1.000000", "b2@1.000000",
                                                "c@1.800000"}));
    EXPECT_DOUBLE_EQ(loop->now(), 102.44);
}

TEST_F(RunLoopTest, CancelledWorkNeverRunsAndCancellingTwiceIsHarmless) {
    auto first = loop->after(0.5, record("first"));
    auto second = loop->after(0.5, record("second"));
    EXPECT_TRUE(first.isActive());
    first.cancel();
    first.cancel();
    EXPECT_FALSE(first.isActive());
    loop->advance(1.0);
    EXPECT_EQ(events, (std::vector<std::string>{"second@0.500000"}));
    EXPECT_FALSE(second.isActive()); // one-shot work is done once it ran
    Cancellable empty;
    empty.cancel();
    EXPECT_FALSE(empty.isActive());
}

TEST_F(RunLoopTest, RepeatingTimerFiresEveryIntervalUntilInvalidated) {
    int ticks = 0;
    Cancellable timer = loop->every(0.25, [&] {
        if (++ticks == 3) {
            timer.cancel(); // a timer may stop itself
        }
    });
    loop->advance(0.6);
    EXPECT_EQ(ticks, 2);
    EXPECT_TRUE(timer.isActive());
    loop->advance(10.0);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer.isActive());
}

TEST_F(RunLoopTest, WorkScheduledByWorkRunsWhenDueWithinTheSameAdvance) {
    loop->after(0.05, [&] {
        record("outer")();
        loop->after(0.11, record("inner"));
        loop->post(record("posted"));
    });
    loop->advance(1.0);
    EXPECT_EQ(events, (std::vector<std::string>{"outer@0.050000", "posted@0.050000",
                                                "inner@0.160000"}));
}

TEST_F(RunLoopTest, PostedWorkFromOtherThreadsRunsOnTheLoopInOrder) {
    std::thread::id loopThread = std::this_thread::get_id();
    std::vector<int> order;
    bool allOnLoopThread = true;
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i) {
            loop->post([&, i] {
                order.push_back(i);
                allOnLoopThread = allOnLoopThread && std::this_thread::get_id() == loopThread;
            });
        }
    });
    poster.join();
    loop->drain();
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
    }
    EXPECT_TRUE(allOnLoopThread);
}

TEST_F(RunLoopTest, StopEndsRunAndNestedRunLoopsKeepTime) {
    loop->after(1.0, [&] {
        record("terminating")();
        loop->advance(0.15); // a handler may run the loop for a while itself
        loop->stop();
    });
    loop->after(1.1, record("during-nested"));
    loop->after(5.0, record("never"));
    loop->run();
    EXPECT_EQ(events, (std::vector<std::string>{"terminating@1.000000", "during-nested@1.100000"}));
    EXPECT_DOUBLE_EQ(loop->now(), 101.15);
}

TEST_F(RunLoopTest, RunReturnsWhenAManualClockHasNothingLeftToDo) {
    loop->after(3.0, record("last"));
    loop->run();
    EXPECT_EQ(events, (std::vector<std::string>{"last@3.000000"}));
}

TEST_F(RunLoopTest, BlockedSignalsAreHandledAsOrdinaryWorkOnTheLoop) {
    blockTerminationSignals();
    int received = 0;
    ASSERT_TRUE(loop->addSignalHandler(SIGHUP, [&] { ++received; }));
    ASSERT_EQ(raise(SIGHUP), 0); // pending, not fatal: the signal is blocked
    EXPECT_EQ(received, 0);
    loop->drain();
    EXPECT_EQ(received, 1);
    ASSERT_EQ(raise(SIGHUP), 0);
    loop->drain();
    EXPECT_EQ(received, 2);
}

TEST(RealClockRunLoop, WaitsForDueTimeAndWakesForPostedWork) {
    auto loop = RunLoop::create(std::make_shared<RealClock>());
    double start = loop->now();
    bool ran = false;
    loop->after(0.02, [&] {
        ran = true;
        loop->stop();
    });
    loop->run();
    EXPECT_TRUE(ran);
    EXPECT_GE(loop->now() - start, 0.02);

    std::thread poster([&] { loop->post([&] { loop->stop(); }); });
    loop->run(); // would wait forever without the post waking it
    poster.join();
}

} // namespace
} // namespace tolvane
