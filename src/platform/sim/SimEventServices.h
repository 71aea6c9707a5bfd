#pragma once

#include "platform/Clock.h"
#include "platform/EventServices.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace tolvane {

// Event services of the simulated session. Tests and the front end "type"
// to move the idle readings; posted synthetic mouse events are recorded,
// and a mouse move also moves the pointer.
class SimEventServices final : public EventServices {
  public:
    // Idle times count from the moment the services are made.
    explicit SimEventServices(std::shared_ptr<Clock> clock);

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

    double secondsSinceLastEventType(EventType type) const override;
    Point mouseLocation() const override { return mouseLocation_; }
    std::vector<Rect> screenFrames() const override { return screenFrames_; }
    bool postMouseEvent(const MouseEvent& event) override;

  private:
    std::shared_ptr<Clock> clock_;
    double start_;
    std::map<EventType, double> lastEvent_;
    std::map<EventType, double> overrides_;
    Point mouseLocation_{720, 450};
    std::vector<Rect> screenFrames_{Rect{{0, 0}, {1440, 900}}};
    bool eventCreationFails_ = false;
    std::vector<MouseEvent> posted_;
};

} // namespace tolvane
