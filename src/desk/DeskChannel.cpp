#include "desk/DeskChannel.h"

#include <algorithm>
#include <chrono>

namespace tolvane {

void DeskChannel::publish(std::string text) {
    {
        std::lock_guard lock(mutex_);
        latest_ = Message{latest_.number + 1, std::move(text)};
    }
    changed_.notify_all();
}

void DeskChannel::close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
}

DeskChannel::Message DeskChannel::latest() const {
    std::lock_guard lock(mutex_);
    return latest_;
}

std::uint64_t DeskChannel::join() {
    std::uint64_t reader = 0;
    {
        std::lock_guard lock(mutex_);
        reader = ++lastReader_;
        readers_.push_back(reader);
        if (readers_.size() > maximumReaders) {
            readers_.pop_front();
        }
    }
    changed_.notify_all();
    return reader;
}

void DeskChannel::leave(std::uint64_t reader) {
    {
        std::lock_guard lock(mutex_);
        std::erase(readers_, reader);
    }
    changed_.notify_all();
}

DeskChannel::ReaderState DeskChannel::stateOf(std::uint64_t reader) const {
    if (std::find(readers_.begin(), readers_.end(), reader) == readers_.end()) {
        return ReaderState::replaced;
    }
    return closed_ ? ReaderState::closed : ReaderState::reading;
}

DeskChannel::Wait DeskChannel::waitForNewer(std::uint64_t reader, std::uint64_t seen,
                                            double seconds) const {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::duration<double>(seconds), [&] {
        return latest_.number > seen || stateOf(reader) != ReaderState::reading;
    });
    Wait wait{std::nullopt, stateOf(reader)};
    if (latest_.number > seen) {
        wait.message = latest_;
    }
    return wait;
}

void DeskChannel::waitUntilNoReaders(double seconds) const {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::duration<double>(seconds),
                      [&] { return readers_.empty(); });
}

} // namespace tolvane
