#include "platform/SerialQueue.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace tolvane {
namespace {

TEST(SerialQueue, RunsWorkInSubmissionOrderOffTheCallingThreadAndFinishesItWhenDestroyed) {
    std::vector<int> order;
    std::atomic<bool> offCaller{true};
    auto caller = std::this_thread::get_id();
    {
        SerialQueue queue("test.queue");
        for (int i = 0; i < 50; ++i) {
            queue.async([&, i] {
                order.push_back(i);
                offCaller = offCaller && std::this_thread::get_id() != caller;
            });
        }
        queue.drain(); // sync: everything submitted before it has run
        EXPECT_EQ(order.size(), 50u);
        for (int i = 0; i < 10; ++i) {
            queue.async([&order] { order.push_back(-1); });
        }
    }
    ASSERT_EQ(order.size(), 60u);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
    }
    EXPECT_TRUE(offCaller);
}

TEST(SerialQueue, SyncFromInsideTheQueueRunsInlineInsteadOfDeadlocking) {
    SerialQueue queue("test.queue");
    int value = 0;
    queue.sync([&] { queue.sync([&] { value = 7; }); });
    EXPECT_EQ(value, 7);
}

} // namespace
} // namespace tolvane
