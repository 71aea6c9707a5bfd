#include "log/AppLog.h"

#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <mutex>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tolvane {
namespace {

using testing::readFile;
using testing::TemporaryDirectory;
using testing::writeFile;

class RecordingSystemLog final : public SystemLogSink {
  public:
    void send(Priority priority, const std::string& message) override {
        std::lock_guard lock(mutex_);
        entries.emplace_back(priority, message);
    }
    std::vector<std::pair<Priority, std::string>> entries;

  private:
    std::mutex mutex_;
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        result.push_back(line);
    }
    return result;
}

struct AppLogTest : ::testing::Test {
    TemporaryDirectory folder;
    std::filesystem::path logPath = folder / "Tolvane.log";
    std::shared_ptr<RecordingSystemLog> systemLog = std::make_shared<RecordingSystemLog>();

    void configure(EnvironmentMap variables) {
        AppLog::configure({Environment(std::move(variables)), logPath, systemLog});
    }
    std::vector<std::string> fileLines() {
        AppLog::flush();
        return lines(readFile(logPath));
    }
    void logAllLevels() {
        AppLog::debug("debug message");
        AppLog::info("info message");
        AppLog::warn("warn message");
        AppLog::error("error message");
    }
};

TEST_F(AppLogTest, LinesCarryAnUTCMillisecondTimestampTheLevelTagAndTheMessage) {
    configure({});
    logAllLevels();
    auto written = fileLines();
    ASSERT_EQ(written.size(), 3u); // debug needs TOLVANE_VERBOSE
    std::regex format(
        R"(\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}\.\d{3}Z \[(INFO|WARN|ERROR)\] (\w+) message)");
    const char* tags[] = {"INFO", "WARN", "ERROR"};
    for (std::size_t i = 0; i < written.size(); ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(written[i], match, format)) << written[i];
        EXPECT_EQ(match[1], tags[i]);
    }
    using Priority = SystemLogSink::Priority;
    EXPECT_EQ(systemLog->entries,
              (std::vector<std::pair<Priority, std::string>>{{Priority::info, "info message"},
                                                             {Priority::error, "warn message"},
                                                             {Priority::error, "error message"}}));

    using namespace std::chrono;
    auto moment = system_clock::time_point(milliseconds(1741944413089));
    EXPECT_EQ(AppLog::formatTimestamp(moment), "2025-03-14T09:26:53.089Z");
    EXPECT_EQ(AppLog::formatTimestamp(system_clock::time_point(milliseconds(-1))),
              "1969-12-31T23:59:59.999Z");
}

TEST_F(AppLogTest, VerboseAddsDebugLinesAndLoggingSwitchedOffWritesNothing) {
    configure({{"TOLVANE_VERBOSE", "1"}});
    logAllLevels();
    auto written = fileLines();
    ASSERT_EQ(written.size(), 4u);
    EXPECT_NE(written[0].find(" [DEBUG] debug message"), std::string::npos);
    EXPECT_EQ(systemLog->entries.front().first, SystemLogSink::Priority::debug);

    for (const char* value : {"0", "no", ""}) {
        writeFile(logPath, "earlier run\n");
        systemLog->entries.clear();
        configure({{"TOLVANE_ENABLE_LOGS", value}, {"TOLVANE_VERBOSE", "1"}});
        EXPECT_FALSE(AppLog::verboseEnabled());
        logAllLevels();
        AppLog::clearFile();
        EXPECT_EQ(fileLines(), std::vector<std::string>{"earlier run"}) << "value " << value;
        EXPECT_TRUE(systemLog->entries.empty()) << "value " << value;
    }
    configure({{"TOLVANE_ENABLE_LOGS", "True"}});
    AppLog::info("on again");
    EXPECT_EQ(fileLines().size(), 2u);
}

TEST_F(AppLogTest, ClearFileRemovesEarlierLinesAndADeletedFileIsRecreated) {
    configure({});
    AppLog::info("before clearing");
    AppLog::clearFile();
    EXPECT_FALSE(std::filesystem::exists(logPath));
    AppLog::info("first");
    AppLog::flush();
    std::filesystem::remove(logPath); // deleted from outside while running
    AppLog::info("second");
    AppLog::info("third");
    auto written = fileLines();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_NE(written[0].find("second"), std::string::npos);
    EXPECT_NE(written[1].find("third"), std::string::npos);
}

TEST_F(AppLogTest, ConcurrentWritersProduceWholeLines) {
    configure({});
    std::vector<std::thread> writers;
    for (int writer = 0; writer < 4; ++writer) {
        writers.emplace_back([writer] {
            for (int line = 0; line < 200; ++line) {
                AppLog::info("writer=" + std::to_string(writer) + " line=" + std::to_string(line) +
                             " " + std::string(100, 'x'));
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    auto written = fileLines();
    ASSERT_EQ(written.size(), 800u);
    std::regex whole(R"(.{24} \[INFO\] writer=(\d) line=(\d+) x{100})");
    std::vector<int> nextLine(4, 0);
    for (const auto& line : written) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, whole)) << line;
        auto writer = static_cast<std::size_t>(std::stoi(match[1]));
        EXPECT_EQ(std::stoi(match[2]), nextLine[writer]++); // each writer's lines keep their order
    }
}

TEST_F(AppLogTest, TheFileIsOwnersOnlyAndNeverWrittenThroughALinkOrIntoAnythingElse) {
    configure({});
    AppLog::info("private");
    AppLog::flush();
    struct stat info {};
    ASSERT_EQ(stat(logPath.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    std::filesystem::remove(logPath);

    auto victim = folder / "victim";
    writeFile(victim, "precious\n");
    std::filesystem::create_symlink(victim, logPath);
    AppLog::info("planted symlink");
    AppLog::flush();
    EXPECT_EQ(readFile(victim), "precious\n");

    std::filesystem::remove(logPath);
    std::filesystem::create_hard_link(victim, logPath);
    AppLog::info("planted hard link");
    AppLog::flush();
    EXPECT_EQ(readFile(victim), "precious\n");

    std::filesystem::remove(logPath);
    ASSERT_EQ(mkfifo(logPath.c_str(), 0600), 0);
    AppLog::info("planted pipe"); // must not hang waiting for a reader
    AppLog::flush();

    std::filesystem::remove(logPath);
    writeFile(logPath, "theirs\n");
    if (geteuid() == 0) { // only root can hand a file to another user
        ASSERT_EQ(chown(logPath.c_str(), 65534, 65534), 0);
        AppLog::info("planted foreign file");
        AppLog::flush();
        EXPECT_EQ(readFile(logPath), "theirs\n");
    }

    AppLog::clearFile(); // removes the planted name, never what it points to
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(logPath)));
    AppLog::info("fresh");
    EXPECT_EQ(fileLines().size(), 1u);
    EXPECT_EQ(readFile(victim), "precious\n");
}

} // namespace
} // namespace tolvane
