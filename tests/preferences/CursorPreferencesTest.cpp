#include "app/CursorPreferences.h"

#include "support/LogCapture.h"
#include "support/TestSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class CursorPreferencesTest : public ::testing::Test {
  protected:
    DefaultsStore& defaults() { return *session->defaults(); }
    std::optional<PropertyList> stored(const std::string& key) {
        return defaults().objectForKey(key);
    }
    void store(const std::string& key, const PropertyList& value) {
        ASSERT_TRUE(defaults().setObject(key, value));
    }

    // What another process leaves in the application's defaults file.
    void writeDefaultsFileFromOutside(const std::string& entries) {
        writeDefaultsFile("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + entries +
                          "</dict></plist>\n");
    }
    void writeDefaultsFile(const std::string& content) {
        std::filesystem::create_directories(session->defaults()->plistPath().parent_path());
        testing::writeFile(session->defaults()->plistPath(), content);
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
    EXPECT_FALSE(std::filesystem::exists(session->defaults()->plistPath()));
    EXPECT_THAT(log.lines(),
                ElementsAre("[DEBUG] Preference missing global style; using default letterBadge"));
}

TEST_F(CursorPreferencesTest, LegacyStyleMovesToTheGlobalKeyOnce) {
    store(CursorPreferences::legacyRussianStyleKey, "dotBadge");
    EXPECT_EQ(preferences.style(), CursorStyle::dotBadge);
    EXPECT_EQ(stored(CursorPreferences::globalStyleKey), PropertyList("dotBadge"));
    EXPECT_EQ(preferences.style(InputLanguage::make("en", "ABC", "com.apple.keylayout.ABC")),
              CursorStyle::dotBadge);
    // The legacy keys stay where they were.
    EXPECT_EQ(stored(CursorPreferences::legacyRussianStyleKey), PropertyList("dotBadge"));
    EXPECT_EQ(stored(CursorPreferences::legacyEnglishStyleKey), std::nullopt);
    EXPECT_THAT(log.lines(),
                ElementsAre("[INFO] Preference migrated to global style from legacy key: dotBadge",
                            "[DEBUG] Preference global style loaded: dotBadge"));
}

TEST_F(CursorPreferencesTest, MigrationTakesTheFirstValidLegacyStyle) {
    // English first; an invalid English style passes the turn to Russian.
    store(CursorPreferences::legacyEnglishStyleKey, "fancy");
    store(CursorPreferences::legacyRussianStyleKey, "highContrast");
    EXPECT_EQ(preferences.style(), CursorStyle::highContrast);
    EXPECT_EQ(stored(CursorPreferences::globalStyleKey), PropertyList("highContrast"));

    // A global word that is no style is overwritten by a valid legacy one.
    store(CursorPreferences::globalStyleKey, "LetterBadge");
    store(CursorPreferences::legacyEnglishStyleKey, "system");
    EXPECT_EQ(preferences.style(), CursorStyle::system);
    EXPECT_EQ(stored(CursorPreferences::globalStyleKey), PropertyList("system"));

    // A global style that is valid wins over any legacy one, and nothing is written.
    store(CursorPreferences::globalStyleKey, "dotBadge");
    auto before = testing::readFile(session->defaults()->plistPath());
    EXPECT_EQ(preferences.style(), CursorStyle::dotBadge);
    EXPECT_EQ(testing::readFile(session->defaults()->plistPath()), before);

    EXPECT_THAT(
        log.lines(),
        ElementsAre("[INFO] Preference migrated to global style from legacy key: highContrast",
                    "[INFO] Preference migrated to global style from legacy key: system",
                    "[DEBUG] Preference global style loaded: dotBadge"));
}

TEST_F(CursorPreferencesTest, StylesOfTheWrongTypeCountAsMissing) {
    writeDefaultsFileFromOutside(
        "<key>tolvane.cursor_style.global</key><integer>2</integer>"
        "<key>tolvane.cursor_style.en</key><true/>"
        "<key>tolvane.cursor_style.ru</key><array><string>dotBadge</string></array>");
    EXPECT_EQ(preferences.style(), CursorStyle::letterBadge);
    EXPECT_EQ(stored(CursorPreferences::globalStyleKey), PropertyList(2));
    EXPECT_THAT(log.lines(),
                ElementsAre("[DEBUG] Preference missing global style; using default letterBadge"));
}

TEST_F(CursorPreferencesTest, SavingAStyleKeepsAllThreeKeysInStep) {
    store(CursorPreferences::legacyEnglishStyleKey, "dotBadge");
    preferences.setStyle(CursorStyle::highContrast);
    for (const char* key :
         {CursorPreferences::globalStyleKey, CursorPreferences::legacyEnglishStyleKey,
          CursorPreferences::legacyRussianStyleKey}) {
        EXPECT_EQ(stored(key), PropertyList("highContrast")) << key;
    }
    // The language is no part of the setting.
    preferences.setStyle(CursorStyle::system,
                         InputLanguage::make("ru", "Russian", "com.apple.keylayout.Russian"));
    EXPECT_EQ(preferences.style(std::nullopt), CursorStyle::system);
    EXPECT_EQ(stored(CursorPreferences::legacyEnglishStyleKey), PropertyList("system"));
    EXPECT_THAT(log.lines(), ElementsAre("[INFO] Preference global style saved: highContrast",
                                         "[INFO] Preference global style saved: system",
                                         "[DEBUG] Preference global style loaded: system"));
}

