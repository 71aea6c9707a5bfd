#include "AppProcess.h"

#include "app/ProcessEntry.h"
#include "support/TrayAppContext.h"

#include <csignal>

namespace tolvane::soak {

namespace {

SimSession::Options sessionOptions(const std::filesystem::path& home,
                                   std::shared_ptr<Clock> clock) {
    SimSession::Options options;
    options.home = home;
    options.clock = std::move(clock);
    return options;
}

} // namespace

AppProcess::AppProcess(const std::filesystem::path& home, std::shared_ptr<Clock> clock,
                       const std::string& currentSourceID)
    : session_(sessionOptions(home, std::move(clock))),
      runtime_({TOLVANE_SIMWS_PATH}, session_.events()), capes_(*session_.folders()) {
    // The keyboard stays where the user left it while the program was away.
    session_.inputSources()->switchWithoutNotification(currentSourceID);
    app_ = std::make_unique<TolvaneTrayApp>(testing::simulatedTrayAppContext(
        session_, standardCursors_, runtime_, capes_, Environment(EnvironmentMap{}),
        [] { return std::make_unique<testing::RecordingUpdater>(false); }));
    session_.application().setDelegate(app_.get());
    installGracefulTerminationHandlers(*session_.loop(), session_.application());
    app_->applicationDidFinishLaunching();
}

AppProcess::~AppProcess() {
    session_.application().setDelegate(nullptr);
    app_.reset();
}

bool AppProcess::choose(std::initializer_list<std::string> path) {
    auto item = testing::menuItemAt(menu(), path);
    return item && item->performAction();
}

void AppProcess::quitFromMenu() {
    choose({"Quit"});
}

void AppProcess::quitOnSignal(int signal) {
    std::raise(signal);
    session_.loop()->drain();
}

} // namespace tolvane::soak
