#include "app/CursorPreferences.h"

#include "support/LogCapture.h"
#include "support/TestSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>

namespace tolvane {
namespace {

using ::testing::ElementsAre;

class CursorPreferencesTest : public ::testing::Test {
  protected:
    SimDefaultsStore& defaults() { return *session->defaults(); }
    std::optional<PropertyList> stored(const std::string& key) {
        return defaults().objectForKey(key);
    }
    void store(const std::string& key, const PropertyList& value) {
        ASSERT_TRUE(defaults().setObject(key, value));
    }
    // What another process leaves in the application's defaults file.
    void writeDefaultsFile(const std::string& content) {
        std::filesystem::create_directories(defaults().plistPath().parent_path());
        testing::writeFile(defaults().plistPath(), content);
    }
    void writeFromOutside(const std::string& key, const std::string& value) {
        writeDefaultsFile("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">"
                          "<dict><key>" +
                          key + "</key>" + value + "</dict></plist>\n");
    }

    testing::TestSession session;
    testing::LogCapture log;
    CursorPreferences preferences{*session->defaults(), false};
};

TEST_F(CursorPreferencesTest, FreshStoreReadsDefaultsAndWritesNothing) {
    EXPECT_EQ(preferences.style(), CursorStyle::letterBadge);
    EXPECT_FALSE(preferences.isLeftHanded());
    EXPECT_EQ(preferences.primaryInputSourceID(), std::nullopt);
    EXPECT_EQ(preferences.primaryInputSourceReturnDelaySeconds(), 0);
    EXPECT_FALSE(std::filesystem::exists(defaults().plistPath()));
    EXPECT_THAT(log.lines(),
                ElementsAre("[DEBUG] Preference missing global style; using default letterBadge"));
}

TEST_F(CursorPreferencesTest, LegacyStylesMoveToTheGlobalKey) {
    // English first; an invalid English style passes the turn to Russian.
    store(CursorPreferences::legacyEnglishStyleKey, "fancy");
    store(CursorPreferences::legacyRussianStyleKey, "highContrast");
    EXPECT_EQ(preferences.style(), CursorStyle::highContrast);
    EXPECT_EQ(stored(CursorPreferences::globalStyleKey), PropertyList("highContrast"));
    EXPECT_EQ(stored(CursorPreferences::legacyRussianStyleKey), PropertyList("highContrast"));

    // A global word that is no style is overwritten by a valid legacy one.
    store(CursorPreferences::globalStyleKey, "LetterBadge");
    store(CursorPreferences::legacyEnglishStyleKey, "system");
    EXPECT_EQ(preferences.style(), CursorStyle::system);
    EXPECT_EQ(stored(CursorPreferences::globalStyleKey), PropertyList("system"));

    // A valid global style wins over any legacy one, for every language, and nothing is written.
    store(CursorPreferences::globalStyleKey, "dotBadge");
    auto before = testing::readFile(defaults().plistPath());
    EXPECT_EQ(preferences.style(InputLanguage::make("en", "ABC", "com.apple.keylayout.ABC")),
              CursorStyle::dotBadge);
    EXPECT_EQ(testing::readFile(defaults().plistPath()), before);

    EXPECT_THAT(
        log.lines(),
        ElementsAre("[INFO] Preference migrated to global style from legacy key: highContrast",
                    "[INFO] Preference migrated to global style from legacy key: system",
                    "[DEBUG] Preference global style loaded: dotBadge"));
}

TEST_F(CursorPreferencesTest, SavingAStyleKeepsAllThreeKeysInStep) {
    preferences.setStyle(CursorStyle::highContrast,
                         InputLanguage::make("ru", "Russian", "com.apple.keylayout.Russian"));
    for (const char* key :
         {CursorPreferences::globalStyleKey, CursorPreferences::legacyEnglishStyleKey,
          CursorPreferences::legacyRussianStyleKey}) {
        EXPECT_EQ(stored(key), PropertyList("highContrast")) << key;
    }
    EXPECT_THAT(log.lines(), ElementsAre("[INFO] Preference global style saved: highContrast"));
}

TEST(CursorPreferencesDefaults, BundlesNamedForLeftHandersDefaultToLeftHandedCursors) {
    auto bundle = [](const std::string& identifier, PropertyList name) {
        return Bundle("/Applications/X.app",
                      {{"CFBundleIdentifier", identifier}, {"CFBundleName", std::move(name)}},
                      std::nullopt);
    };
    EXPECT_FALSE(CursorPreferences::defaultLeftHandedMode(bundle("com.tolvane.app", "Tolvane")));
    EXPECT_TRUE(CursorPreferences::defaultLeftHandedMode(bundle("com.QuellmArrow.app", "Tolvane")));
    EXPECT_TRUE(
        CursorPreferences::defaultLeftHandedMode(bundle("com.tolvane.app", "Tolvane QUELLMARROW")));
    // A name that is not a string counts as empty.
    EXPECT_FALSE(CursorPreferences::defaultLeftHandedMode(
        bundle("com.tolvane.app", PropertyList(std::int64_t{7}))));
    EXPECT_FALSE(
        CursorPreferences::defaultLeftHandedMode(Bundle("/Applications/X.app", {}, std::nullopt)));
}

TEST_F(CursorPreferencesTest, LeftHandedFollowsTheStoreOverTheBuildDefault) {
    CursorPreferences leftHandedBuild(defaults(), true);
    EXPECT_TRUE(leftHandedBuild.isLeftHanded());
    leftHandedBuild.setLeftHanded(false);
    EXPECT_EQ(stored(CursorPreferences::leftHandedKey), PropertyList(false));
    EXPECT_FALSE(leftHandedBuild.isLeftHanded());
    EXPECT_THAT(log.lines(), ElementsAre("[INFO] Preference left-handed saved: false"));

    // Another process writes the key, then removes it: the build's default counts again.
    writeFromOutside(CursorPreferences::leftHandedKey, "<string>YES</string>");
    EXPECT_TRUE(preferences.isLeftHanded());
    ASSERT_TRUE(defaults().removeObject(CursorPreferences::leftHandedKey));
    EXPECT_TRUE(leftHandedBuild.isLeftHanded());
    EXPECT_FALSE(preferences.isLeftHanded());
}

TEST_F(CursorPreferencesTest, PrimarySourceIsTrimmedBothWaysAndBlankClearsIt) {
    preferences.setPrimaryInputSourceID("  com.apple.keylayout.Russian\n");
    EXPECT_EQ(stored(CursorPreferences::primaryInputSourceIDKey),
              PropertyList("com.apple.keylayout.Russian"));
    preferences.setPrimaryInputSourceID(" \t\u3000");
    EXPECT_EQ(stored(CursorPreferences::primaryInputSourceIDKey), std::nullopt);
    EXPECT_THAT(
        log.lines(),
        ElementsAre("[INFO] Preference primary input source saved: com.apple.keylayout.Russian",
                    "[INFO] Preference primary input source cleared"));

    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"<string>  com.apple.keylayout.German </string>", "com.apple.keylayout.German"},
        {"<string>   </string>", std::nullopt},
        {"<integer>42</integer>", std::nullopt}};
    for (const auto& [value, expected] : cases) {
        writeFromOutside(CursorPreferences::primaryInputSourceIDKey, value);
        EXPECT_EQ(preferences.primaryInputSourceID(), expected) << value;
    }
}