TEST(CursorPreferencesDefaults, BundlesNamedForLeftHandersDefaultToLeftHandedCursors) {
    auto bundle = [](const std::string& identifier, PropertyList name) {
        return Bundle("/Applications/X.app",
                      {{"CFBundleIdentifier", identifier}, {"CFBundleName", std::move(name)}},
                      std::nullopt);
    };
    EXPECT_FALSE(CursorPreferences::defaultLeftHandedMode(bundle("com.tolvane.app", "Tolvane")));
    EXPECT_TRUE(CursorPreferences::defaultLeftHandedMode(bundle("com.QuellmArrow.app", "Tolvane")));
    EXPECT_TRUE(CursorPreferences::defaultLeftHandedMode(bundle("com.tolvane.app", "Tolvane QUELLMARROW")));
    // A name that is not a string counts as empty.
    EXPECT_FALSE(CursorPreferences::defaultLeftHandedMode(
        bundle("com.tolvane.app", PropertyList(std::int64_t{7}))));
    EXPECT_FALSE(CursorPreferences::defaultLeftHandedMode(Bundle("/Applications/X.app", {}, std::nullopt)));
}

TEST_F(CursorPreferencesTest, LeftHandedFollowsTheStoreOverTheBuildDefault) {
    CursorPreferences leftHandedBuild(defaults(), true);
    EXPECT_TRUE(leftHandedBuild.isLeftHanded());

    leftHandedBuild.setLeftHanded(false);
    EXPECT_EQ(stored(CursorPreferences::leftHandedKey), PropertyList(false));
    EXPECT_FALSE(leftHandedBuild.isLeftHanded());
    EXPECT_FALSE(preferences.isLeftHanded());

    preferences.setLeftHanded(true);
    EXPECT_TRUE(preferences.isLeftHanded());

    // Another process removes the key: the build's default counts again.
    ASSERT_TRUE(defaults().removeObject(CursorPreferences::leftHandedKey));
    EXPECT_TRUE(leftHandedBuild.isLeftHanded());
    EXPECT_FALSE(CursorPreferences(defaults(), false).isLeftHanded());

    EXPECT_THAT(log.lines(), ElementsAre("[INFO] Preference left-handed saved: false",
                                         "[INFO] Preference left-handed saved: true"));
}

TEST_F(CursorPreferencesTest, LeftHandedReadsOtherTypesAsTheStoreDoes) {
    CursorPreferences leftHandedBuild(defaults(), true);
    const std::pair<const char*, bool> cases[] = {
        {"<string>YES</string>", true},
        {"<integer>0</integer>", false},
        {"<dict></dict>", false},
    };
    for (const auto& [value, expected] : cases) {
        writeDefaultsFileFromOutside(std::string("<key>tolvane.left_handed</key>") + value);
        EXPECT_EQ(leftHandedBuild.isLeftHanded(), expected) << value;
    }
}

TEST_F(CursorPreferencesTest, PrimarySourceIsStoredTrimmedAndBlankClearsIt) {
    preferences.setPrimaryInputSourceID("  com.apple.keylayout.Russian\n");
    EXPECT_EQ(stored(CursorPreferences::primaryInputSourceIDKey),
              PropertyList("com.apple.keylayout.Russian"));
    EXPECT_EQ(preferences.primaryInputSourceID(), "com.apple.keylayout.Russian");

    preferences.setPrimaryInputSourceID(" \t\u3000");
    EXPECT_EQ(stored(CursorPreferences::primaryInputSourceIDKey), std::nullopt);
    EXPECT_EQ(preferences.primaryInputSourceID(), std::nullopt);

    preferences.setPrimaryInputSourceID("com.apple.keylayout.ABC");
    preferences.setPrimaryInputSourceID(std::nullopt);
    EXPECT_EQ(stored(CursorPreferences::primaryInputSourceIDKey), std::nullopt);

    EXPECT_THAT(
        log.lines(),
        ElementsAre("[INFO] Preference primary input source saved: com.apple.keylayout.Russian",
                    "[INFO] Preference primary input source cleared",
                    "[INFO] Preference primary input source saved: com.apple.keylayout.ABC",
                    "[INFO] Preference primary input source cleared"));
}

TEST_F(CursorPreferencesTest, PrimarySourceFromAnotherProcessIsTrimmedAndMustBeText) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"<string>  com.apple.keylayout.German </string>", "com.apple.keylayout.German"},
        {"<string>   </string>", std::nullopt},
        {"<string></string>", std::nullopt},
        {"<integer>42</integer>", std::nullopt},
        {"<array><string>com.apple.keylayout.German</string></array>", std::nullopt},
    };
    for (const auto& [value, expected] : cases) {
        writeDefaultsFileFromOutside(std::string("<key>tolvane.primary_input_source_id</key>") +
                                     value);
        EXPECT_EQ(preferences.primaryInputSourceID(), expected) << value;
    }
}

