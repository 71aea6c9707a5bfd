#include "platform/RunLoop.h"

#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

namespace tolvane {

void Cancellable::cancel() {
    if (auto loop = loop_.lock()) {
        loop->cancel(id_);
    }
}

bool Cancellable::isActive() const {
    auto loop = loop_.lock();
    return loop && loop->isScheduled(id_);
}

std::shared_ptr<RunLoop> RunLoop::create(std::shared_ptr<Clock> clock) {
    return std::shared_ptr<RunLoop>(new RunLoop(std::move(clock)));
}

RunLoop::RunLoop(std::shared_ptr<Clock> clock)
    : clock_(std::move(clock)), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

RunLoop::~RunLoop() {
    if (wakeFd_ >= 0) {
        close(wakeFd_);
    }
    if (signalFd_ >= 0) {
        close(signalFd_);
    }
}

void RunLoop::post(std::function<void()> work) {
    {
        std::lock_guard lock(postedMutex_);
        posted_.push_back(std::move(work));
    }
    wake();
}

void RunLoop::wake() {
    if (wakeFd_ >= 0) {
        std::uint64_t one = 1;
        [[maybe_unused]] auto written = write(wakeFd_, &one, sizeof one);
    }
}

Cancellable RunLoop::after(double delay, std::function<void()> work) {
    return schedule(std::max(0.0, delay), 0.0, std::move(work));
}

Cancellable RunLoop::every(double interval, std::function<void()> work) {
    // A zero interval would fire forever without time moving.
    interval = std::max(interval, 0.001);
    return schedule(interval, interval, std::move(work));
}

Cancellable RunLoop::schedule(double delay, double interval, std::function<void()> work) {
    std::uint64_t id = nextId_++;
    scheduled_.push_back(Scheduled{id, now() + delay, interval, std::move(work)});
    return Cancellable(weak_from_this(), id);
}

void RunLoop::cancel(std::uint64_t id) {
    std::erase_if(scheduled_, [id](const Scheduled& item) { return item.id == id; });
}

bool RunLoop::isScheduled(std::uint64_t id) const {
    return std::any_of(scheduled_.begin(), scheduled_.end(),
                       [id](const Scheduled& item) { return item.id == id; });
}

bool RunLoop::addSignalHandler(int signal, std::function<void()> handler) {
    signalHandlers_[signal] = std::move(handler);
    sigset_t mask;
    sigemptyset(&mask);
    for (const auto& entry : signalHandlers_) {
        sigaddset(&mask, entry.first);
    }
    int fd = signalfd(signalFd_, &mask, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd < 0) {
        signalHandlers_.erase(signal);
        return false;
    }
    signalFd_ = fd;
    return true;
}

bool RunLoop::runSignals() {
    if (signalFd_ < 0) {
        return false;
    }
    bool handled = false;
    signalfd_siginfo info{};
    while (read(signalFd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        auto found = signalHandlers_.find(static_cast<int>(info.ssi_signo));
        if (found != signalHandlers_.end()) {
            auto handler = found->second;
            handler();
            handled = true;
        }
    }
    return handled;
}

RunLoop::SourceID RunLoop::addReadableSource(int descriptor, std::function<bool()> drain) {
    const SourceID source = nextSourceId_++;
    sources_.emplace(source, ReadableSource{descriptor, std::move(drain)});
    return source;
}

void RunLoop::removeReadableSource(SourceID source) { sources_.erase(source); }

bool RunLoop::drainSources() {
    // A drain may remove its own source or another.
    std::vector<SourceID> ids;
    for (const auto& entry : sources_) {
        ids.push_back(entry.first);
    }
    bool handled = false;
    for (SourceID id : ids) {
        if (auto found = sources_.find(id); found != sources_.end()) {
            auto drain = found->second.drain;
            handled = drain() || handled;
        }
    }
    return handled;
}

bool RunLoop::runPosted() {
    if (wakeFd_ >= 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] auto got = read(wakeFd_, &count, sizeof count);
    }
    bool ran = false;
    // One item at a time, so that work posted while running keeps its order
    // and a nested run loop inside an item sees the rest of the queue.
    while (!stopRequested_) {
        std::function<void()> work;
        {
            std::lock_guard lock(postedMutex_);
            if (posted_.empty()) {
                break;
            }
            work = std::move(posted_.front());
            posted_.erase(posted_.begin());
        }
        work();
        ran = true;
    }
    return ran;
}

double RunLoop::nextDue() const {
    double next = Clock::distantFuture;
    for (const auto& item : scheduled_) {
        next = std::min(next, item.due);
    }
    return next;
}

bool RunLoop::runOneDueItem(double limit) {
    auto due = scheduled_.end();
    for (auto it = scheduled_.begin(); it != scheduled_.end(); ++it) {
        if (it->due <= limit && (due == scheduled_.end() || it->due < due->due)) {
            due = it;
        }
    }
    if (due == scheduled_.end()) {
        return false;
    }
    std::function<void()> work;
    if (due->interval > 0.0) {
        work = due->work;
        due->due += due->interval;
        if (due->due <= now()) {
            due->due = now() + due->interval;
        }
    } else {
        work = std::move(due->work);
        scheduled_.erase(due);
    }
    work();
    return true;
}

void RunLoop::run() { runUntil(Clock::distantFuture); }

void RunLoop::runUntil(double deadline) {
    static thread_local int depth = 0;
    if (depth == 0) {
        stopRequested_ = false;
    }
    ++depth;
    while (!stopRequested_) {
        bool worked = drainSources();
        worked = runSignals() || worked;
        worked = runPosted() || worked;
        if (stopRequested_) {
            break;
        }
        if (runOneDueItem(now())) {
            continue;
        }
        if (worked) {
            continue;
        }
        if (now() >= deadline) {
            break;
        }
        std::vector<int> descriptors{wakeFd_};
        if (signalFd_ >= 0) {
            descriptors.push_back(signalFd_);
        }
        for (const auto& entry : sources_) {
            descriptors.push_back(entry.second.descriptor);
        }
        if (!clock_->waitUntil(std::min(nextDue(), deadline), descriptors.data(),
                               static_cast<int>(descriptors.size()))) {
            break;
        }
    }
    --depth;
}

void RunLoop::stop() {
    stopRequested_ = true;
    wake();
}

void blockTerminationSignals() {
    sigset_t mask;
    sigemptyset(&mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        sigaddset(&mask, signal);
    }
    pthread_sigmask(SIG_BLOCK, &mask, nullptr);
}

} // namespace tolvane
