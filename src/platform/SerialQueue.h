#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tolvane {

// Runs submitted work one item at a time, in submission order, on its own
// thread. The thread blocks the termination signals so that they stay with
// the main run loop.
class SerialQueue {
public:
    explicit SerialQueue(std::string label);
    ~SerialQueue(); // runs what is still queued, then joins
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const std::string& label() const { return label_; }
    void async(std::function<void()> work);
    // Runs work after everything submitted before it and waits for it.
    void sync(const std::function<void()>& work);
    // Waits until everything submitted so far has run.
    void drain() {
        sync([] {});
    }

private:
    void loop();

    std::string label_;
    std::mutex mutex_;
    std::condition_variable wakeUp_;
    std::deque<std::function<void()>> work_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace tolvane
