#include "platform/SerialQueue.h"

#include "platform/RunLoop.h"

#include <future>

namespace tolvane {

SerialQueue::SerialQueue(std::string label) : label_(std::move(label)) {
    thread_ = std::thread([this] { loop(); });
}

SerialQueue::~SerialQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wakeUp_.notify_one();
    thread_.join();
}

void SerialQueue::async(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        work_.push_back(std::move(work));
    }
    wakeUp_.notify_one();
}

void SerialQueue::sync(const std::function<void()>& work) {
    if (std::this_thread::get_id() == thread_.get_id()) {
        work(); // already on the queue: waiting for ourselves would never end
        return;
    }
    std::promise<void> done;
    async([&] {
        work();
        done.set_value();
    });
    done.get_future().wait();
}

void SerialQueue::loop() {
    blockTerminationSignals();
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock lock(mutex_);
            wakeUp_.wait(lock, [this] { return stopping_ || !work_.empty(); });
            if (work_.empty()) {
                return;
            }
            work = std::move(work_.front());
            work_.pop_front();
        }
        work();
    }
}

} // namespace tolvane
