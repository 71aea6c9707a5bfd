#include "app/ProcessEntry.h"

#include "log/AppLog.h"

#include <csignal>

namespace tolvane {

namespace {

const char* const terminalHostBundleIdentifiers[] = {"com.apple.Terminal",
                                                     "com.googlecode.iterm2"};
const int terminationSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

} // namespace

std::optional<LaunchRequest> detachedRelaunchRequest(const ProcessContext& context) {
    const Environment& environment = context.environment;
    if (environment.isEmpty() || !environment.isFlagSet("TOLVANE_FORCE_DETACH") ||
        environment.isExactlyOne("TOLVANE_DETACHED") || environment.isFlagSet("TOLVANE_NO_DETACH")) {
        return std::nullopt;
    }
    bool attachedToTerminal =
        context.isTerminal(0) || context.isTerminal(1) || context.isTerminal(2);
    if (!attachedToTerminal || context.commandLine.empty()) {
        return std::nullopt;
    }
    LaunchRequest request;
    std::filesystem::path program(context.commandLine.front());
    request.executable = program.is_absolute() ? program : context.currentDirectory / program;
    request.arguments.assign(context.commandLine.begin() + 1, context.commandLine.end());
    request.environment = environment.values();
    request.environment["TOLVANE_DETACHED"] = "1";
    return request;
}

bool relaunchDetachedIfNeeded(const ProcessContext& context, ProcessLauncher& launcher,
                              Workspace& workspace) {
    auto request = detachedRelaunchRequest(context);
    if (!request || !launcher.launchDetached(*request)) {
        return false;
    }
    hideTerminalHostsIfNeeded(context.environment, workspace);
    return true;
}

void hideTerminalHostsIfNeeded(const Environment& environment, Workspace& workspace) {
    if (!environment.isEmpty() && environment.isFlagSet("TOLVANE_KEEP_TERMINAL")) {
        return;
    }
    for (const char* bundleIdentifier : terminalHostBundleIdentifiers) {
        for (const auto& application : workspace.runningApplications(bundleIdentifier)) {
            application->hide();
        }
    }
}

std::vector<int> installGracefulTerminationHandlers(RunLoop& loop, Application& application) {
    // The signals stay blocked and pending: an ignored signal would be
    // discarded before the run loop could read it.
    blockTerminationSignals();
    std::vector<int> installed;
    for (int signal : terminationSignals) {
        bool added = loop.addSignalHandler(signal, [signal, &application] {
            AppLog::info("Received signal " + std::to_string(signal) +
                         "; requesting graceful termination");
            application.terminate();
        });
        if (added) {
            installed.push_back(signal);
        }
    }
    return installed;
}

} // namespace tolvane
