#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

namespace tolvane {

// The latest state of the desk, handed from the main thread to the server's
// threads: each publication has a number, and a reader waits for a newer one.
// Each reader is an event stream that holds a server thread, so only the
// newest few may read: when one too many joins, the oldest is replaced.
class DeskChannel {
  public:
    static constexpr std::size_t maximumReaders = 4;

    struct Message {
        std::uint64_t number = 0;
        std::string text;
    };
    enum class ReaderState { reading, replaced, closed };
    struct Wait {
        std::optional<Message> message; // a newer one, when it came in time
        ReaderState state = ReaderState::reading;
    };

    // Main thread.
    void publish(std::string text);
    // Wakes every reader for good.
    void close();

    // The latest message; number 0 before the first.
    Message latest() const;

    // A new reader, which replaces the oldest when there are too many.
    std::uint64_t join();
    // The reader has gone.
    void leave(std::uint64_t reader);
    // The first message newer than `seen`, waiting at most `seconds`; the
    // wait ends early when the reader is replaced or the channel closes.
    Wait waitForNewer(std::uint64_t reader, std::uint64_t seen, double seconds) const;
    // Waits up to `seconds` until every reader has left.
    void waitUntilNoReaders(double seconds) const;

  private:
    ReaderState stateOf(std::uint64_t reader) const;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    Message latest_;
    bool closed_ = false;
    std::deque<std::uint64_t> readers_; // oldest first
    std::uint64_t lastReader_ = 0;
};

} // namespace tolvane
