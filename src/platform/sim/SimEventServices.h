#pragma once

#include "platform/Clock.h"
#include "platform/EventServices.h"
#include "platform/NotificationObservers.h"
#include "platform/RunLoop.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace tolvane {

// Event services of the simulated session. Tests and the front end "type"
// to move the idle readings; posted synthetic mouse events are recorded,
// and a mouse move also moves the pointer. The Caps Lock key toggles the lock,
// as a keyboard's does.
class SimEventServices final : public EventServices {
  public:
    // Idle times count from the moment the services are made; Caps Lock
    // observers hear of changes on the loop.
    SimEventServices(std::shared_ptr<Clock> clock, std::shared_ptr<RunLoop> loop);

    // An event of this type happens now, such as a key press (keyDown) or a
    // modifier key (flagsChanged).
    void recordEvent(EventType type);
    // Makes the reading of one event type a fixed value, such as a
    // not-a-number a failing system gives; none returns to the real reading.
    void overrideIdleReading(EventType type, std::optional<double> reading);

    void setMouseLocation(Point location) { mouseLocation_ = location; }
    void setScreenFrames(std::vector<Rect> frames) { screenFrames_ = std::move(frames); }
    // Event creation fails from now on (or works again).
    void setEventCreationFails(bool fails) { eventCreationFails_ = fails; }
    const std::vector<MouseEvent>& postedMouseEvents() const { return posted_; }
    // The Caps Lock key: a modifier key event that toggles the lock.
    void pressCapsLock();

    double secondsSinceLastEventType(EventType type) const override;
    Point mouseLocation() const override { return mouseLocation_; }
    std::vector<Rect> screenFrames() const override { return screenFrames_; }
    bool postMouseEvent(const MouseEvent& event) override;
    bool isCapsLockLocked() const override { return capsLockLocked_; }
    ObserverID addCapsLockObserver(std::function<void()> observer) override;
    void removeCapsLockObserver(ObserverID observer) override;

  private:
    std::shared_ptr<Clock> clock_;
    double start_;
    std::map<EventType, double> lastEvent_;
    std::map<EventType, double> overrides_;
    Point mouseLocation_{720, 450};
    std::vector<Rect> screenFrames_{Rect{{0, 0}, {1440, 900}}};
    bool eventCreationFails_ = false;
    std::vector<MouseEvent> posted_;
    bool capsLockLocked_ = false;
    NotificationObservers capsLockObservers_;
};

} // namespace tolvane
