#pragma once

#include "log/AppLog.h"
#include "platform/sim/SimUserFolders.h"
#include "support/TemporaryDirectory.h"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace tolvane::fuzzing {

// One temporary home folder for the whole fuzzing process, removed when it
// ends, with the log switched off so that millions of inputs write no lines.
// It lies in memory (/dev/shm) where the system has that, so that a target
// whose code writes files does not wait for the disk at every input.
class FuzzHome {
  public:
    static FuzzHome& shared() {
        static FuzzHome home;
        return home;
    }

    const SimUserFolders& folders() const { return folders_; }
    std::filesystem::path path() const { return folder_.path(); }

    // Writes the input as the whole file, making its folder first.
    static void write(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
        std::filesystem::create_directories(file.parent_path());
        testing::writeFile(file, std::string(bytes.begin(), bytes.end()));
    }

  private:
    static constexpr const char* prefix = "tolvane-fuzz-";

    static std::filesystem::path parentFolder() {
        std::error_code error;
        const std::filesystem::path memory = "/dev/shm";
        const std::filesystem::path parent = std::filesystem::is_directory(memory, error)
                                                 ? memory
                                                 : std::filesystem::temp_directory_path();
        removeAbandonedHomes(parent);
        return parent;
    }

    // A crash, a timeout or an interrupt ends the process without running
    // destructors, so its home stays: the next process removes the homes of
    // processes that are gone (tolvane-fuzz-<process id>-XXXXXX).
    static void removeAbandonedHomes(const std::filesystem::path& parent) {
        std::error_code error;
        for (std::filesystem::directory_iterator entry(parent, error), end; !error && entry != end;
             entry.increment(error)) {
            const std::string name = entry->path().filename().string();
            if (!name.starts_with(prefix)) {
                continue;
            }
            const long owner =
                std::strtol(name.c_str() + std::string_view(prefix).size(), nullptr, 10);
            if (owner > 0 && ::kill(static_cast<pid_t>(owner), 0) != 0 && errno == ESRCH) {
                std::error_code ignored;
                std::filesystem::remove_all(entry->path(), ignored);
            }
        }
    }

    FuzzHome()
        : folder_(parentFolder(), prefix + std::to_string(::getpid()) + "-"),
          folders_(folder_.path()) {
        AppLog::configure({Environment(EnvironmentMap{{"TOLVANE_ENABLE_LOGS", "0"}}),
                           folder_ / "Tolvane.log", nullptr});
    }

    testing::TemporaryDirectory folder_;
    SimUserFolders folders_;
};

inline std::span<const std::uint8_t> bytes(const std::uint8_t* data, std::size_t size) {
    return {data, size};
}

// The input cut at each separator: the pieces a target hands to one reader each.
inline std::vector<std::string> fields(const std::uint8_t* data, std::size_t size,
                                       char separator = '\n') {
    std::vector<std::string> result(1);
    for (const char c : std::string_view(reinterpret_cast<const char*>(data), size)) {
        if (c == separator) {
            result.emplace_back();
        } else {
            result.back() += c;
        }
    }
    return result;
}

} // namespace tolvane::fuzzing
