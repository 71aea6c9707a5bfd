#include "ProgramProcess.h"

#include <fstream>

namespace tolvane::testing {

namespace {

// Sanitizer builds launch far more slowly than release builds.
constexpr auto patience = std::chrono::seconds(120);

} // namespace

ProgramProcess ProgramProcess::start(const std::filesystem::path& folder) {
    // The log then holds this run's lines only, whenever it is read.
    std::filesystem::remove(folder / "Tolvane.log");
    ChildProcess child = ChildProcess::start(
        {TOLVANE_EXECUTABLE, "--session=sim"},
        {{{"TOLVANE_LOG_FILE", (folder / "Tolvane.log").string()},
          {"HOME", folder.string()},
          {"XDG_DATA_HOME", folder.string()},
          {"TOLVANE_DESK", "0"}}, // the desk has tests of its own
         std::nullopt});
    return ProgramProcess(std::move(child), folder);
}

bool ProgramProcess::waitUntilBlocking(int signal) const {
    return waitUntil(
        [&] {
            std::ifstream status("/proc/" + std::to_string(pid()) + "/status");
            for (std::string line; std::getline(status, line);) {
                if (line.rfind("SigBlk:", 0) == 0) {
                    const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
                    return ((mask >> (signal - 1)) & 1u) != 0;
                }
            }
            return false;
        },
        patience);
}

bool ProgramProcess::waitForLog(const std::string& text) const {
    return waitUntil([&] { return log().find(text) != std::string::npos; }, patience);
}

int ProgramProcess::waitForExit() {
    return child_.waitForExit(patience).value_or(-1000);
}

int count(const std::string& haystack, const std::string& text) {
    int found = 0;
    for (auto at = haystack.find(text); at != std::string::npos; at = haystack.find(text, at + 1)) {
        ++found;
    }
    return found;
}

} // namespace tolvane::testing
