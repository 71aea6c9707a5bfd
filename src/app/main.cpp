#include "app/ProcessEntry.h"
#include "app/TolvaneTrayApp.h"
#include "desk/Desk.h"
#include "log/AppLog.h"
#include "platform/PixelMemory.h"
#include "platform/ProcessLauncher.h"
#include "platform/RunLoop.h"
#include "platform/sim/SimSession.h"
#include "platform/sim/SimStandardCursors.h"
#include "updates/FeedUpdater.h"

#include <memory>
#include <unistd.h>

using namespace tolvane;

namespace {

std::filesystem::path currentDirectory() {
    std::error_code error;
    auto path = std::filesystem::current_path(error);
    return error ? std::filesystem::path("/") : path;
}

// The simulated desktop keeps its user's files apart from the real home's:
// <XDG_DATA_HOME or ~/.local/share>/tolvane/session.
std::filesystem::path sessionHome(const Environment& environment) {
    auto dataHome = environment.value("XDG_DATA_HOME").value_or("");
    if (dataHome.empty()) {
        dataHome =
            (std::filesystem::path(environment.value("HOME").value_or("/tmp")) / ".local" / "share")
                .string();
    }
    return std::filesystem::path(dataHome) / "tolvane" / "session";
}

} // namespace

int main(int argc, char** argv) {
    keepFreedPixelMemoryForReuse();
    // Before any thread exists, so that every thread inherits the mask.
    blockTerminationSignals();

    ProcessContext context{Environment::process(), std::vector<std::string>(argv, argv + argc),
                           [](int descriptor) { return isatty(descriptor) == 1; },
                           currentDirectory()};
    SimSession::Options options;
    options.home = sessionHome(context.environment);
    options.clock = std::make_shared<RealClock>();
    // A launch agent starts this very program.
    std::error_code noExecutable;
    if (auto executable = std::filesystem::read_symlink("/proc/self/exe", noExecutable);
        !noExecutable) {
        options.executablePath = executable;
    }
    SimSession session(options);

    PosixProcessLauncher launcher;
    if (relaunchDetachedIfNeeded(context, launcher, *session.workspace())) {
        return 0;
    }

    AppLog::clearFile();
    CGSRuntime& runtime = CGSRuntime::shared();
    runtime.setEventServices(session.events());
    SimStandardCursors standardCursors;
    SimApplication& application = session.application();
    TolvaneTrayApp delegate(
        TrayAppContext{session.loop(), application, session.statusBar(), *session.inputSources(),
                       *session.events(), *session.defaults(),
                       *session.preferenceDomain("com.apple.universalaccess"), *session.folders(),
                       session.bundle(), standardCursors, runtime,
                       CursorCapeStore::shared(*session.folders()), context.environment, [&] {
                           return std::make_unique<FeedUpdater>(
                               application, *session.defaults(), session.loop(),
                               std::make_shared<SerialQueue>("com.tolvane.updates"),
                               context.environment.value(FeedUpdater::feedLocationVariable));
                       }});
    application.setDelegate(&delegate);
    application.setActivationPolicy(ActivationPolicy::accessory);
    installGracefulTerminationHandlers(*session.loop(), application);
    std::unique_ptr<Desk> desk =
        Desk::startIfWanted(session, context.environment, AppLog::filePath());
    int status = application.run();
    if (desk) {
        desk->end();
    }
    // An orderly quit finishes the cape it was writing and keeps every line it logged.
    CursorCapeStore::shared(*session.folders()).waitForSaves();
    AppLog::flush();
    return status;
}
