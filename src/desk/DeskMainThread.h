#pragma once

#include "platform/RunLoop.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <variant>

namespace tolvane {

// The server's way to the main thread: work is posted to the main run loop
// and the server's thread waits for its result. Work that opens a modal
// alert waits there for the user, so its caller is answered as soon as the
// alert opens. Once the program ends the main loop runs no more, so closing
// answers every wait at once and lets no new one begin.
class DeskMainThread {
  public:
    // The work has not finished: the main thread is busy (or the work waits
    // in a modal alert it opened), or the program is ending.
    enum class Unanswered { busy, ending };

    explicit DeskMainThread(std::shared_ptr<RunLoop> loop)
        : loop_(std::move(loop)), shared_(std::make_shared<Shared>()) {}

    template <typename Result>
    std::variant<Result, Unanswered> call(std::function<Result()> work,
                                          std::chrono::milliseconds patience) {
        struct Progress {
            std::optional<std::uint64_t> startedAfterModalAlerts;
            std::optional<Result> result;
        };
        auto progress = std::make_shared<Progress>();
        {
            std::lock_guard lock(shared_->mutex);
            if (shared_->closed) {
                return Unanswered::ending;
            }
        }
        loop_->post([shared = shared_, progress, work = std::move(work)] {
            {
                std::lock_guard lock(shared->mutex);
                progress->startedAfterModalAlerts = shared->modalAlerts;
            }
            Result value = work();
            {
                std::lock_guard lock(shared->mutex);
                progress->result = std::move(value);
            }
            shared->changed.notify_all();
        });
        std::unique_lock lock(shared_->mutex);
        auto inModalAlert = [&] {
            return progress->startedAfterModalAlerts &&
                   *progress->startedAfterModalAlerts < shared_->modalAlerts;
        };
        shared_->changed.wait_for(lock, patience, [&] {
            return progress->result.has_value() || shared_->closed || inModalAlert();
        });
        if (progress->result.has_value()) {
            return std::move(*progress->result);
        }
        return shared_->closed ? Unanswered::ending : Unanswered::busy;
    }

    // Main thread: a modal alert opens. The work running now, which opened
    // it, goes on only once the user has answered.
    void modalAlertOpens() {
        {
            std::lock_guard lock(shared_->mutex);
            ++shared_->modalAlerts;
        }
        shared_->changed.notify_all();
    }

    void close() {
        {
            std::lock_guard lock(shared_->mutex);
            shared_->closed = true;
        }
        shared_->changed.notify_all();
    }

  private:
    // Work still queued on the main loop may outlive this object.
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        bool closed = false;
        std::uint64_t modalAlerts = 0;
    };

    std::shared_ptr<RunLoop> loop_;
    std::shared_ptr<Shared> shared_;
};

} // namespace tolvane
