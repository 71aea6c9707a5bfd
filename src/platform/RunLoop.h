#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace tolvane {

class RunLoop;

// Cancels a timer or a piece of delayed work. Cancelling twice, or after the
// run loop is gone, does nothing. Destroying the handle does not cancel.
class Cancellable {
public:
    Cancellable() = default;
    void cancel();
    bool isActive() const;

private:
    friend class RunLoop;
    Cancellable(std::weak_ptr<RunLoop> loop, std::uint64_t id) : loop_(std::move(loop)), id_(id) {}
    std::weak_ptr<RunLoop> loop_;
    std::uint64_t id_ = 0;
};

// The main thread's run loop and main queue. Timers and delayed work fire in
// due order (ties in scheduling order); work posted from any thread runs on
// the loop's thread. Termination signals are read from a signalfd, so their
// handlers run as ordinary work on the loop.
class RunLoop : public std::enable_shared_from_this<RunLoop> {
public:
    static std::shared_ptr<RunLoop> create(std::shared_ptr<Clock> clock);
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    Clock& clock() const { return *clock_; }
    double now() const { return clock_->now(); }

    // Main queue: runs soon, in submission order. Callable from any thread.
    void post(std::function<void()> work);
    // One-shot work after a delay in seconds.
    Cancellable after(double delay, std::function<void()> work);
    // A timer that first fires after one interval and then every interval.
    Cancellable every(double interval, std::function<void()> work);

    // Runs handler on the loop whenever signal arrives. The signal must be
    // blocked in every thread (see blockTerminationSignals) so that it stays
    // pending for the signalfd instead of ending the process.
    bool addSignalHandler(int signal, std::function<void()> handler);

    // A connection whose events the loop reads, such as a display server's:
    // the loop wakes when descriptor is readable, and runs drain after every
    // wake-up, whatever woke it, because a library may already have queued
    // events that no longer make the descriptor readable. drain reads
    // everything there is without blocking and says whether it handled
    // anything: what it ran may have queued events on another connection, so
    // every source is drained again before the loop waits.
    using SourceID = std::uint64_t;
    SourceID addReadableSource(int descriptor, std::function<bool()> drain);
    void removeReadableSource(SourceID source);

    // Runs until stop() or, with a manual clock, until nothing is left to do
    // before the distant future.
    void run();
    // Runs everything due up to the deadline; with a manual clock time jumps
    // from one due item to the next and ends exactly at the deadline.
    void runUntil(double deadline);
    // Runs for the given number of seconds (manual clock: advances it).
    void advance(double seconds) { runUntil(now() + seconds); }
    // Runs what is posted and already due, without moving time.
    void drain() { runUntil(now()); }
    void stop();

private:
    struct Scheduled {
        std::uint64_t id;
        double due;
        double interval; // 0 for one-shot work
        std::function<void()> work;
    };

    explicit RunLoop(std::shared_ptr<Clock> clock);
    Cancellable schedule(double delay, double interval, std::function<void()> work);
    bool runPosted();
    bool runSignals();
    bool drainSources();
    bool runOneDueItem(double limit);
    double nextDue() const;
    void wake();

    friend class Cancellable;
    void cancel(std::uint64_t id);
    bool isScheduled(std::uint64_t id) const;

    std::shared_ptr<Clock> clock_;
    int wakeFd_ = -1;
    int signalFd_ = -1;
    std::map<int, std::function<void()>> signalHandlers_;
    struct ReadableSource {
        int descriptor;
        std::function<bool()> drain;
    };
    std::map<SourceID, ReadableSource> sources_;
    SourceID nextSourceId_ = 1;
    std::vector<Scheduled> scheduled_;
    std::uint64_t nextId_ = 1;
    bool stopRequested_ = false;

    mutable std::mutex postedMutex_;
    std::vector<std::function<void()>> posted_;
};

// Blocks SIGINT, SIGTERM, SIGHUP and SIGQUIT in the calling thread (and in the
// threads it creates afterwards). Call first thing in main.
void blockTerminationSignals();

} // namespace tolvane
