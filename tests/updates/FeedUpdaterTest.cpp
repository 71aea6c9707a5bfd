#include "UpdaterFixture.h"

#include <gmock/gmock.h>

namespace tolvane {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr const char* upToDateMessage = "You're up to date!";
constexpr const char* upToDateText = "Tolvane 1.4.2 is currently the newest version available.";
constexpr const char* availableMessage = "A new version of Tolvane is available!";
constexpr const char* failedMessage = "Update check failed";
constexpr const char* failedText =
    "Tolvane could not find out whether a newer version is available. Please try again later.";

std::string replaced(std::string text, const std::string& placeholder, const std::string& value) {
    for (auto at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder)) {
        text.replace(at, placeholder.size(), value);
    }
    return text;
}

TEST_F(UpdaterTest, ManualCheckTellsTheUserWhatTheFeedSays) {
    struct Case {
        std::string document;  // written to {feed}
        std::string location;  // as configured
        std::string message;   // of the alert
        std::string text;      // informative text of the alert
        std::string logLine;   // the check's last line, "{feed}" for the feed's path
    };
    const std::string failedFor = "[WARN] Update check failed: ";
    const std::string fields = " current=1.4.2 trigger=user";
    const std::string tooManyNotes = "{\"version\":\"2.0\",\"notes\":\"" + std::string(16385, 'n') + "\"}";
    const Case cases[] = {
        {R"({"version":"1.4.2","notes":"Nothing new."})", "{feed}", upToDateMessage, upToDateText,
         "[INFO] Update check found no newer version feed=1.4.2" + fields},
        {R"({"version":"v1.4.2.0","extra":{"ignored":[1,2]}})", "file://{feed}", upToDateMessage,
         upToDateText, "[INFO] Update check found no newer version feed=1.4.2.0" + fields},
        {R"({"version":"1.3.99"})", "{feed}", upToDateMessage, upToDateText,
         "[INFO] Update check found no newer version feed=1.3.99" + fields},
        {R"({"version":"v1.10.0","notes":"Greek badges.\nFaster switches.","url":"https://example.org/tolvane"})",
         "{feed}", availableMessage,
         "Tolvane 1.10.0 is now available; you have 1.4.2.\n\nGreek badges.\nFaster switches.\n\n"
         "Get it from https://example.org/tolvane",
         "[INFO] Update available version=1.10.0" + fields},
        {R"({"version":"2"})", "{feed}", availableMessage,
         "Tolvane 2 is now available; you have 1.4.2.", "[INFO] Update available version=2" + fields},
        // Malformed feeds.
        {R"({"version": "2.0.0",)", "{feed}", failedMessage, failedText,
         failedFor + "the feed is not valid JSON (at byte 21)" + fields},
        {"", "{feed}", failedMessage, failedText,
         failedFor + "the feed is not valid JSON (at byte 1)" + fields},
        {R"(["2.0.0"])", "{feed}", failedMessage, failedText,
         failedFor + "the feed is not a JSON object" + fields},
        {std::string(100000, '[') + std::string(100000, ']'), "{feed}", failedMessage, failedText,
         failedFor + "the feed is not a JSON object" + fields},
        {R"({"notes":"No version."})", "{feed}", failedMessage, failedText,
         failedFor + "the feed has no \"version\"" + fields},
        {R"({"version":2})", "{feed}", failedMessage, failedText,
         failedFor + "\"version\" is not a string" + fields},
        {R"({"version":"2.0","notes":["a"]})", "{feed}", failedMessage, failedText,
         failedFor + "\"notes\" is not a string" + fields},
        {R"({"version":"2.0","url":null})", "{feed}", failedMessage, failedText,
         failedFor + "\"url\" is not a string" + fields},
        {R"({"version":"2.0.0-beta"})", "{feed}", failedMessage, failedText,
         failedFor + "the feed's \"version\" is not a dotted version number" + fields},
        {R"({"version":"99999999999"})", "{feed}", failedMessage, failedText,
         failedFor + "the feed's \"version\" is not a dotted version number" + fields},
        {"{\"version\":\"2.0\",\"notes\":\"\xff\"}", "{feed}", failedMessage, failedText,
         failedFor + "the feed is not valid JSON (at byte 27)" + fields},
        {R"({"version":"2.0","notes":"bell\u0007"})", "{feed}", failedMessage, failedText,
         failedFor + "\"notes\" holds control characters" + fields},
        {tooManyNotes, "{feed}", failedMessage, failedText,
         failedFor + "\"notes\" is longer than 16384 bytes" + fields},
        {R"json({"version":"2.0","url":"javascript:alert(1)"})json", "{feed}", failedMessage, failedText,
         failedFor + "the feed's \"url\" is not an http or https address" + fields},
        {std::string(1024 * 1024 + 1, ' '), "{feed}", failedMessage, failedText,
         failedFor + "file too large: {feed} has 1048577 bytes, the limit is 1048576" + fields},
        // Locations that cannot be read or are refused.
        {"{}", "{feed}.missing", failedMessage, failedText,
         failedFor + "cannot open {feed}.missing: No such file or directory" + fields},
        {"{}", "https://127.0.0.1/feed.json", failedMessage, failedText,
         failedFor + "feed location refused (only files and http on 127.0.0.1 or localhost are "
                     "read): https://127.0.0.1/feed.json" + fields},
        {"{}", "http://updates.example.org/feed.json", failedMessage, failedText,
         failedFor + "feed location refused (the host must be 127.0.0.1 or localhost): "
                     "http://updates.example.org/feed.json" + fields},
        {"{}", "http://127.0.0.1@example.org/", failedMessage, failedText,
         failedFor + "feed location refused (the host must be 127.0.0.1 or localhost): "
                     "http://127.0.0.1@example.org/" + fields},
        {"{}", "http://localhost:99999/feed.json", failedMessage, failedText,
         failedFor + "feed location refused (the port must be a number from 1 to 65535): "
                     "http://localhost:99999/feed.json" + fields},
        {"{}", "feeds/feed.json", failedMessage, failedText,
         failedFor + "feed location refused (a file path must be absolute): feeds/feed.json" +
             fields},
    };
    for (const auto& test : cases) {
        std::string feed = writeFeed(test.document);
        std::string location = replaced(test.location, "{feed}", feed);
        SCOPED_TRACE(location + " <- " + test.document.substr(0, 80));
        std::size_t shown = alerts().size();

        auto updater = makeUpdater(location);
        updater->checkForUpdates();
        settle();

        ASSERT_EQ(alerts().size(), shown + 1);
        const Alert& alert = alerts().back().alert;
        EXPECT_EQ(alert.messageText, test.message);
        EXPECT_EQ(alert.informativeText, test.text);
        EXPECT_EQ(alert.buttonTitles, std::vector<std::string>{"OK"});
        EXPECT_EQ(alert.style, test.message == failedMessage ? AlertStyle::warning
                                                             : AlertStyle::informational);
        auto lines = log.takeLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), replaced(test.logLine, "{feed}", feed));
    }
}