TEST_F(CursorPreferencesTest, DelayIsClampedOnWriteAndOnRead) {
    const std::pair<std::int64_t, std::int64_t> written[] = {
        {45, 45},
        {std::numeric_limits<std::int64_t>::min(), 0},
        {std::numeric_limits<std::int64_t>::max(), 86400}};
    for (const auto& [seconds, kept] : written) {
        preferences.setPrimaryInputSourceReturnDelaySeconds(seconds);
        EXPECT_EQ(stored(CursorPreferences::returnDelayKey), PropertyList(kept)) << seconds;
        EXPECT_EQ(preferences.primaryInputSourceReturnDelaySeconds(), kept) << seconds;
    }
    EXPECT_THAT(log.lines(),
                ElementsAre("[INFO] Preference primary input source return delay saved: 45s",
                            "[INFO] Preference primary input source return delay saved: 0s",
                            "[INFO] Preference primary input source return delay saved: 86400s"));

    const std::pair<const char*, std::int64_t> fromOutside[] = {{"<integer>90000</integer>", 86400},
                                                                {"<integer>-3</integer>", 0}};
    for (const auto& [value, expected] : fromOutside) {
        writeFromOutside(CursorPreferences::returnDelayKey, value);
        EXPECT_EQ(preferences.primaryInputSourceReturnDelaySeconds(), expected) << value;
    }
}

