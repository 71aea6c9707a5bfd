#pragma once

#include "platform/RunLoop.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace tolvane {

// The observers of one notification. A posted notification reaches them on
// the run loop some time later, even when this object is gone by then (it
// then reaches nobody).
class NotificationObservers {
  public:
    using ObserverID = std::uint64_t;

    explicit NotificationObservers(std::shared_ptr<RunLoop> loop) : loop_(std::move(loop)) {}

    ObserverID add(std::function<void()> observer);
    void remove(ObserverID observer);
    std::size_t size() const { return registry_->observers.size(); }
    // Observers added while it is delivered wait for the next notification;
    // one removed meanwhile is not called.
    void post();

  private:
    // Shared with the notifications in flight.
    struct Registry {
        std::map<ObserverID, std::function<void()>> observers;
        ObserverID nextID = 1;
    };

    std::shared_ptr<RunLoop> loop_;
    std::shared_ptr<Registry> registry_ = std::make_shared<Registry>();
};

} // namespace tolvane
