#pragma once

#include "log/AppLog.h"
#include "platform/sim/SimUserFolders.h"
#include "support/TemporaryDirectory.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::fuzzing {

// One temporary home folder for the whole fuzzing process, removed when it
// ends, with the log switched off so that millions of inputs write no lines.
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
    FuzzHome() : folders_(folder_.path()) {
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
