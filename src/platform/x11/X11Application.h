#pragma once

#include "platform/RunLoopApplication.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/ZenityDialogs.h"

namespace tolvane {

// The application on the X11 desktop. Alerts are zenity dialogs, during which
// the main loop goes on; one still open at termination ends unanswered.
class X11Application final : public RunLoopApplication {
  public:
    // environment: what the dialogs run with.
    X11Application(X11Display& display, Environment environment)
        : RunLoopApplication(display.loop()), display_(display),
          dialogs_(display.loop(), std::move(environment)) {}

    ModalResponse runModal(Alert& alert) override;
    // The X server's bell.
    void beep() override;

  private:
    X11Display& display_;
    ZenityDialogs dialogs_;
};

} // namespace tolvane
