#pragma once

#include "platform/Bundle.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/PropertyListDefaultsStore.h"
#include "platform/Result.h"
#include "platform/RunLoop.h"
#include "platform/x11/UnavailablePreferenceDomain.h"
#include "platform/x11/X11Application.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11EventServices.h"
#include "platform/x11/X11InputSourceServices.h"
#include "platform/x11/X11StatusBar.h"
#include "platform/x11/X11UserFolders.h"
#include "platform/x11/X11Workspace.h"
#include "platform/x11/XdgAutostartEntry.h"
#include "platform/x11/XkbLayoutRegistry.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace tolvane {

// The user's X11 desktop session behind the platform boundary: the main run
// loop with the display connection on it, the application, the status bar,
// the keyboard's layouts, keyboard idle times and the pointer, the
// application's defaults and the user's folders.
class X11Session {
  public:
    struct Options {
        Environment environment;
        // Null: the real clock.
        std::shared_ptr<Clock> clock;
        std::string bundleIdentifier = "com.tolvane.app";
        std::string bundleName = "Tolvane";
        // The running program; the bundle is the folder it lies in.
        std::filesystem::path executablePath;
    };

    // Whether this desktop can be driven: not a Wayland session, DISPLAY set
    // and its server answering. The failure says why, for the user.
    static Result<void> usability(const Environment& environment);
    // The session, or none with a log line when the display cannot be used.
    static std::unique_ptr<X11Session> open(const Options& options);

    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    const std::shared_ptr<RunLoop>& loop() const { return loop_; }
    const Bundle& bundle() const { return bundle_; }
    X11Display& display() { return *display_; }
    X11Application& application() { return *application_; }
    X11StatusBar& statusBar() { return *statusBar_; }
    const std::shared_ptr<X11InputSourceServices>& inputSources() const { return inputSources_; }
    const std::shared_ptr<X11EventServices>& events() const { return events_; }
    const std::shared_ptr<X11Workspace>& workspace() const { return workspace_; }
    const std::shared_ptr<X11UserFolders>& folders() const { return folders_; }
    // The application's own defaults: <preferences folder>/<bundle identifier>.plist.
    const std::shared_ptr<PropertyListDefaultsStore>& defaults() const { return defaults_; }
    // Launch at Login: the autostart entry that runs this program on X11.
    const std::shared_ptr<XdgAutostartEntry>& loginItem() const { return loginItem_; }
    // Another application's preferences: X11 has none of them.
    const std::shared_ptr<UnavailablePreferenceDomain>& preferenceDomain(const std::string& name);

  private:
    X11Session(const Options& options, std::shared_ptr<RunLoop> loop,
               std::unique_ptr<X11Display> display);

    std::shared_ptr<RunLoop> loop_;
    Bundle bundle_;
    // Made before, and so gone after, everything that uses it.
    std::unique_ptr<X11Display> display_;
    XkbLayoutRegistry registry_;
    std::unique_ptr<X11Application> application_;
    std::unique_ptr<X11StatusBar> statusBar_;
    std::shared_ptr<X11InputSourceServices> inputSources_;
    std::shared_ptr<X11EventServices> events_;
    std::shared_ptr<X11Workspace> workspace_;
    std::shared_ptr<X11UserFolders> folders_;
    std::shared_ptr<PropertyListDefaultsStore> defaults_;
    std::shared_ptr<XdgAutostartEntry> loginItem_;
    std::map<std::string, std::shared_ptr<UnavailablePreferenceDomain>> preferenceDomains_;
};

} // namespace tolvane