TEST_F(CursorPreferencesTest, DelayIsClampedOnWrite) {
    const std::pair<std::int64_t, std::int64_t> cases[] = {
        {45, 45},
        {-5, 0},
        {100000, 86400},
        {86400, 86400},
        {0, 0},
        {std::numeric_limits<std::int64_t>::min(), 0},
        {std::numeric_limits<std::int64_t>::max(), 86400}};
    for (const auto& [written, kept] : cases) {
        preferences.setPrimaryInputSourceReturnDelaySeconds(written);
        EXPECT_EQ(stored(CursorPreferences::returnDelayKey), PropertyList(kept)) << written;
        EXPECT_EQ(preferences.primaryInputSourceReturnDelaySeconds(), kept) << written;
    }
    EXPECT_THAT(log.lines(),
                ElementsAre("[INFO] Preference primary input source return delay saved: 45s",
                            "[INFO] Preference primary input source return delay saved: 0s",
                            "[INFO] Preference primary input source return delay saved: 86400s",
                            "[INFO] Preference primary input source return delay saved: 86400s",
                            "[INFO] Preference primary input source return delay saved: 0s",
                            "[INFO] Preference primary input source return delay saved: 0s",
                            "[INFO] Preference primary input source return delay saved: 86400s"));
}

TEST_F(CursorPreferencesTest, DelayFromAnotherProcessIsReadAsAnIntegerAndClamped) {
    const std::pair<const char*, std::int64_t> cases[] = {
        {"<integer>90000</integer>", 86400},
        {"<integer>-3</integer>", 0},
        {"<string>120</string>", 120},
        {"<real>30.7</real>", 30},
        {"<dict></dict>", 0},
    };
    for (const auto& [value, expected] : cases) {
        writeDefaultsFileFromOutside(
            std::string("<key>tolvane.primary_input_source_return_delay_seconds</key>") + value);
        EXPECT_EQ(preferences.primaryInputSourceReturnDelaySeconds(), expected) << value;
    }
}

TEST_F(CursorPreferencesTest, UnreadableStoreReadsAsDefaultsAndIsNotOverwritten) {
    writeDefaultsFile("this is no property list");
    CursorPreferences leftHandedBuild(defaults(), true);
    EXPECT_EQ(preferences.style(), CursorStyle::letterBadge);
    EXPECT_TRUE(leftHandedBuild.isLeftHanded());
    EXPECT_EQ(preferences.primaryInputSourceReturnDelaySeconds(), 0);

    preferences.setPrimaryInputSourceReturnDelaySeconds(30);
    EXPECT_EQ(testing::readFile(session->defaults()->plistPath()), "this is no property list");

    auto lines = log.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("[ERROR] Preference write failed: "
                                 "key=tolvane.primary_input_source_return_delay_seconds error=",
                                 0),
              0u)
        << lines.back();
    for (const auto& line : lines) {
        EXPECT_THAT(line, ::testing::Not(::testing::HasSubstr("saved")));
    }
    EXPECT_THAT(lines,
                ::testing::Contains(::testing::StartsWith(
                    "[WARN] Preference store unreadable: key=tolvane.cursor_style.global error=")));
}

TEST_F(CursorPreferencesTest, RefusedWritesAreLoggedAsFailuresNotAsSaved) {
    store(CursorPreferences::legacyRussianStyleKey, "dotBadge");
    preferences.setLeftHanded(true);
    session->defaults()->setWritesFail(true);
    preferences.setLeftHanded(false);
    preferences.setStyle(CursorStyle::dotBadge);
    preferences.setPrimaryInputSourceID("com.apple.keylayout.ABC");
    preferences.setPrimaryInputSourceID("");
    EXPECT_TRUE(preferences.isLeftHanded());

    const std::string failure = "error=cannot write " + session->defaults()->plistPath().string() +
                                ": No space left on device";
    EXPECT_THAT(
        log.takeLines(),
        ElementsAre(
            "[INFO] Preference left-handed saved: true",
            "[ERROR] Preference write failed: key=tolvane.left_handed " + failure,
            "[ERROR] Preference write failed: key=tolvane.cursor_style.global " + failure,
            "[ERROR] Preference write failed: key=tolvane.cursor_style.en " + failure,
            "[ERROR] Preference write failed: key=tolvane.cursor_style.ru " + failure,
            "[ERROR] Preference write failed: key=tolvane.primary_input_source_id " + failure,
            "[ERROR] Preference write failed: key=tolvane.primary_input_source_id " + failure));

    // A migration that cannot be written still answers with the legacy style.
    EXPECT_EQ(preferences.style(), CursorStyle::dotBadge);
    EXPECT_THAT(
        log.takeLines(),
        ElementsAre("[ERROR] Preference write failed: key=tolvane.cursor_style.global " + failure));
}

} // namespace
} // namespace tolvane
