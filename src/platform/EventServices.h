#pragma once

#include "platform/Geometry.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tolvane {

enum class EventType : std::int32_t {
    leftMouseDown = 1,
    leftMouseUp = 2,
    mouseMoved = 5,
    keyDown = 10,
    keyUp = 11,
    flagsChanged = 12,
};

enum class MouseButton : std::int32_t { left = 0, right = 1, center = 2 };

// A synthetic mouse event. Its position is in the global display space:
// origin at the top-left corner of the primary screen, y growing downwards.
struct MouseEvent {
    EventType type = EventType::mouseMoved;
    Point position;
    MouseButton button = MouseButton::left;
    bool operator==(const MouseEvent&) const = default;
};

// Event services: input idle times, the pointer and the screens, posting
// synthetic mouse events, and the Caps Lock state.
class EventServices {
  public:
    using ObserverID = std::uint64_t;

    virtual ~EventServices() = default;

    // Seconds since the last event of this type in the combined session
    // state, as the system reports it: a failing system may report a value
    // that is not finite or is negative.
    virtual double secondsSinceLastEventType(EventType type) const = 0;
    // The pointer in screen coordinates: origin at the bottom-left corner of
    // the primary screen, y growing upwards.
    virtual Point mouseLocation() const = 0;
    // The screens' frames in the same coordinates, the primary screen first.
    virtual std::vector<Rect> screenFrames() const = 0;
    // Creates the event and posts it at the HID event tap; false when the
    // event could not be created (nothing was posted then).
    virtual bool postMouseEvent(const MouseEvent& event) = 0;

    // Whether Caps Lock is locked on, as last heard from the system: a cheap
    // reading, without a round trip.
    virtual bool isCapsLockLocked() const = 0;
    // The observer runs on the main run loop some time after Caps Lock was
    // locked or unlocked.
    virtual ObserverID addCapsLockObserver(std::function<void()> observer) = 0;
    virtual void removeCapsLockObserver(ObserverID observer) = 0;
};

} // namespace tolvane
