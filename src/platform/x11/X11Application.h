#pragma once

#include "platform/RunLoopApplication.h"
#include "platform/x11/X11Display.h"

namespace tolvane {

// The application on the X11 desktop. It shows no dialogs yet: an alert is
// answered as Cancel (unanswered when it has no such button), with a log line.
class X11Application final : public RunLoopApplication {
  public:
    explicit X11Application(X11Display& display)
        : RunLoopApplication(display.loop()), display_(display) {}

    ModalResponse runModal(Alert& alert) override;
    // The X server's bell.
    void beep() override;

  private:
    X11Display& display_;
};

} // namespace tolvane
