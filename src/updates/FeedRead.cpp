#include "updates/FeedRead.h"

#include <chrono>

namespace tolvane {

namespace {

constexpr auto restopInterval = std::chrono::milliseconds(20);

} // namespace

void FeedRead::cancel(const std::string& reason) {
    {
        std::lock_guard lock(mutex_);
        if (!reason_) {
            reason_ = reason;
        }
    }
    cancelled_.notify_all();
}

std::optional<std::string> FeedRead::cancellation() const {
    std::lock_guard lock(mutex_);
    return reason_;
}

void FeedRead::stopWhenCancelled(const std::function<void()>& stop, std::stop_token requestEnded) {
    std::unique_lock lock(mutex_);
    if (!cancelled_.wait(lock, requestEnded, [this] { return reason_.has_value(); })) {
        return; // the request ended first
    }
    while (!requestEnded.stop_requested()) {
        lock.unlock();
        stop();
        lock.lock();
        cancelled_.wait_for(lock, requestEnded, restopInterval, [] { return false; });
    }
}

} // namespace tolvane
