#include "XErrorTrap.h"

namespace tolvane {

namespace {

// Xlib's error handler is process-wide, so the caught code is too.
int caughtCode = 0;

} // namespace

XErrorTrap::XErrorTrap(Display* display)
    : display_(display), previousHandler_(nullptr), outerCode_(0) {
    // Errors of requests sent before the trap belong to whoever sent them.
    XSync(display_, False);
    outerCode_ = caughtCode;
    caughtCode = 0;
    previousHandler_ = XSetErrorHandler(&XErrorTrap::record);
}

XErrorTrap::~XErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(previousHandler_);
    caughtCode = outerCode_;
}

int XErrorTrap::sync() {
    XSync(display_, False);
    return caughtCode;
}

int XErrorTrap::record(Display*, XErrorEvent* error) {
    if (caughtCode == 0) {
        caughtCode = error->error_code;
    }
    return 0;
}

} // namespace tolvane
