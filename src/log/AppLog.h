#pragma once

#include "platform/Environment.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

namespace tolvane {

// The second destination of log messages: the system log, or nothing.
class SystemLogSink {
public:
    enum class Priority { debug, info, error };
    virtual ~SystemLogSink() = default;
    virtual void send(Priority priority, const std::string& message) = 0;
};

// The one log of the program. Each accepted message becomes one line in the
// log file, appended by a serial writer queue, and goes to the system log.
// Switches come from TOLVANE_ENABLE_LOGS and TOLVANE_VERBOSE, read once.
class AppLog {
public:
    struct Configuration {
        Environment environment;
        std::filesystem::path filePath;
        std::shared_ptr<SystemLogSink> systemLog; // may be null: no second destination
    };

    static constexpr const char* defaultFilePath = "/tmp/Tolvane.log";

    static void debug(const std::string& message);
    static void info(const std::string& message);
    static void warn(const std::string& message);
    static void error(const std::string& message);

    // Deletes the log file and waits until every line logged before it is gone with it.
    static void clearFile();
    // Waits until every line logged so far has reached the file.
    static void flush();

    static bool verboseEnabled();
    static std::filesystem::path filePath();

    // Replaces the process-wide configuration, which otherwise comes from the
    // process environment, the fixed file path and syslog on first use.
    // Lines already queued are written first.
    static void configure(Configuration configuration);

    static std::string formatTimestamp(std::chrono::system_clock::time_point moment);
};

} // namespace tolvane
