#include "platform/x11/X11Display.h"

#include "log/AppLog.h"

#include <X11/Xlib.h>

#include <unistd.h>
#include <vector>

namespace tolvane {

namespace {

int logError(Display* display, XErrorEvent* error) {
    char text[256] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    AppLog::warn("X error " + std::string(text) + " request=" +
                 std::to_string(error->request_code) + "." + std::to_string(error->minor_code) +
                 " resource=" + std::to_string(error->resourceid));
    return 0;
}

// The connection broke: the server ended, or it closed this client. Nothing
// can be sent any more, so nothing can be restored; a server that still runs
// keeps the decorated cursors, since they outlive the connection. The handler
// is process-wide and so also serves the X11 window server's own connection,
// whose per-display exit handler is not ours to set; and Xlib requires it not
// to return. The status is Xlib's own in this case. _exit, not exit: the
// static objects' destructors would run while the other threads still do.
[[noreturn]] int endOnLostConnection(Display* display) {
    AppLog::error("Lost the connection to the X display " + std::string(DisplayString(display)) +
                  " (the server ended or closed it); exiting with status " +
                  std::to_string(X11Display::lostConnectionStatus) +
                  ". If that server still runs, `tolvane --restore` gives it its own cursors back");
    AppLog::flush();
    _exit(X11Display::lostConnectionStatus);
}

} // namespace

std::unique_ptr<X11Display> X11Display::open(const std::shared_ptr<RunLoop>& loop,
                                             const Environment& environment) {
    const std::string name = environment.value("DISPLAY").value_or("");
    if (name.empty()) {
        AppLog::error("X11: DISPLAY is not set");
        return nullptr;
    }
    Display* display = XOpenDisplay(name.c_str());
    if (display == nullptr) {
        AppLog::error("X11: cannot open display " + name);
        return nullptr;
    }
    XSetErrorHandler(&logError);
    XSetIOErrorHandler(&endOnLostConnection);
    return std::unique_ptr<X11Display>(new X11Display(display, loop));
}

X11Display::X11Display(Display* display, std::shared_ptr<RunLoop> loop)
    : display_(display), loop_(std::move(loop)) {
    source_ = loop_->addReadableSource(ConnectionNumber(display_), [this] { return dispatchPending(); });
}

X11Display::~X11Display() {
    loop_->removeReadableSource(source_);
    XCloseDisplay(display_);
}

unsigned long X11Display::root() const { return DefaultRootWindow(display_); }

X11Display::FilterID X11Display::addFilter(int eventType, Filter filter) {
    filters_.emplace(nextFilter_, Registered{eventType, false, std::move(filter)});
    return nextFilter_++;
}

X11Display::FilterID X11Display::addGenericEventFilter(int extensionOpcode, Filter filter) {
    filters_.emplace(nextFilter_, Registered{extensionOpcode, true, std::move(filter)});
    return nextFilter_++;
}

void X11Display::removeFilter(FilterID filter) { filters_.erase(filter); }

void X11Display::selectRootEvents(long mask) const {
    XWindowAttributes attributes{};
    const long current =
        XGetWindowAttributes(display_, root(), &attributes) != 0 ? attributes.your_event_mask : 0;
    XSelectInput(display_, root(), current | mask);
}

bool X11Display::dispatchPending() {
    // XPending also sends what we asked for and reads what has arrived.
    bool handled = false;
    for (; XPending(display_) > 0; handled = true) {
        XEvent event;
        XNextEvent(display_, &event);
        dispatch(event);
    }
    return handled;
}

void X11Display::dispatch(XEvent& event) {
    const bool generic = event.type == GenericEvent;
    const int key = generic ? event.xcookie.extension : event.type;
    // A filter may remove itself or another.
    std::vector<FilterID> matching;
    for (const auto& [id, registered] : filters_) {
        if (registered.generic == generic && registered.key == key) {
            matching.push_back(id);
        }
    }
    if (matching.empty()) {
        return;
    }
    const bool hasData = generic && XGetEventData(display_, &event.xcookie) != 0;
    if (!generic || hasData) {
        for (FilterID id : matching) {
            if (auto found = filters_.find(id); found != filters_.end()) {
                auto filter = found->second.filter;
                filter(event);
            }
        }
    }
    if (hasData) {
        XFreeEventData(display_, &event.xcookie);
    }
}

} // namespace tolvane
