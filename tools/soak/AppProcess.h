#pragma once

#include "app/TolvaneTrayApp.h"
#include "capes/CursorCapeStore.h"
#include "platform/sim/SimSession.h"
#include "platform/sim/SimStandardCursors.h"
#include "runtime/CGSRuntime.h"

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>

namespace tolvane::soak {

// One run of the program on the desktop: its own view of the session over the
// user's home folder, its own window-server binding and cape store, and the
// launched application object. What outlives it, as it outlives a process, is
// the home folder's files, the clock and the window server.
class AppProcess {
  public:
    // Launches the application with this input source selected.
    AppProcess(const std::filesystem::path& home, std::shared_ptr<Clock> clock,
               const std::string& currentSourceID);
    // Without a quit before, the application is dropped as a crash drops it:
    // its termination never runs.
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    SimSession& session() { return session_; }
    std::shared_ptr<Menu> menu() const { return app_->statusItem()->menu(); }
    // Chooses the menu item at the end of the path of title beginnings, as the
    // user would; false when it is missing or does nothing.
    bool choose(std::initializer_list<std::string> path);
    // Ends the program through the menu's Quit or a termination signal.
    void quitFromMenu();
    void quitOnSignal(int signal);

  private:
    SimSession session_;
    CGSRuntime runtime_;
    CursorCapeStore capes_;
    SimStandardCursors standardCursors_;
    std::unique_ptr<TolvaneTrayApp> app_;
};

} // namespace tolvane::soak
