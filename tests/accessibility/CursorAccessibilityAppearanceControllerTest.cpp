#include "accessibility/CursorAccessibilityAppearanceController.h"

#include "platform/PropertyListSerialization.h"
#include "support/LogCapture.h"
#include "support/TestSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using Controller = CursorAccessibilityAppearanceController;
using Dictionary = PropertyList::Dictionary;
using LineMatchers = std::vector<::testing::Matcher<std::string>>;
using namespace std::chrono;

const PropertyList colour = PropertyList::Data{0x0b, 0x70, 0x6c};
const system_clock::time_point now = sys_days{2024y / May / 6} + 7h + 8min + 9s + 750ms;
const std::string applied = "[INFO] Cursor accessibility values applied synchronized=";
const std::string failedOverride =
    "[ERROR] Failed to auto-disable Accessibility cursor customization (synchronized=";

std::string xml(const Dictionary& root) {
    auto bytes = *PropertyListSerialization::serialize(root, PropertyListFormat::xml);
    return std::string(bytes.begin(), bytes.end());
}

// Writes through while it has writes left, then refuses, like a store that
// turns read-only.
struct StoreWithWrites final : public PreferenceDomain {
    StoreWithWrites(PreferenceDomain& inner, int writesLeft) : store(inner), writes(writesLeft) {}
    const std::string& name() const override { return store.name(); }
    std::optional<PropertyList> copyValue(const std::string& key) override {
        return store.copyValue(key);
    }
    void setValue(const std::string& key, std::optional<PropertyList> value) override {
        store.setValue(key, std::move(value));
    }
    Result<void> synchronize() override {
        return writes-- > 0 ? store.synchronize() : Failure{"store is read-only"};
    }

    PreferenceDomain& store;
    int writes;
};

// A user's home with Accessibility settings that hold an unrelated key too.
struct Home {
    testing::TestSession session;
    SimPreferenceDomain& domain = *session->preferenceDomain(Controller::preferencesDomain);
    std::filesystem::path backup =
        session.home() / "Library/Application Support/Tolvane/cursor_accessibility_backup.plist";

    explicit Home(Dictionary managed) {
        managed.emplace("reduceMotion", true);
        std::filesystem::create_directories(domain.plistPath().parent_path());
        EXPECT_TRUE(PropertyListSerialization::writeFile(managed, domain.plistPath(),
                                                         PropertyListFormat::binary)
                        .ok());
    }
    Controller controller(PreferenceDomain& store) {
        return Controller(store, *session->folders(), [] { return now; });
    }
    Controller controller() { return controller(domain); }
    Dictionary settings() const {
        Dictionary stored =
            *PropertyListSerialization::readFile(domain.plistPath())->dictionaryValue();
        EXPECT_EQ(stored.extract("reduceMotion").mapped(), PropertyList(true));
        return stored;
    }
    void writeBackup(const std::string& content) const {
        std::filesystem::create_directories(backup.parent_path());
        testing::writeFile(backup, content);
    }
};

