#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace tolvane {

// The latest state of the desk, handed from the main thread to the server's
// threads: each publication has a number, and a reader waits for a newer one.
class DeskChannel {
  public:
    struct Message {
        std::uint64_t number = 0;
        std::string text;
    };

    // Main thread.
    void publish(std::string text);
    // Wakes every reader for good.
    void close();

    // The latest message; number 0 before the first.
    Message latest() const;
    // The first message newer than `seen`, waiting at most `seconds`; nothing
    // when none came in time or the channel closed.
    std::optional<Message> waitForNewer(std::uint64_t seen, double seconds) const;
    bool isClosed() const;

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    Message latest_;
    bool closed_ = false;
};

} // namespace tolvane
