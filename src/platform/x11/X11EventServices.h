#pragma once

#include "platform/EventServices.h"
#include "platform/NotificationObservers.h"
#include "platform/x11/X11Display.h"

#include <map>
#include <optional>

namespace tolvane {

// Event services of the X11 desktop. Keyboard idle times come from XInput 2
// raw key events on the root window, which every client receives whichever
// window has the focus; only the moment of the last key and of the last
// modifier key is kept, never which key it was. The pointer is read with
// XQueryPointer, screens from RandR's monitors, and mouse moves are made with
// XTest (or by warping the pointer where XTest is missing). Caps Lock is the
// lock modifier of XKB's state events.
class X11EventServices final : public EventServices {
  public:
    explicit X11EventServices(X11Display& display);
    ~X11EventServices() override;
    X11EventServices(const X11EventServices&) = delete;
    X11EventServices& operator=(const X11EventServices&) = delete;

    // False when the server has no XInput 2.1: idle times then count from the start.
    bool readsKeyboard() const { return xinputOpcode_.has_value(); }

    double secondsSinceLastEventType(EventType type) const override;
    Point mouseLocation() const override;
    std::vector<Rect> screenFrames() const override;
    bool postMouseEvent(const MouseEvent& event) override;
    // The server's lock state, read afresh: the pollers' answer stays right
    // even when a state event was missed.
    bool isCapsLockLocked() const override;
    ObserverID addCapsLockObserver(std::function<void()> observer) override;
    void removeCapsLockObserver(ObserverID observer) override;

  private:
    struct Monitor {
        int x, y, width, height;
    };

    void handleRawKey(const XEvent& event);
    // Reads the lock state and follows its changes; off, with a log line,
    // without XKB.
    void watchCapsLock();
    // The root window's monitors in root coordinates, the primary one first.
    std::vector<Monitor> monitors() const;
    Monitor primaryMonitor() const;

    X11Display& display_;
    double start_;
    std::map<EventType, double> lastEvent_;
    std::optional<int> xinputOpcode_;
    bool hasXTest_ = false;
    std::optional<X11Display::FilterID> filter_;
    // As the last state event or reading left it.
    mutable bool capsLockLocked_ = false;
    NotificationObservers capsLockObservers_;
    std::optional<X11Display::FilterID> capsLockFilter_;
};

} // namespace tolvane
