#include "platform/x11/X11EventServices.h"

#include "log/AppLog.h"
#include "platform/x11/X11ErrorTrap.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>

#include <cmath>
#include <memory>

namespace tolvane {

namespace {

std::optional<int> xinputOpcode(Display* display) {
    int opcode = 0;
    int event = 0;
    int error = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &event, &error)) {
        return std::nullopt;
    }
    // Raw events reach clients other than the grabbing one from 2.1 on.
    int major = 2;
    int minor = 1;
    if (XIQueryVersion(display, &major, &minor) != Success || major < 2 ||
        (major == 2 && minor < 1)) {
        return std::nullopt;
    }
    return opcode;
}

} // namespace

X11EventServices::X11EventServices(X11Display& display)
    : display_(display), start_(display.loop()->now()), capsLockObservers_(display.loop()) {
    Display* x = display_.get();
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    hasXTest_ = XTestQueryExtension(x, &event, &error, &major, &minor) != 0;
    watchCapsLock();
    xinputOpcode_ = xinputOpcode(x);
    if (!xinputOpcode_) {
        AppLog::error("X11 events: the X server has no XInput 2.1; keyboard idle times are "
                      "unknown and the layout never returns by itself");
        return;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    X11ErrorTrap trap(x);
    XISelectEvents(x, display_.root(), &mask, 1);
    if (trap.failed()) {
        AppLog::error("X11 events: cannot select raw key events; keyboard idle times are unknown");
        xinputOpcode_.reset();
        return;
    }
    filter_ = display_.addGenericEventFilter(*xinputOpcode_,
                                             [this](XEvent& raw) { handleRawKey(raw); });
}

X11EventServices::~X11EventServices() {
    for (const auto& filter : {filter_, capsLockFilter_}) {
        if (filter) {
            display_.removeFilter(*filter);
        }
    }
}

void X11EventServices::watchCapsLock() {
    Display* x = display_.get();
    int opcode = 0;
    int eventBase = 0;
    int errorBase = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    if (!XkbQueryExtension(x, &opcode, &eventBase, &errorBase, &major, &minor)) {
        AppLog::error("X11 events: the X server has no XKB extension; Caps Lock is not shown");
        return;
    }
    // Only the locked modifiers: the layout's own state events are the input
    // sources' business, and each selection changes only its own details.
    X11ErrorTrap trap(x);
    XkbSelectEventDetails(x, XkbUseCoreKbd, XkbStateNotify, XkbModifierLockMask,
                          XkbModifierLockMask);
    XkbStateRec state{};
    const bool read = XkbGetState(x, XkbUseCoreKbd, &state) == Success;
    if (trap.failed() || !read) {
        AppLog::error("X11 events: cannot read the keyboard's lock state; Caps Lock is not shown");
        return;
    }
    capsLockLocked_ = (state.locked_mods & LockMask) != 0;
    capsLockFilter_ = display_.addFilter(eventBase, [this](XEvent& event) {
        const auto& xkb = reinterpret_cast<const XkbEvent&>(event);
        if (xkb.any.xkb_type != XkbStateNotify || (xkb.state.changed & XkbModifierLockMask) == 0) {
            return;
        }
        const bool locked = (xkb.state.locked_mods & LockMask) != 0;
        if (locked != capsLockLocked_) {
            capsLockLocked_ = locked;
            capsLockObservers_.post();
        }
    });
}

bool X11EventServices::isCapsLockLocked() const {
    if (!capsLockFilter_) {
        return capsLockLocked_;
    }
    X11ErrorTrap trap(display_.get());
    XkbStateRec state{};
    if (XkbGetState(display_.get(), XkbUseCoreKbd, &state) != Success || trap.failed()) {
        return capsLockLocked_;
    }
    const bool locked = (state.locked_mods & LockMask) != 0;
    // A poll may also come between a change and its event: no warning.
    if (locked != capsLockLocked_) {
        AppLog::debug("X11 events: Caps Lock read as changed before its state event");
    }
    capsLockLocked_ = locked;
    return locked;
}

EventServices::ObserverID X11EventServices::addCapsLockObserver(std::function<void()> observer) {
    return capsLockObservers_.add(std::move(observer));
}

void X11EventServices::removeCapsLockObserver(ObserverID observer) {
    capsLockObservers_.remove(observer);
}

void X11EventServices::handleRawKey(const XEvent& event) {
    const int type = event.xcookie.evtype;
    if (type != XI_RawKeyPress && type != XI_RawKeyRelease) {
        return;
    }
    const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
    // Whether it was a modifier is all that is asked of the key.
    const KeySym symbol = XkbKeycodeToKeysym(display_.get(), static_cast<KeyCode>(raw->detail), 0, 0);
    const bool modifier = IsModifierKey(symbol);
    const double now = display_.loop()->now();
    if (modifier) {
        lastEvent_[EventType::flagsChanged] = now;
    } else {
        lastEvent_[type == XI_RawKeyPress ? EventType::keyDown : EventType::keyUp] = now;
    }
}

double X11EventServices::secondsSinceLastEventType(EventType type) const {
    auto last = lastEvent_.find(type);
    return display_.loop()->now() - (last == lastEvent_.end() ? start_ : last->second);
}

std::vector<X11EventServices::Monitor> X11EventServices::monitors() const {
    Display* x = display_.get();
    std::vector<Monitor> result;
    int count = 0;
    int event = 0;
    int error = 0;
    if (XRRQueryExtension(x, &event, &error)) {
        X11ErrorTrap trap(x);
        std::unique_ptr<XRRMonitorInfo, void (*)(XRRMonitorInfo*)> found(
            XRRGetMonitors(x, display_.root(), True, &count), XRRFreeMonitors);
        if (found && !trap.failed()) {
            for (int i = 0; i < count; ++i) {
                const XRRMonitorInfo& monitor = found.get()[i];
                const Monitor entry{monitor.x, monitor.y, monitor.width, monitor.height};
                if (monitor.primary) {
                    result.insert(result.begin(), entry);
                } else {
                    result.push_back(entry);
                }
            }
        }
    }
    if (result.empty()) {
        const int screen = DefaultScreen(x);
        result.push_back({0, 0, DisplayWidth(x, screen), DisplayHeight(x, screen)});
    }
    return result;
}

X11EventServices::Monitor X11EventServices::primaryMonitor() const { return monitors().front(); }

Point X11EventServices::mouseLocation() const {
    Window root = None;
    Window child = None;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int buttons = 0;
    if (!XQueryPointer(display_.get(), display_.root(), &root, &child, &rootX, &rootY, &windowX,
                       &windowY, &buttons)) {
        return Point{};
    }
    // From the bottom-left corner of the primary monitor, growing upwards.
    const Monitor primary = primaryMonitor();
    return Point{static_cast<double>(rootX - primary.x),
                 static_cast<double>(primary.y + primary.height - rootY)};
}

std::vector<Rect> X11EventServices::screenFrames() const {
    const std::vector<Monitor> all = monitors();
    const Monitor& primary = all.front();
    std::vector<Rect> frames;
    for (const Monitor& monitor : all) {
        frames.push_back(Rect{{static_cast<double>(monitor.x - primary.x),
                               static_cast<double>((primary.y + primary.height) -
                                                   (monitor.y + monitor.height))},
                              {static_cast<double>(monitor.width),
                               static_cast<double>(monitor.height)}});
    }
    return frames;
}

bool X11EventServices::postMouseEvent(const MouseEvent& event) {
    if (!std::isfinite(event.position.x) || !std::isfinite(event.position.y)) {
        return false;
    }
    Display* x = display_.get();
    // Event positions grow downwards from the primary monitor's top-left corner.
    const Monitor primary = primaryMonitor();
    const int rootX = primary.x + static_cast<int>(std::lround(event.position.x));
    const int rootY = primary.y + static_cast<int>(std::lround(event.position.y));
    X11ErrorTrap trap(x);
    switch (event.type) {
    case EventType::mouseMoved:
        if (hasXTest_) {
            XTestFakeMotionEvent(x, -1, rootX, rootY, CurrentTime);
        } else {
            XWarpPointer(x, None, display_.root(), 0, 0, 0, 0, rootX, rootY);
        }
        break;
    case EventType::leftMouseDown:
    case EventType::leftMouseUp:
        if (!hasXTest_) {
            return false;
        }
        XTestFakeButtonEvent(x, 1, event.type == EventType::leftMouseDown, CurrentTime);
        break;
    default:
        return false;
    }
    return !trap.failed();
}

} // namespace tolvane
