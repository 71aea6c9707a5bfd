#pragma once

#include "XHeaders.h"

namespace tolvane {

// Catches the X errors of the requests sent while it lives, so that a failing
// call (a window that vanished, a cursor the server refuses) is reported
// instead of ending the process in Xlib's default handler. Main thread only;
// traps nest.
class XErrorTrap {
  public:
    explicit XErrorTrap(Display* display);
    // Waits for the server's answers, then puts the earlier handler back.
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Waits for the server to answer everything sent so far; the code of the
    // first error since the trap was set, 0 when none.
    int sync();

  private:
    static int record(Display* display, XErrorEvent* error);

    Display* display_;
    XErrorHandler previousHandler_;
    int outerCode_;
};

} // namespace tolvane
