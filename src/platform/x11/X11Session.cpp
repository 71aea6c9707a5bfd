#include "platform/x11/X11Session.h"

#include "log/AppLog.h"

#include <X11/Xlib.h>

namespace tolvane {

Result<void> X11Session::usability(const Environment& environment) {
    if (!environment.value("WAYLAND_DISPLAY").value_or("").empty() ||
        environment.value("XDG_SESSION_TYPE") == "wayland") {
        return Failure{"this is a Wayland session: the pointer and the keyboard layouts belong "
                       "to the compositor there, and Tolvane drives them only on X11"};
    }
    const std::string name = environment.value("DISPLAY").value_or("");
    if (name.empty()) {
        return Failure{"DISPLAY is not set: there is no X11 display to use"};
    }
    Display* display = XOpenDisplay(name.c_str());
    if (display == nullptr) {
        return Failure{"the X11 display " + name + " does not answer"};
    }
    XCloseDisplay(display);
    return Result<void>::success();
}

std::unique_ptr<X11Session> X11Session::open(const Options& options) {
    if (auto usable = usability(options.environment); !usable) {
        AppLog::error("X11 session unavailable: " + usable.error());
        return nullptr;
    }
    auto loop = RunLoop::create(options.clock ? options.clock : std::make_shared<RealClock>());
    auto display = X11Display::open(loop, options.environment);
    if (!display) {
        return nullptr;
    }
    return std::unique_ptr<X11Session>(new X11Session(options, loop, std::move(display)));
}

X11Session::X11Session(const Options& options, std::shared_ptr<RunLoop> loop,
                       std::unique_ptr<X11Display> display)
    : loop_(std::move(loop)),
      bundle_(Bundle::application(options.executablePath.parent_path(), options.bundleIdentifier,
                                  options.bundleName, options.executablePath)),
      display_(std::move(display)),
      application_(std::make_unique<X11Application>(*display_, options.environment)),
      statusBar_(std::make_unique<X11StatusBar>(loop_, options.environment)),
      inputSources_(std::make_shared<X11InputSourceServices>(*display_, registry_)),
      events_(std::make_shared<X11EventServices>(*display_)),
      workspace_(std::make_shared<X11Workspace>()),
      folders_(std::make_shared<X11UserFolders>(options.environment)),
      defaults_(std::make_shared<PropertyListDefaultsStore>(
          folders_->preferencesDirectory() / (options.bundleIdentifier + ".plist"))),
      loginItem_(std::make_shared<XdgAutostartEntry>(folders_->autostartDirectory(),
                                                     options.executablePath)) {}

X11Session::~X11Session() = default;

const std::shared_ptr<UnavailablePreferenceDomain>&
X11Session::preferenceDomain(const std::string& name) {
    auto& domain = preferenceDomains_[name];
    if (!domain) {
        AppLog::info("Preferences of " + name + " have no counterpart on X11: nothing in them "
                     "to read or override");
        domain = std::make_shared<UnavailablePreferenceDomain>(name);
    }
    return domain;
}

} // namespace tolvane
