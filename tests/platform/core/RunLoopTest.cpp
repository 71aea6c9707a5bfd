#include "platform/RunLoop.h"

#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tolvane {
namespace {

using Events = std::vector<std::string>;

struct RunLoopTest : ::testing::Test {
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(100.0);
    std::shared_ptr<RunLoop> loop = RunLoop::create(clock);
    Events events;

    auto record(std::string name) {
        return [this, name] { events.push_back(name + "@" + std::to_string(loop->now() - 100.0)); };
    }
};

TEST_F(RunLoopTest, DelayedWorkRunsInDueOrderAtItsOwnMomentUnlessCancelled) {
    loop->after(1.8, record("c"));
    loop->after(0.45, record("a"));
    loop->after(1.0, record("b"));
    loop->after(1.0, record("b2")); // same moment: scheduling order
    auto cancelled = loop->after(0.5, record("cancelled"));
    EXPECT_TRUE(cancelled.isActive());
    cancelled.cancel();
    cancelled.cancel();
    EXPECT_FALSE(cancelled.isActive());

    loop->advance(0.44);
    EXPECT_TRUE(events.empty());
    loop->advance(2.0);
    EXPECT_EQ(events, (Events{"a@0.450000", "b@1.000000", "b2@1.000000", "c@1.800000"}));
    EXPECT_DOUBLE_EQ(loop->now(), 102.44);
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
    EXPECT_EQ(events, (Events{"outer@0.050000", "posted@0.050000", "inner@0.160000"}));
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

TEST_F(RunLoopTest, StopEndsRunNestedRunLoopsKeepTimeAndRunEndsWithNothingLeftToDo) {
    loop->after(1.0, [&] {
        record("terminating")();
        loop->advance(0.15); // a handler may run the loop for a while itself
        loop->stop();
    });
    loop->after(1.1, record("during-nested"));
    loop->after(5.0, record("later"));
    loop->run();
    EXPECT_EQ(events, (Events{"terminating@1.000000", "during-nested@1.100000"}));
    EXPECT_DOUBLE_EQ(loop->now(), 101.15);
    loop->run(); // a manual clock with nothing left to do returns
    EXPECT_EQ(events.back(), "later@5.000000");
}

// Blocked termination signals handled as ordinary work on the loop: the real
// program's tests (tests/e2e) send each of them.
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

    // A readable source wakes the loop, and its drain also runs after other work.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    int drains = 0;
    std::string read;
    auto readAll = [&] {
        const std::size_t before = read.size();
        pollfd readable{ends[0], POLLIN, 0};
        for (char byte = 0; poll(&readable, 1, 0) == 1 && ::read(ends[0], &byte, 1) == 1;) {
            read.push_back(byte);
        }
        return read.size() > before;
    };
    auto source = loop->addReadableSource(ends[0], [&] {
        ++drains;
        if (!readAll()) {
            return false;
        }
        loop->stop();
        return true;
    });
    std::thread writer([&] { EXPECT_EQ(write(ends[1], "x", 1), 1); });
    loop->run(); // would wait forever without the source waking it
    writer.join();
    EXPECT_EQ(read, "x");
    const int before = drains;
    loop->post([&] { loop->stop(); });
    loop->run();
    EXPECT_GT(drains, before);
    loop->removeReadableSource(source);
    close(ends[0]);
    close(ends[1]);
}

// What one source handles may queue events on another connection without
// making that one readable: every source is drained again before the loop
// waits (with a manual clock, waiting would move time to the deadline).
TEST(RunLoopSources, AreDrainedAgainAfterAnyOfThemHandledSomething) {
    auto loop = RunLoop::create(std::make_shared<ManualClock>(100.0));
    bool queuedElsewhere = false;
    bool handledElsewhere = false;
    loop->addReadableSource(-1, [&] {
        if (!std::exchange(queuedElsewhere, false)) {
            return false;
        }
        handledElsewhere = true;
        loop->stop();
        return true;
    });
    int arrivals = 1;
    loop->addReadableSource(-1, [&] { return queuedElsewhere = arrivals-- > 0; });
    loop->runUntil(105.0);
    EXPECT_TRUE(handledElsewhere);
    EXPECT_EQ(loop->now(), 100.0);
}

} // namespace
} // namespace tolvane