TEST(CursorAccessibilityTest, OverridesCustomColoursForTheRunAndPutsThemBack) {
    struct Row {
        Dictionary settings;
        bool customised;
        std::string keys;
    };
    const Row rows[] = {
        {{}, false, ""},
        {{{"cursorIsCustomized", false}}, false, ""},
        {{{"cursorIsCustomized", 0}}, false, ""},
        {{{"cursorIsCustomized", "true"}}, false, ""}, // only numbers and booleans count
        {{{"cursorIsCustomized", true}, {"cursorFill", colour}, {"cursorOutline", colour}},
         true,
         "cursorFill,cursorIsCustomized,cursorOutline"},
        {{{"cursorIsCustomized", 1}}, true, "cursorIsCustomized"},
        {{{"cursorIsCustomized", 0.5}}, true, "cursorIsCustomized"},
        {{{"cursorIsCustomized", false}, {"mouseDriverCursorFillColor", colour}},
         true,
         "cursorIsCustomized,mouseDriverCursorFillColor"},
        {{{"mouseDriverCursorOutlineColor", ""}}, true, "mouseDriverCursorOutlineColor"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.keys.empty() ? xml(row.settings) : row.keys);
        testing::LogCapture log;
        Home home(row.settings);
        Controller controller = home.controller();

        EXPECT_EQ(controller.activateSystemCursorAppearanceIfNeeded(), row.customised);
        EXPECT_EQ(controller.isOverrideActive(), row.customised);
        if (!row.customised) {
            EXPECT_EQ(home.settings(), row.settings);
            EXPECT_FALSE(std::filesystem::exists(home.backup));
            EXPECT_THAT(log.takeLines(), ElementsAre("[INFO] Accessibility cursor appearance "
                                                     "already standard; no override needed"));
            controller.restoreOriginalAppearanceIfNeeded();
            EXPECT_THAT(log.takeLines(), IsEmpty());
            continue;
        }
        EXPECT_EQ(home.settings(), (Dictionary{{"cursorIsCustomized", false}}));
        EXPECT_THAT(testing::readFile(home.backup), StartsWith("<?xml"));
        EXPECT_EQ(*PropertyListSerialization::readFile(home.backup),
                  PropertyList(
                      Dictionary{{"values", row.settings}, {"savedAt", "2024-05-06T07:08:09Z"}}));
        EXPECT_THAT(log.takeLines(),
                    ElementsAre("[INFO] Saved cursor accessibility backup: " + home.backup.string(),
                                "[WARN] Applied temporary cursor accessibility override for "
                                "native cursor replacement synchronized=true"));

        controller.restoreOriginalAppearanceIfNeeded();
        controller.restoreOriginalAppearanceIfNeeded(); // the second does nothing
        EXPECT_FALSE(controller.isOverrideActive());
        EXPECT_EQ(home.settings(), row.settings);
        EXPECT_FALSE(std::filesystem::exists(home.backup));
        EXPECT_THAT(
            log.takeLines(),
            ElementsAre(applied + "true applied=true keys=" + row.keys,
                        "[INFO] Restored original Accessibility cursor appearance settings"));
    }
}

TEST(CursorAccessibilityTest, AnUnreadablePreferencesFileCountsAsStandard) {
    testing::LogCapture log;
    Home home({});
    testing::writeFile(home.domain.plistPath(), "<plist><dict>");
    EXPECT_FALSE(home.controller().activateSystemCursorAppearanceIfNeeded());
    EXPECT_EQ(testing::readFile(home.domain.plistPath()), "<plist><dict>");
    EXPECT_THAT(log.takeLines(),
                ElementsAre(StartsWith("[WARN] Accessibility preferences file unreadable"),
                            "[INFO] Accessibility cursor appearance already standard; no "
                            "override needed"));
}

