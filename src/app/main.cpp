#include "app/AppLog.h"
#include "app/ProcessEntry.h"
#include "app/TolvaneTrayApp.h"
#include "platform/ProcessLauncher.h"
#include "platform/RunLoop.h"
#include "platform/sim/SimApplication.h"
#include "platform/sim/SimWorkspace.h"

#include <unistd.h>

#include <memory>

using namespace tolvane;

namespace {

std::filesystem::path currentDirectory() {
    std::error_code error;
    auto path = std::filesystem::current_path(error);
    return error ? std::filesystem::path("/") : path;
}

} // namespace

int main(int argc, char** argv) {
    // Before any thread exists, so that every thread inherits the mask.
    blockTerminationSignals();

    ProcessContext context{Environment::process(),
                           std::vector<std::string>(argv, argv + argc),
                           [](int descriptor) { return isatty(descriptor) == 1; },
                           currentDirectory()};
    PosixProcessLauncher launcher;
    SimWorkspace workspace;
    if (relaunchDetachedIfNeeded(context, launcher, workspace)) {
        return 0;
    }

    AppLog::clearFile();
    auto loop = RunLoop::create(std::make_shared<RealClock>());
    SimApplication application(loop);
    static TolvaneTrayApp delegate;
    application.setDelegate(&delegate);
    application.setActivationPolicy(ActivationPolicy::accessory);
    installGracefulTerminationHandlers(*loop, application);
    int status = application.run();
    // An orderly quit keeps every line it logged.
    AppLog::flush();
    return status;
}
