#pragma once

#include "platform/Bundle.h"
#include "platform/Clock.h"
#include "platform/RunLoop.h"
#include "platform/sim/SimApplication.h"
#include "platform/sim/SimDefaultsStore.h"
#include "platform/sim/SimEventServices.h"
#include "platform/sim/SimInputSourceServices.h"
#include "platform/sim/SimPreferenceDomain.h"
#include "platform/sim/SimStatusBar.h"
#include "platform/sim/SimUserFolders.h"
#include "platform/sim/SimWorkspace.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace tolvane {

// A whole simulated desktop session for one user: the main run loop and its
// clock, the application, the status bar, input sources, event services,
// running applications, the application's defaults, other applications'
// preference domains and the user's folders under one home folder. Every
// facility is exposed for scripting and inspection.
class SimSession {
  public:
    struct Options {
        // Made when missing.
        std::filesystem::path home;
        // Null: a manual clock, so that time moves only when the run loop is
        // told to advance.
        std::shared_ptr<Clock> clock;
        std::string bundleIdentifier = "com.tolvane.app";
        std::string bundleName = "Tolvane";
        // Null: <home>/Applications/<bundleName>.app.
        std::optional<std::filesystem::path> bundlePath;
        // Null: inside the bundle, named after it.
        std::optional<std::filesystem::path> executablePath;
        bool installDefaultInputSources = true;
    };

    explicit SimSession(std::filesystem::path home);
    explicit SimSession(Options options);
    SimSession(const SimSession&) = delete;
    SimSession& operator=(const SimSession&) = delete;

    const std::filesystem::path& home() const { return home_; }
    Clock& clock() const { return *clock_; }
    const std::shared_ptr<RunLoop>& loop() const { return loop_; }
    const Bundle& bundle() const { return bundle_; }

    SimApplication& application() { return *application_; }
    SimStatusBar& statusBar() { return *statusBar_; }
    const std::shared_ptr<SimInputSourceServices>& inputSources() const { return inputSources_; }
    const std::shared_ptr<SimEventServices>& events() const { return events_; }
    const std::shared_ptr<SimWorkspace>& workspace() const { return workspace_; }
    const std::shared_ptr<SimUserFolders>& folders() const { return folders_; }
    // The application's own defaults, in the preferences file of its bundle identifier.
    const std::shared_ptr<SimDefaultsStore>& defaults() const { return defaults_; }
    // Another application's preferences; the same object for the same name.
    const std::shared_ptr<SimPreferenceDomain>& preferenceDomain(const std::string& name);

  private:
    std::filesystem::path home_;
    std::shared_ptr<Clock> clock_;
    std::shared_ptr<RunLoop> loop_;
    Bundle bundle_;
    std::unique_ptr<SimApplication> application_;
    std::unique_ptr<SimStatusBar> statusBar_;
    std::shared_ptr<SimInputSourceServices> inputSources_;
    std::shared_ptr<SimEventServices> events_;
    std::shared_ptr<SimWorkspace> workspace_;
    std::shared_ptr<SimUserFolders> folders_;
    std::shared_ptr<SimDefaultsStore> defaults_;
    std::map<std::string, std::shared_ptr<SimPreferenceDomain>> preferenceDomains_;
};

} // namespace tolvane
