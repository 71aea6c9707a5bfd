#pragma once

#include "log/AppLog.h"
#include "support/TemporaryDirectory.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace tolvane::testing {

// Points the process log at a file of its own, with debug lines on, for the
// life of the object; afterwards logging is off.
class LogCapture {
  public:
    LogCapture() {
        AppLog::configure({Environment(EnvironmentMap{{"TOLVANE_VERBOSE", "1"}}),
                           folder_ / "Tolvane.log", nullptr});
    }
    ~LogCapture() {
        AppLog::configure({Environment(EnvironmentMap{{"TOLVANE_ENABLE_LOGS", "0"}}),
                           folder_ / "off.log", nullptr});
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Every line written so far, without its timestamp: "[INFO] message".
    std::vector<std::string> lines() const {
        AppLog::flush();
        std::istringstream content(readFile(folder_ / "Tolvane.log"));
        std::vector<std::string> result;
        for (std::string line; std::getline(content, line);) {
            auto space = line.find(' ');
            result.push_back(space == std::string::npos ? line : line.substr(space + 1));
        }
        return result;
    }

    // The lines written since the last call.
    std::vector<std::string> takeLines() {
        auto all = lines();
        std::vector<std::string> fresh(all.begin() + static_cast<std::ptrdiff_t>(taken_),
                                       all.end());
        taken_ = all.size();
        return fresh;
    }
    // The lines since the last call, without debug lines.
    std::vector<std::string> takeLinesWithoutDebug() {
        auto lines = takeLines();
        std::erase_if(lines, [](const std::string& line) { return line.starts_with("[DEBUG]"); });
        return lines;
    }
    // The lines since the last call whose message, after the level tag, begins with the text.
    std::vector<std::string> takeLinesStartingWith(const std::string& text) {
        auto lines = takeLines();
        std::erase_if(lines, [&](const std::string& line) {
            const auto message = line.find("] ");
            return message == std::string::npos ||
                   line.compare(message + 2, text.size(), text) != 0;
        });
        return lines;
    }

  private:
    TemporaryDirectory folder_;
    std::size_t taken_ = 0;
};

inline bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The index of the first line that begins with the prefix, or -1.
inline std::ptrdiff_t indexOf(const std::vector<std::string>& lines, const std::string& prefix) {
    auto found = std::find_if(lines.begin(), lines.end(),
                              [&](const std::string& line) { return line.starts_with(prefix); });
    return found == lines.end() ? -1 : found - lines.begin();
}

} // namespace tolvane::testing
