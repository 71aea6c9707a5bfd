#include "platform/ProcessLauncher.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

namespace tolvane {

namespace {

// posix_spawn wants mutable C strings; these stay alive for the call.
std::vector<char*> cStrings(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

Result<pid_t> spawnProcess(const LaunchRequest& request, const posix_spawn_file_actions_t& streams,
                           short flags) {
    std::vector<std::string> argumentTexts{request.executable.string()};
    argumentTexts.insert(argumentTexts.end(), request.arguments.begin(), request.arguments.end());
    std::vector<std::string> environmentTexts;
    for (const auto& [name, value] : request.environment) {
        environmentTexts.push_back(name + "=" + value);
    }
    auto argv = cStrings(argumentTexts);
    auto envp = cStrings(environmentTexts);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    posix_spawnattr_setflags(&attributes, static_cast<short>(flags | POSIX_SPAWN_SETSIGMASK));

    pid_t child = 0;
    const int result = posix_spawn(&child, request.executable.c_str(), &streams, &attributes,
                                   argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    if (result != 0) {
        return Failure{request.executable.string() + ": " + std::strerror(result), result};
    }
    return child;
}

bool PosixProcessLauncher::launchDetached(const LaunchRequest& request) {
    posix_spawn_file_actions_t streams;
    posix_spawn_file_actions_init(&streams);
    posix_spawn_file_actions_addopen(&streams, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&streams, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&streams, 2, "/dev/null", O_WRONLY, 0);
    const bool started = spawnProcess(request, streams, POSIX_SPAWN_SETSID).ok();
    posix_spawn_file_actions_destroy(&streams);
    return started;
}

} // namespace tolvane
