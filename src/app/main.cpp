#include "app/CommandLine.h"
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

#include <iostream>
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

// Answers --help, --version and a command line it cannot read; none when the
// program is to run.
std::optional<int> answerWithoutRunning(const std::string& programName,
                                        const Result<CommandLine>& commandLine) {
    if (!commandLine) {
        std::cerr << programName << ": " << commandLine.error() << "\n"
                  << commandLineUsage(programName);
        return 2;
    }
    switch (commandLine->action) {
    case CommandLine::Action::help:
        std::cout << commandLineUsage(programName);
        return 0;
    case CommandLine::Action::version:
        std::cout << "Tolvane " << FeedUpdater::applicationVersion().text() << "\n";
        return 0;
    case CommandLine::Action::run:
    case CommandLine::Action::restore:
        return std::nullopt;
    }
    return std::nullopt;
}

// What a start-up does before anything else, without the rest of a launch:
// every system cursor back to the window server's own.
int restoreSystemCursors(CGSRuntime& runtime) {
    auto connection = runtime.mainConnectionID();
    const bool restored = connection && runtime.hardResetSystemCursors(*connection, TolvaneTrayApp::maxTrackedCursorID);
    AppLog::info("Restore of the system cursors requested on the command line: " +
                 std::string(restored ? "done" : "failed"));
    AppLog::flush();
    std::cout << (restored ? "The system's own cursors are back.\n"
                           : "The window server did not take the restore; see the log.\n");
    return restored ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);
    const std::string programName = std::filesystem::path(arguments.at(0)).filename().string();
    const Result<CommandLine> commandLine =
        parseCommandLine(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
    if (auto status = answerWithoutRunning(programName, commandLine)) {
        return *status;
    }

    keepFreedPixelMemoryForReuse();
    // Before any thread exists, so that every thread inherits the mask.
    blockTerminationSignals();

    ProcessContext context{Environment::process(), arguments,
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

    if (commandLine->action == CommandLine::Action::restore) {
        return restoreSystemCursors(CGSRuntime::shared());
    }
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
