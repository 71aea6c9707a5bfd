#pragma once

#include "platform/Alert.h"

namespace tolvane {

enum class ActivationPolicy { regular = 0, accessory = 1, prohibited = 2 };

// Receives the application's launch and termination.
class ApplicationDelegate {
  public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching() {}
    virtual void applicationWillTerminate() {}
};

// The shared application: its event loop, delegate and orderly termination.
class Application {
  public:
    virtual ~Application() = default;
    // The application holds its delegate weakly: the caller keeps it alive.
    virtual void setDelegate(ApplicationDelegate* delegate) = 0;
    virtual void setActivationPolicy(ActivationPolicy policy) = 0;
    // Finishes launching, then runs the event loop until termination. Returns
    // the process's exit status. The delegate hears of the launch before any
    // work of the loop runs, so never after its termination.
    virtual int run() = 0;
    // Ends in the delegate's applicationWillTerminate and then the end of run().
    virtual void terminate() = 0;

    // Shows the alert as a modal dialog until the user answers it; the user
    // may edit its text field meanwhile. Timers and work on the main run loop
    // go on running while it is shown. An alert still open when the
    // application terminates ends unanswered: no button's response.
    virtual ModalResponse runModal(Alert& alert) = 0;
    // The system beep.
    virtual void beep() = 0;
};

} // namespace tolvane
