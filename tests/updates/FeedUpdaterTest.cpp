#include "UpdaterFixture.h"

#include <gmock/gmock.h>

namespace tolvane {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Shown {
    std::string message;
    std::string text;
};
const Shown upToDate{"You're up to date!",
                     "Tolvane 1.4.2 is currently the newest version available."};
const Shown failed{"Update check failed", "Tolvane could not find out whether a newer version is "
                                          "available. Please try again later."};

std::string replaced(std::string text, const std::string& placeholder, const std::string& value) {
    for (auto at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder)) {
        text.replace(at, placeholder.size(), value);
    }
    return text;
}

TEST_F(UpdaterTest, ManualCheckTellsTheUserWhatTheFeedSays) {
    struct Case {
        std::string document; // written to {feed}
        std::string location; // as configured
        Shown shown;
        std::string logLine; // the check's last, without " current=1.4.2 trigger=user"
    };
    const std::string noNewer = "[INFO] Update check found no newer version feed=";
    const std::string failure = "[WARN] Update check failed: ";
    const std::string refused = failure + "feed location refused (";
    const Case cases[] = {
        {R"({"version":"1.4.2","notes":"Nothing new."})", "{feed}", upToDate, noNewer + "1.4.2"},
        {R"({"version":"v1.4.2.0","extra":[1]})", "file://{feed}", upToDate, noNewer + "1.4.2.0"},
        {R"({"version":"1.3.99"})", "{feed}", upToDate, noNewer + "1.3.99"},
        {R"({"version":"v1.10.0","notes":"Greek.\nFaster.","url":"https://example.org/tv"})",
         "{feed}",
         {"A new version of Tolvane is available!",
          "Tolvane 1.10.0 is now available; you have 1.4.2.\n\nGreek.\nFaster.\n\n"
          "Get it from https://example.org/tv"},
         "[INFO] Update available version=1.10.0"},
        {R"({"version": "2.0.0",)", "{feed}", failed,
         failure + "the feed is not valid JSON (at byte 21)"},
        {R"({"version":"2.0","size":1e999})", "{feed}", failed,
         failure + "the feed is not valid JSON (a number out of range)"},
        {std::string(100000, '[') + std::string(100000, ']'), "{feed}", failed,
         failure + "the feed is not a JSON object"},
        {R"({"notes":"No version."})", "{feed}", failed, failure + "the feed has no \"version\""},
        {R"({"version":2})", "{feed}", failed, failure + "\"version\" is not a string"},
        {R"({"version":"2.0","notes":["a"]})", "{feed}", failed,
         failure + "\"notes\" is not a string"},
        {R"({"version":"2.0.0-beta"})", "{feed}", failed,
         failure + "the feed's \"version\" is not a dotted version number"},
        {R"({"version":"2.0","notes":"bell\u0007"})", "{feed}", failed,
         failure + "\"notes\" holds control characters"},
        {R"({"version":"2.0","notes":")" + std::string(16385, 'n') + "\"}", "{feed}", failed,
         failure + "\"notes\" is longer than 16384 bytes"},
        {R"json({"version":"2.0","url":"javascript:alert(1)"})json", "{feed}", failed,
         failure + "the feed's \"url\" is not an http or https address"},
        {std::string(1024 * 1024 + 1, ' '), "{feed}", failed,
         failure + "file too large: {feed} has 1048577 bytes, the limit is 1048576"},
        {"{}", "{feed}.missing", failed,
         failure + "cannot open {feed}.missing: No such file or directory"},
        {"{}", "https://127.0.0.1/feed.json", failed,
         refused + "only files and http on 127.0.0.1 or localhost are read): "
                   "https://127.0.0.1/feed.json"},
        {"{}", "http://127.0.0.1@example.org/", failed,
         refused + "the host must be 127.0.0.1 or localhost): http://127.0.0.1@example.org/"},
        {"{}", "http://localhost:99999/", failed,
         refused + "the port must be a number from 1 to 65535): http://localhost:99999/"},
        {"{}", "feeds/feed.json", failed,
         refused + "a file path must be absolute): feeds/feed.json"},
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
        EXPECT_EQ(alert.messageText, test.shown.message);
        EXPECT_EQ(alert.informativeText, test.shown.text);
        EXPECT_EQ(alert.buttonTitles, std::vector<std::string>{"OK"});
        EXPECT_EQ(log.takeLines().back(),
                  replaced(test.logLine, "{feed}", feed) + " current=1.4.2 trigger=user");
    }
}

TEST_F(UpdaterTest, WithoutAUsableFeedChecksLogOrFailAndTheUserIsTold) {
    auto unset = makeUpdater(std::nullopt);
    unset->checkForUpdates();
    unset->checkForUpdatesInBackground();
    auto refused = makeUpdater("http://example.org/feed.json");
    refused->checkForUpdatesInBackground();
    settle();

    ASSERT_EQ(alerts().size(), 1u);
    EXPECT_EQ(alerts()[0].alert.messageText, "Updates are not set up");
    EXPECT_THAT(
        log.takeLines(),
        ElementsAre(
            "[INFO] Updater started without an update feed (set TOLVANE_UPDATE_FEED) version=1.4.2",
            "[INFO] Update check skipped: no update feed is configured trigger=user",
            "[INFO] Update check skipped: no update feed is configured trigger=background",
            "[ERROR] Updater started with an unusable update feed: feed location refused (the "
            "host must be 127.0.0.1 or localhost): http://example.org/feed.json version=1.4.2",
            "[WARN] Update check failed: feed location refused (the host must be 127.0.0.1 or "
            "localhost): http://example.org/feed.json current=1.4.2 trigger=background"));
}

TEST_F(UpdaterTest, BackgroundCheckHandsItsResultToTheMainLoopAndAlertsOnlyForANewerVersion) {
    auto current = makeUpdater(writeFeed(R"({"version":"1.4.2"})"));
    current->checkForUpdatesInBackground();
    settle();
    EXPECT_THAT(alerts(), IsEmpty());

    auto newer = makeUpdater(writeFeed(R"({"version":"1.5.0","notes":"Dots."})"));
    newer->checkForUpdatesInBackground();
    worker->drain();
    EXPECT_THAT(alerts(), IsEmpty()); // the read is done; its result waits for the main loop
    session->loop()->drain();
    ASSERT_EQ(alerts().size(), 1u);
    EXPECT_EQ(alerts()[0].alert.informativeText,
              "Tolvane 1.5.0 is now available; you have 1.4.2.\n\nDots.");

    auto lines = log.takeLines();
    EXPECT_THAT(lines, Contains("[INFO] Update check found no newer version feed=1.4.2 "
                                "current=1.4.2 trigger=background"));
    EXPECT_THAT(lines,
                Contains("[INFO] Update available version=1.5.0 current=1.4.2 trigger=background"));
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
    EXPECT_THAT(log.takeLines(),
                ElementsAre("[WARN] Updater setting is not a boolean; automatic checks stay on "
                            "key=tolvane.updates.automatic_checks type=string"));
}

TEST(FeedUpdaterVersion, IsTheProjectVersion) {
    EXPECT_EQ(FeedUpdater::applicationVersion().text(), TOLVANE_TEST_PROJECT_VERSION);
}

} // namespace
} // namespace tolvane