TEST(CursorAccessibilityTest, RecoversTheBackupOfACrashedRunAndLeavesBadFilesAlone) {
    const Dictionary saved = {{"cursorIsCustomized", true}, {"cursorFill", colour}};
    const std::string recovered = "[WARN] Recovered pending cursor accessibility backup from "
                                  "previous run; restoring user settings";
    const std::string unreadable = "[WARN] Ignoring unreadable cursor accessibility backup: ";
    const std::string noValues =
        "[WARN] Ignoring cursor accessibility backup without a values dictionary: ";
    std::string deep;
    for (int i = 0; i < 600; ++i) {
        deep.insert(deep.size() / 2, "<array></array>");
    }
    struct Row {
        std::string name;
        std::optional<std::string> file;
        std::optional<Dictionary> settingsAfter; // none: the settings and the file stay
        LineMatchers lines;
        bool storeFails = false;
    };
    const Row rows[] = {
        {"crashed run",
         xml({{"values", saved}, {"savedAt", "x"}}),
         saved,
         {recovered, applied + "true applied=true keys=cursorFill,cursorIsCustomized"}},
        {"nothing to put back",
         xml({{"values", Dictionary{}}}),
         Dictionary{},
         {recovered, applied + "true applied=true keys="}},
        {"a key that is not ours",
         xml({{"values", Dictionary{{"cursorFill", colour}, {"reduceMotion", false}}}}),
         Dictionary{{"cursorFill", colour}},
         {"[WARN] Ignoring keys outside the managed cursor keys in the cursor accessibility "
          "backup: count=1",
          recovered, applied + "true applied=true keys=cursorFill"}},
        {"store cannot be written",
         xml({{"values", saved}}),
         std::nullopt,
         {recovered,
          "[WARN] Accessibility preferences not synchronized: cannot synchronize preferences of "
          "com.apple.universalaccess",
          applied + "false applied=false keys=cursorFill,cursorIsCustomized",
          "[ERROR] Failed to restore recovered cursor accessibility backup; keeping backup file "
          "for manual recovery"},
         true},
        {"no file", std::nullopt, {}, {}},
        {"not a property list", "bplist00 garbage", {}, {StartsWith(unreadable)}},
        {"nested too deep",
         "<plist><dict><key>values</key>" + deep + "</dict></plist>",
         {},
         {StartsWith(unreadable)}},
        {"root is an array", "<plist><array/></plist>", {}, {StartsWith(unreadable)}},
        {"no values", xml({{"savedAt", "x"}}), {}, {StartsWith(noValues)}},
        {"values not a dictionary", xml({{"values", "x"}}), {}, {StartsWith(noValues)}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::LogCapture log;
        Home home({{"cursorIsCustomized", false}});
        if (row.file) {
            home.writeBackup(*row.file);
        }
        home.domain.setSynchronizeFails(row.storeFails);

        home.controller().recoverPreviousSessionIfNeeded();
        EXPECT_THAT(log.takeLines(), ElementsAreArray(row.lines));
        EXPECT_EQ(home.settings(),
                  row.settingsAfter.value_or(Dictionary{{"cursorIsCustomized", false}}));
        if (row.settingsAfter || !row.file) {
            EXPECT_FALSE(std::filesystem::exists(home.backup));
        } else {
            EXPECT_EQ(testing::readFile(home.backup), *row.file);
        }
    }

    // After a recovery the run makes its own override with a fresh backup.
    Home home({{"cursorIsCustomized", false}});
    home.writeBackup(xml({{"values", saved}, {"savedAt", "2020-01-01T00:00:00Z"}}));
    Controller controller = home.controller();
    controller.recoverPreviousSessionIfNeeded();
    EXPECT_TRUE(controller.activateSystemCursorAppearanceIfNeeded());
    EXPECT_EQ(*PropertyListSerialization::readFile(home.backup),
              PropertyList(Dictionary{{"values", saved}, {"savedAt", "2024-05-06T07:08:09Z"}}));
}

TEST(CursorAccessibilityTest, AnOverrideThatDoesNotTakePutsTheUserValuesBack) {
    const Dictionary user = {{"cursorIsCustomized", true},
                             {"cursorFill", colour},
                             {"mouseDriverCursorFillColor", colour}};
    const std::string keys = " keys=cursorFill,cursorIsCustomized,mouseDriverCursorFillColor";
    const std::string putBack =
        "[INFO] Put back the user's Accessibility cursor settings after the failed override";
    const std::string kept =
        "[ERROR] Failed to put back the user's Accessibility cursor settings "
        "after the failed override; keeping backup file for the next start and "
        "trying again at quit";
    struct Row {
        std::string name;
        bool fillManaged; // a profile keeps cursorFill, so the override cannot take
        int writes;       // synchronizations the store accepts
        std::string lastLines[2];
    };
    const Row rows[] = {
        {"managed colour", true, 2, {applied + "true applied=true" + keys, putBack}},
        {"store cannot be written", false, 0, {applied + "false applied=true" + keys, putBack}},
        {"store turns read-only", true, 1, {applied + "false applied=false" + keys, kept}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::LogCapture log;
        Home home(user);
        home.domain.setManaged("cursorFill", row.fillManaged);
        StoreWithWrites store(home.domain, row.writes);
        Controller controller = home.controller(store);

        EXPECT_FALSE(controller.activateSystemCursorAppearanceIfNeeded());
        EXPECT_TRUE(controller.hasUnresolvedCustomizationConflict());
        const bool putBackNow = row.lastLines[1] == putBack;
        EXPECT_EQ(controller.isOverrideActive(), !putBackNow);
        auto lines = log.takeLines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_THAT(lines, Contains(StartsWith(failedOverride)));
        EXPECT_THAT(std::vector(lines.end() - 2, lines.end()), ElementsAreArray(row.lastLines));
        if (!putBackNow) {
            EXPECT_EQ(home.settings(),
                      (Dictionary{{"cursorIsCustomized", false}, {"cursorFill", colour}}));
            EXPECT_EQ(*PropertyListSerialization::readFile(home.backup)->find("values"),
                      PropertyList(user));
            // The quit tries again; the file serves the next start if that fails too.
            store.writes = 1;
            controller.restoreOriginalAppearanceIfNeeded();
            EXPECT_FALSE(controller.isOverrideActive());
            EXPECT_FALSE(controller.hasUnresolvedCustomizationConflict());
        }
        EXPECT_EQ(home.settings(), user);
        EXPECT_FALSE(std::filesystem::exists(home.backup));
    }
}

TEST(CursorAccessibilityTest, ARestoreThatDoesNotTakeKeepsTheOverrideAndTheBackup) {
    testing::LogCapture log;
    const Dictionary user = {{"cursorFill", colour}};
    Home home(user);
    Controller controller = home.controller();
    ASSERT_TRUE(controller.activateSystemCursorAppearanceIfNeeded());

    home.domain.setSynchronizeFails(true);
    controller.restoreOriginalAppearanceIfNeeded();
    EXPECT_TRUE(controller.isOverrideActive());
    EXPECT_TRUE(std::filesystem::exists(home.backup));
    EXPECT_EQ(log.lines().back(),
              "[ERROR] Failed to restore original Accessibility cursor appearance settings");

    home.domain.setSynchronizeFails(false);
    controller.restoreOriginalAppearanceIfNeeded();
    EXPECT_FALSE(controller.isOverrideActive());
    EXPECT_EQ(home.settings(), user);
    EXPECT_FALSE(std::filesystem::exists(home.backup));
}

TEST(CursorAccessibilityTest, ABackupThatCannotBeWrittenLeavesTheOverrideInMemory) {
    struct Row {
        std::string name;
        std::function<void(Home&)> spoil;
        bool removalFails;
    };
    const Row rows[] = {
        {"no Application Support folder",
         [](Home& home) { home.session->folders()->setApplicationSupportAvailable(false); }, false},
        {"its folder is a file",
         [](Home& home) {
             std::filesystem::create_directories(home.backup.parent_path().parent_path());
             testing::writeFile(home.backup.parent_path(), "");
         },
         false},
        {"a folder in its place",
         [](Home& home) { std::filesystem::create_directories(home.backup / "kept"); }, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::LogCapture log;
        const Dictionary user = {{"cursorFill", colour}};
        Home home(user);
        row.spoil(home);
        Controller controller = home.controller();

        EXPECT_TRUE(controller.activateSystemCursorAppearanceIfNeeded());
        EXPECT_THAT(log.takeLines().front(),
                    StartsWith("[ERROR] Failed to persist cursor accessibility backup: "));
        controller.restoreOriginalAppearanceIfNeeded();
        EXPECT_EQ(home.settings(), user);
        LineMatchers lines;
        lines.emplace_back(applied + "true applied=true keys=cursorFill");
        if (row.removalFails) {
            lines.push_back(StartsWith("[WARN] Failed to remove cursor accessibility backup: "
                                       "cannot remove " +
                                       home.backup.string()));
        }
        lines.push_back("[INFO] Restored original Accessibility cursor appearance settings");
        EXPECT_THAT(log.takeLines(), ElementsAreArray(lines));
    }
}

} // namespace
} // namespace tolvane
