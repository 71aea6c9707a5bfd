#pragma once

#include <X11/Xlib.h>

namespace tolvane {

// Catches the X errors of the requests made while it lives, so that a
// request that may fail (a window gone, an extension refusing) gives an
// error code instead of Xlib's default handler ending the process. Errors
// outside a trap go to the handler X11Display installs, which logs them.
// Main thread only, like every Xlib call of ours.
class X11ErrorTrap {
  public:
    explicit X11ErrorTrap(Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Waits until the server has answered every request made so far; the
    // first error's code, or Success.
    int errorCode();
    bool failed() { return errorCode() != Success; }

    // Waits until the server has answered every request made so far, with
    // no round trip when it already has: then every error and event those
    // requests caused has been received.
    static void syncIfUnanswered(Display* display);

  private:
    static int record(Display* display, XErrorEvent* error);

    Display* display_;
    X11ErrorTrap* outer_;
    XErrorHandler previousHandler_;
    int errorCode_ = Success;
};

} // namespace tolvane
