#include "platform/sim/SimSession.h"

#include <system_error>

namespace tolvane {

namespace {

SimSession::Options optionsWithHome(std::filesystem::path home) {
    SimSession::Options options;
    options.home = std::move(home);
    return options;
}

std::shared_ptr<Clock> clockOrManual(std::shared_ptr<Clock> clock) {
    return clock ? std::move(clock) : std::make_shared<ManualClock>();
}

Bundle bundleFor(const SimSession::Options& options) {
    auto path =
        options.bundlePath.value_or(options.home / "Applications" / (options.bundleName + ".app"));
    return Bundle::application(path, options.bundleIdentifier, options.bundleName,
                               options.executablePath);
}

} // namespace

SimSession::SimSession(std::filesystem::path home) : SimSession(optionsWithHome(std::move(home))) {}

SimSession::SimSession(Options options)
    : home_(options.home), clock_(clockOrManual(options.clock)), loop_(RunLoop::create(clock_)),
      bundle_(bundleFor(options)), application_(std::make_unique<SimApplication>(loop_)),
      statusBar_(std::make_unique<SimStatusBar>()),
      inputSources_(std::make_shared<SimInputSourceServices>(loop_)),
      events_(std::make_shared<SimEventServices>(clock_, loop_)),
      workspace_(std::make_shared<SimWorkspace>()),
      folders_(std::make_shared<SimUserFolders>(home_)),
      defaults_(std::make_shared<SimDefaultsStore>(folders_->preferencesDirectory() /
                                                   (options.bundleIdentifier + ".plist"))) {
    std::error_code ignored; // a home that cannot be made shows in the first write's failure
    std::filesystem::create_directories(home_, ignored);
    if (options.installDefaultInputSources) {
        inputSources_->installDefaultSources();
    }
}

const std::shared_ptr<SimPreferenceDomain>& SimSession::preferenceDomain(const std::string& name) {
    auto& domain = preferenceDomains_[name];
    if (!domain) {
        domain = std::make_shared<SimPreferenceDomain>(name, folders_->preferencesDirectory() /
                                                                 (name + ".plist"));
    }
    return domain;
}

} // namespace tolvane