TEST_F(UpdaterTest, StartingLogsTheFeedAndARefusedOneLoudly) {
    std::string feed = writeFeed(R"({"version":"1.4.2"})");
    makeUpdater(feed);
    makeUpdater("http://example.org/feed.json");
    EXPECT_THAT(log.takeLines(),
                ElementsAre("[INFO] Updater started feed=" + feed + " version=1.4.2",
                            "[ERROR] Updater started with an unusable update feed: feed location "
                            "refused (the host must be 127.0.0.1 or localhost): "
                            "http://example.org/feed.json version=1.4.2"));
}

TEST_F(UpdaterTest, WithoutAFeedChecksOnlyLog) {
    for (const std::optional<std::string>& location :
         {std::optional<std::string>(), std::optional<std::string>("")}) {
        auto updater = makeUpdater(location);
        updater->checkForUpdates();
        updater->checkForUpdatesInBackground();
        settle();
    }
    EXPECT_THAT(alerts(), IsEmpty());
    const std::vector<std::string> once = {
        "[INFO] Updater started without an update feed (set TOLVANE_UPDATE_FEED) version=1.4.2",
        "[INFO] Update check skipped: no update feed is configured trigger=user",
        "[INFO] Update check skipped: no update feed is configured trigger=background"};
    auto lines = log.takeLines();
    EXPECT_EQ(lines, [&] {
        auto twice = once;
        twice.insert(twice.end(), once.begin(), once.end());
        return twice;
    }());
}

