#include "platform/sim/SimEventServices.h"

namespace tolvane {

SimEventServices::SimEventServices(std::shared_ptr<Clock> clock, std::shared_ptr<RunLoop> loop)
    : clock_(std::move(clock)), start_(clock_->now()), capsLockObservers_(std::move(loop)) {}

void SimEventServices::recordEvent(EventType type) {
    lastEvent_[type] = clock_->now();
}

void SimEventServices::overrideIdleReading(EventType type, std::optional<double> reading) {
    if (reading) {
        overrides_[type] = *reading;
    } else {
        overrides_.erase(type);
    }
}

double SimEventServices::secondsSinceLastEventType(EventType type) const {
    if (auto fixed = overrides_.find(type); fixed != overrides_.end()) {
        return fixed->second;
    }
    auto last = lastEvent_.find(type);
    return clock_->now() - (last == lastEvent_.end() ? start_ : last->second);
}

bool SimEventServices::postMouseEvent(const MouseEvent& event) {
    if (eventCreationFails_) {
        return false;
    }
    posted_.push_back(event);
    if (event.type == EventType::mouseMoved) {
        // Event positions have their origin at the top-left of the primary
        // screen, the pointer location at its bottom-left.
        double height = screenFrames_.empty() ? 0 : screenFrames_.front().size.height;
        mouseLocation_ = Point{event.position.x, height - event.position.y};
    }
    return true;
}

void SimEventServices::pressCapsLock() {
    recordEvent(EventType::flagsChanged);
    capsLockLocked_ = !capsLockLocked_;
    capsLockObservers_.post();
}

EventServices::ObserverID SimEventServices::addCapsLockObserver(std::function<void()> observer) {
    return capsLockObservers_.add(std::move(observer));
}

void SimEventServices::removeCapsLockObserver(ObserverID observer) {
    capsLockObservers_.remove(observer);
}

} // namespace tolvane
