#include "platform/x11/X11ErrorTrap.h"

namespace tolvane {

namespace {

// The innermost trap; Xlib calls the handler on the thread that made the request.
thread_local X11ErrorTrap* innermost = nullptr;

} // namespace

void X11ErrorTrap::syncIfUnanswered(Display* display) {
    if (LastKnownRequestProcessed(display) != NextRequest(display) - 1) {
        XSync(display, False);
    }
}

X11ErrorTrap::X11ErrorTrap(Display* display) : display_(display), outer_(innermost) {
    // Errors of earlier requests belong to whoever made them, not to this trap.
    syncIfUnanswered(display_);
    innermost = this;
    previousHandler_ = XSetErrorHandler(&X11ErrorTrap::record);
}

X11ErrorTrap::~X11ErrorTrap() {
    syncIfUnanswered(display_);
    XSetErrorHandler(previousHandler_);
    innermost = outer_;
}

int X11ErrorTrap::errorCode() {
    syncIfUnanswered(display_);
    return errorCode_;
}

int X11ErrorTrap::record(Display* display, XErrorEvent* error) {
    X11ErrorTrap* trap = innermost;
    if (trap == nullptr || trap->display_ != display) {
        // Another connection's error: its own handler decides.
        return trap != nullptr && trap->previousHandler_ != nullptr
                   ? trap->previousHandler_(display, error)
                   : 0;
    }
    if (trap->errorCode_ == Success) {
        trap->errorCode_ = error->error_code;
    }
    return 0;
}

} // namespace tolvane
