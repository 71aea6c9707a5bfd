#include "desk/DeskChannel.h"

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

std::optional<DeskChannel::Message> DeskChannel::waitForNewer(std::uint64_t seen,
                                                              double seconds) const {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::duration<double>(seconds),
                      [&] { return closed_ || latest_.number > seen; });
    if (latest_.number > seen) {
        return latest_;
    }
    return std::nullopt;
}

bool DeskChannel::isClosed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

} // namespace tolvane