TEST_F(UpdaterTest, BackgroundCheckHandsItsResultToTheMainLoop) {
    auto updater = makeUpdater(writeFeed(R"({"version":"1.5.0","notes":"Dots."})"));
    updater->checkForUpdatesInBackground();
    worker->drain();
    EXPECT_THAT(alerts(), IsEmpty()); // the read is done; its result waits for the main loop

    session->loop()->drain();
    ASSERT_EQ(alerts().size(), 1u);
    EXPECT_EQ(alerts()[0].alert.messageText, availableMessage);
    EXPECT_EQ(alerts()[0].alert.informativeText,
              "Tolvane 1.5.0 is now available; you have 1.4.2.\n\nDots.");
    EXPECT_THAT(log.takeLines(),
                Contains("[INFO] Update available version=1.5.0 current=1.4.2 trigger=background"));
}

TEST_F(UpdaterTest, BackgroundCheckOnlyLogsWhenCurrentOrFailing) {
    auto current = makeUpdater(writeFeed(R"({"version":"1.4.2"})"));
    current->checkForUpdatesInBackground();
    settle();
    auto broken = makeUpdater(writeFeed(R"({"version":)"));
    broken->checkForUpdatesInBackground();
    settle();

    EXPECT_THAT(alerts(), IsEmpty());
    auto lines = log.takeLines();
    EXPECT_THAT(lines, Contains("[INFO] Update check found no newer version feed=1.4.2 "
                                "current=1.4.2 trigger=background"));
    EXPECT_THAT(lines, Contains("[WARN] Update check failed: the feed is not valid JSON (at byte "
                                "12) current=1.4.2 trigger=background"));
}

TEST_F(UpdaterTest, ManualCheckDuringABackgroundCheckShowsThatChecksResult) {
    auto updater = makeUpdater(writeFeed(R"({"version":"1.4.2"})"));
    updater->checkForUpdatesInBackground();
    updater->checkForUpdates();
    updater->checkForUpdates();
    settle();

    ASSERT_EQ(alerts().size(), 1u);
    EXPECT_EQ(alerts()[0].alert.messageText, upToDateMessage);
    auto lines = log.takeLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.find("Update check started") != std::string::npos;
                            }),
              1);
    EXPECT_THAT(lines, Contains("[INFO] Update check already running; request joined trigger=user"));
    EXPECT_THAT(lines, Contains("[INFO] Update check found no newer version feed=1.4.2 "
                                "current=1.4.2 trigger=user"));

    // Once it is over, a new check reads the feed again.
    updater->checkForUpdates();
    settle();
    EXPECT_EQ(alerts().size(), 2u);
}

TEST_F(UpdaterTest, AResultArrivingAfterTheUpdaterIsGoneIsDropped) {
    auto updater = makeUpdater(writeFeed(R"({"version":"9.0"})"));
    updater->checkForUpdatesInBackground();
    worker->drain();
    updater.reset();
    session->loop()->drain();

    EXPECT_THAT(alerts(), IsEmpty());
    EXPECT_THAT(log.takeLines(), Not(Contains(HasSubstr("Update available"))));
}

TEST_F(UpdaterTest, AutomaticChecksFollowTheUserSettingAndDefaultToOn) {
    auto updater = makeUpdater(std::nullopt);
    log.takeLines();
    auto& defaults = *session->defaults();
    EXPECT_TRUE(updater->automaticallyChecksForUpdates());

    ASSERT_TRUE(defaults.setObject(FeedUpdater::automaticChecksKey, false));
    EXPECT_FALSE(updater->automaticallyChecksForUpdates());
    ASSERT_TRUE(defaults.setObject(FeedUpdater::automaticChecksKey, true));
    EXPECT_TRUE(updater->automaticallyChecksForUpdates());
    EXPECT_THAT(log.takeLines(), IsEmpty());

    ASSERT_TRUE(defaults.setObject(FeedUpdater::automaticChecksKey, "off"));
    EXPECT_TRUE(updater->automaticallyChecksForUpdates());
    ASSERT_TRUE(defaults.setObject(FeedUpdater::automaticChecksKey, 0));
    EXPECT_TRUE(updater->automaticallyChecksForUpdates());
    EXPECT_THAT(log.takeLines(),
                ElementsAre("[WARN] Updater setting is not a boolean; automatic checks stay on "
                            "key=tolvane.updates.automatic_checks type=string",
                            "[WARN] Updater setting is not a boolean; automatic checks stay on "
                            "key=tolvane.updates.automatic_checks type=integer"));
}

TEST(FeedUpdaterVersion, IsTheProjectVersion) {
    EXPECT_EQ(FeedUpdater::applicationVersion().text(), TOLVANE_TEST_PROJECT_VERSION);
}

} // namespace
} // namespace tolvane
