#include "app/CommandLine.h"
#include "app/LaunchAgent.h"
#include "app/ProcessEntry.h"
#include "app/TolvaneTrayApp.h"
#include "desk/Desk.h"
#include "log/AppLog.h"
#include "platform/PixelMemory.h"
#include "platform/ProcessLauncher.h"
#include "platform/RunLoop.h"
#include "platform/sim/SimSession.h"
#include "platform/sim/SimStandardCursors.h"
#include "platform/x11/X11Session.h"
#include "platform/x11/X11StandardCursors.h"
#include "updates/FeedUpdater.h"

#include <iostream>
#include <functional>
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
    const bool restored =
        connection && runtime.hardResetSystemCursors(*connection, TolvaneTrayApp::maxTrackedCursorID);
    AppLog::info("Restore of the system cursors requested on the command line: " +
                 std::string(restored ? "done" : "failed"));
    AppLog::flush();
    std::cout << (restored ? "The system's own cursors are back.\n"
                           : "The window server did not take the restore; see the log.\n");
    return restored ? 0 : 1;
}

// The desktop this run drives; none, with the reason printed, when the X11
// desktop was asked for and cannot be used.
std::optional<WindowServerLibrary> chosenDesktop(SessionChoice choice,
                                                 const Environment& environment) {
    if (choice == SessionChoice::simulated) {
        return WindowServerLibrary::simulated;
    }
    auto usable = X11Session::usability(environment);
    if (usable) {
        return WindowServerLibrary::x11;
    }
    if (choice == SessionChoice::x11) {
        std::cerr << "tolvane: cannot run on X11: " << usable.error() << "\n";
        return std::nullopt;
    }
    std::cerr << "tolvane: " << usable.error() << "; running on the simulated session\n";
    return WindowServerLibrary::simulated;
}

// A launch agent or autostart entry starts this very program.
std::filesystem::path executablePath() {
    std::error_code noExecutable;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", noExecutable);
    return noExecutable ? std::filesystem::path() : executable;
}

// Runs the application on a session until it terminates. The window server's
// connection, where it has one, is read on the main loop.
template <typename Session>
int runApplication(Session& session, CGSRuntime& runtime, const ProcessContext& context,
                   const StandardCursors& standardCursors, std::shared_ptr<LoginItem> loginItem,
                   const std::function<void(TolvaneTrayApp&)>& beforeRun = {},
                   const std::function<void()>& afterRun = {}) {
    runtime.setEventServices(session.events());
    if (int descriptor = runtime.connectionDescriptor(); descriptor >= 0) {
        session.loop()->addReadableSource(descriptor, [&runtime] { return runtime.dispatchConnection(); });
    }
    auto& application = session.application();
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
                       },
                       std::move(loginItem)});
    application.setDelegate(&delegate);
    application.setActivationPolicy(ActivationPolicy::accessory);
    installGracefulTerminationHandlers(*session.loop(), application);
    if (beforeRun) {
        beforeRun(delegate);
    }
    int status = application.run();
    if (afterRun) {
        afterRun();
    }
    // An orderly quit finishes the cape it was writing and keeps every line it logged.
    CursorCapeStore::shared(*session.folders()).waitForSaves();
    AppLog::flush();
    return status;
}

int runOnSimulatedSession(const ProcessContext& context, const CommandLine& commandLine) {
    SimSession::Options options;
    options.home = sessionHome(context.environment);
    options.clock = std::make_shared<RealClock>();
    options.executablePath = executablePath();
    SimSession session(options);
    CGSRuntime& runtime = CGSRuntime::shared(WindowServerLibrary::simulated);
    if (commandLine.action == CommandLine::Action::restore) {
        return restoreSystemCursors(runtime);
    }
    PosixProcessLauncher launcher;
    if (relaunchDetachedIfNeeded(context, launcher, *session.workspace())) {
        return 0;
    }
    AppLog::clearFile();
    std::unique_ptr<Desk> desk;
    SimStandardCursors standardCursors;
    return runApplication(
        session, runtime, context, standardCursors,
        std::make_shared<LaunchAgent>(*session.folders(), session.bundle()),
        [&](TolvaneTrayApp&) {
            desk = Desk::startIfWanted(session, context.environment, AppLog::filePath());
        },
        [&] {
            if (desk) {
                desk->end();
            }
        });
}

int runOnX11Session(const ProcessContext& context, const CommandLine& commandLine) {
    CGSRuntime& runtime = CGSRuntime::shared(WindowServerLibrary::x11);
    if (commandLine.action == CommandLine::Action::restore) {
        return restoreSystemCursors(runtime);
    }
    AppLog::clearFile();
    X11Session::Options options{.environment = context.environment,
                                .clock = std::make_shared<RealClock>(),
                                .executablePath = executablePath()};
    std::unique_ptr<X11Session> session = X11Session::open(options);
    if (!session) {
        std::cerr << "tolvane: the X11 display could not be opened; see the log\n";
        AppLog::flush();
        return 1;
    }
    AppLog::info("Running on the X11 display " + context.environment.value("DISPLAY").value_or(""));
    X11StatusBar& statusBar = session->statusBar();
    const X11StandardCursors standardCursors(session->display().get());
    return runApplication(
        *session, runtime, context, standardCursors, session->loginItem(),
        [&](TolvaneTrayApp& delegate) {
            statusBar.setBadgeSource([&delegate]() -> std::optional<TrayBadge> {
                const auto& language = delegate.currentLanguage();
                if (!language) {
                    return std::nullopt;
                }
                return TrayBadge{delegate.statusBadge(*language), language->displayName()};
            });
        },
        [&] { statusBar.setBadgeSource({}); });
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
    auto desktop = chosenDesktop(commandLine->session, context.environment);
    if (!desktop) {
        return 1;
    }
    return *desktop == WindowServerLibrary::x11 ? runOnX11Session(context, *commandLine)
                                                : runOnSimulatedSession(context, *commandLine);
}
