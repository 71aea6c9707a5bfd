#include "log/AppLog.h"

#include "platform/SerialQueue.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <mutex>
#include <vector>

namespace tolvane {

namespace {

class SyslogSink final : public SystemLogSink {
public:
    SyslogSink() { openlog("tolvane", LOG_PID, LOG_USER); }
    void send(Priority priority, const std::string& message) override {
        int level = priority == Priority::debug  ? LOG_DEBUG
                    : priority == Priority::info ? LOG_INFO
                                                 : LOG_ERR;
        syslog(level, "%s", message.c_str());
    }
};

struct LogState {
    bool loggingEnabled = true;
    bool verboseEnabled = false;
    std::filesystem::path filePath;
    std::shared_ptr<SystemLogSink> systemLog;
    SerialQueue queue{"com.tolvane.log.write"};
};

std::unique_ptr<LogState> makeState(const AppLog::Configuration& configuration) {
    auto state = std::make_unique<LogState>();
    const Environment& environment = configuration.environment;
    auto enableLogs = environment.value("TOLVANE_ENABLE_LOGS");
    state->loggingEnabled = !enableLogs || isFlagValue(*enableLogs);
    state->verboseEnabled = state->loggingEnabled && environment.isFlagSet("TOLVANE_VERBOSE");
    state->filePath = configuration.filePath;
    state->systemLog = configuration.systemLog;
    return state;
}

std::atomic<LogState*> currentState{nullptr};
std::once_flag defaultStateOnce;
std::mutex retiredMutex;
// Replaced states stay reachable: a thread may still be logging through one.
std::vector<std::unique_ptr<LogState>> retiredStates;

LogState& state() {
    std::call_once(defaultStateOnce, [] {
        auto environment = Environment::process();
        // Developers and end-to-end tests may keep the log somewhere else.
        std::filesystem::path path =
            environment.value("TOLVANE_LOG_FILE").value_or(AppLog::defaultFilePath);
        if (path.empty()) {
            path = AppLog::defaultFilePath;
        }
        auto initial = makeState(
            AppLog::Configuration{environment, path, std::make_shared<SyslogSink>()});
        currentState.store(initial.get(), std::memory_order_release);
        std::lock_guard lock(retiredMutex);
        retiredStates.push_back(std::move(initial));
    });
    return *currentState.load(std::memory_order_acquire);
}

// Appends to a regular file that we own and that only we hold a name for.
// A link, a device, a pipe or somebody else's file planted at the path gets
// nothing.
void appendLine(const std::filesystem::path& path, const std::string& line) {
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                  S_IRUSR | S_IWUSR);
    if (fd < 0) {
        return;
    }
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
        info.st_nlink == 1) {
        [[maybe_unused]] auto written = write(fd, line.data(), line.size());
    }
    close(fd);
}

void write(const char* tag, SystemLogSink::Priority priority, const std::string& message) {
    LogState& log = state();
    std::string line = AppLog::formatTimestamp(std::chrono::system_clock::now()) + " [" + tag +
                       "] " + message + "\n";
    log.queue.async([path = log.filePath, line = std::move(line)] { appendLine(path, line); });
    if (log.systemLog) {
        log.systemLog->send(priority, message);
    }
}

} // namespace

void AppLog::debug(const std::string& message) {
    LogState& log = state();
    if (log.loggingEnabled && log.verboseEnabled) {
        write("DEBUG", SystemLogSink::Priority::debug, message);
    }
}

void AppLog::info(const std::string& message) {
    if (state().loggingEnabled) {
        write("INFO", SystemLogSink::Priority::info, message);
    }
}

void AppLog::warn(const std::string& message) {
    if (state().loggingEnabled) {
        write("WARN", SystemLogSink::Priority::error, message);
    }
}

void AppLog::error(const std::string& message) {
    if (state().loggingEnabled) {
        write("ERROR", SystemLogSink::Priority::error, message);
    }
}

void AppLog::clearFile() {
    LogState& log = state();
    if (!log.loggingEnabled) {
        return;
    }
    log.queue.sync([&log] {
        std::error_code ignored;
        std::filesystem::remove(log.filePath, ignored);
    });
}

void AppLog::flush() { state().queue.drain(); }

bool AppLog::verboseEnabled() { return state().verboseEnabled; }

std::filesystem::path AppLog::filePath() { return state().filePath; }

void AppLog::configure(Configuration configuration) {
    LogState& previous = state();
    previous.queue.drain();
    auto replacement = makeState(configuration);
    currentState.store(replacement.get(), std::memory_order_release);
    std::lock_guard lock(retiredMutex);
    retiredStates.push_back(std::move(replacement));
}

std::string AppLog::formatTimestamp(std::chrono::system_clock::time_point moment) {
    using namespace std::chrono;
    auto milliseconds = duration_cast<std::chrono::milliseconds>(moment.time_since_epoch()).count();
    auto seconds = static_cast<std::time_t>(milliseconds / 1000);
    auto fraction = static_cast<int>(milliseconds % 1000);
    if (fraction < 0) {
        fraction += 1000;
        --seconds;
    }
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, fraction);
    return text;
}

} // namespace tolvane
