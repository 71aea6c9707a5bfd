#include "platform/x11/X11Application.h"

#include <X11/Xlib.h>

namespace tolvane {

ModalResponse X11Application::runModal(Alert& alert) {
    return dialogs_.run(alert, [this] { return hasTerminated(); });
}

void X11Application::beep() {
    XBell(display_.get(), 0);
    XFlush(display_.get());
}

} // namespace tolvane