TEST_F(CursorPreferencesTest, UnreadableStoreReadsAsDefaultsAndIsNotOverwritten) {
    writeDefaultsFile("this is no property list");
    EXPECT_EQ(preferences.style(), CursorStyle::letterBadge);
    EXPECT_TRUE(CursorPreferences(defaults(), true).isLeftHanded());
    preferences.setPrimaryInputSourceReturnDelaySeconds(30);
    EXPECT_EQ(testing::readFile(defaults().plistPath()), "this is no property list");

    const std::string path = defaults().plistPath().string();
    const std::string unreadable =
        "not a property list: neither binary nor well-formed XML: " + path;
    auto warning = [&](const std::string& key) {
        return "[WARN] Preference store unreadable: key=" + key + " error=" + unreadable;
    };
    EXPECT_THAT(log.lines(),
                ElementsAre(warning("tolvane.cursor_style.global"),
                            warning("tolvane.cursor_style.en"), warning("tolvane.cursor_style.ru"),
                            "[DEBUG] Preference missing global style; using default letterBadge",
                            warning("tolvane.left_handed"),
                            "[ERROR] Preference write failed: "
                            "key=tolvane.primary_input_source_return_delay_seconds "
                            "error=not overwriting unreadable " +
                                path + " (" + unreadable + ")"));
}

TEST_F(CursorPreferencesTest, RefusedWritesAreLoggedAsFailuresNotAsSaved) {
    store(CursorPreferences::legacyRussianStyleKey, "dotBadge");
    preferences.setLeftHanded(true);
    defaults().setWritesFail(true);
    preferences.setLeftHanded(false);
    preferences.setStyle(CursorStyle::dotBadge);
    preferences.setPrimaryInputSourceID("com.apple.keylayout.ABC");
    preferences.setPrimaryInputSourceID("");
    EXPECT_TRUE(preferences.isLeftHanded());
    // A migration that cannot be written still answers with the legacy style.
    EXPECT_EQ(preferences.style(), CursorStyle::dotBadge);

    const std::string failure =
        "error=cannot write " + defaults().plistPath().string() + ": No space left on device";
    EXPECT_THAT(
        log.lines(),
        ElementsAre(
            "[INFO] Preference left-handed saved: true",
            "[ERROR] Preference write failed: key=tolvane.left_handed " + failure,
            "[ERROR] Preference write failed: key=tolvane.cursor_style.global " + failure,
            "[ERROR] Preference write failed: key=tolvane.cursor_style.en " + failure,
            "[ERROR] Preference write failed: key=tolvane.cursor_style.ru " + failure,
            "[ERROR] Preference write failed: key=tolvane.primary_input_source_id " + failure,
            "[ERROR] Preference write failed: key=tolvane.primary_input_source_id " + failure,
            "[ERROR] Preference write failed: key=tolvane.cursor_style.global " + failure));
}

} // namespace
} // namespace tolvane
