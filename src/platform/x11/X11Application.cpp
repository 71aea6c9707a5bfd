#include "platform/x11/X11Application.h"

#include "log/AppLog.h"

#include <X11/Xlib.h>

namespace tolvane {

ModalResponse X11Application::runModal(Alert& alert) {
    AppLog::warn("Alert not shown on this desktop, answered Cancel: " + alert.messageText);
    return alert.responseOfButton("Cancel").value_or(0);
}

void X11Application::beep() {
    XBell(display_.get(), 0);
    XFlush(display_.get());
}

} // namespace tolvane
