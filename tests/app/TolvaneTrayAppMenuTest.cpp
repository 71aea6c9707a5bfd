// The menu as the user sees and uses it, the return to the primary layout and
// launch at login.
#include "TrayAppFixture.h"
#include "platform/PropertyListSerialization.h"
#include "platform/sim/SimInputSourceServices.h"
#include "platform/MenuOutline.h"

namespace tolvane {
namespace {

using testing::contains;
using testing::Lines;
using Selection = SimInputSourceServices::SelectionOutcome;

class MenuTest : public testing::TrayAppTest {
  protected:
    std::string outline() const { return menuOutline(*app->statusItem()->menu()); }
    // The item whose title begins with each text in turn, down the submenus.
    std::shared_ptr<MenuItem> item(std::initializer_list<std::string> path) const {
        auto found = testing::menuItemAt(app->statusItem()->menu(), path);
        if (!found) {
            ADD_FAILURE() << "no menu item " << *std::prev(path.end());
        }
        return found;
    }
    bool choose(std::initializer_list<std::string> path) {
        auto chosen = item(path);
        return chosen && chosen->performAction();
    }
    void store(const std::string& key, const PropertyList& value) {
        ASSERT_TRUE(session->defaults()->setObject(key, value));
    }
    std::size_t capeFiles() {
        capes.waitForSaves();
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(*capes.capesDirectory()),
                          std::filesystem::directory_iterator()));
    }
    unsigned hardResets() const { return server.callCount("CoreCursorUnregisterAll"); }
};

TEST_F(MenuTest, TheMenuShowsTheSettings) {
    launch();
    EXPECT_EQ(outline(), "Cursor style\n"
                         "    System cursor\n"
                         "    ✓ Letter badge\n"
                         "    Color dot\n"
                         "    High contrast\n"
                         "Left-handed cursor\n"
                         "✓ Show Caps Lock\n"
                         "Primary layout: Not set\n"
                         "    Use current: ABC [En]\n"
                         "    ---\n"
                         "    ABC [En]\n"
                         "    Dutch [NL]\n"
                         "    Dutch Special [??]\n"
                         "    German [DE]\n"
                         "    Hiragana [JA]\n"
                         "    Pinyin - Simplified [简]\n"
                         "    Russian [Ру]\n"
                         "    Ukrainian [UK]\n"
                         "    Zhuyin - Traditional [繁]\n"
                         "Auto-return: Off\n"
                         "    ✓ Off\n"
                         "    5 seconds\n"
                         "    10 seconds\n"
                         "    30 seconds\n"
                         "    60 seconds\n"
                         "    300 seconds\n"
                         "    ---\n"
                         "    Custom seconds...\n"
                         "---\n"
                         "Reapply for current language ⌘r\n"
                         "Restore OS cursor ⌘s\n"
                         "---\n"
                         "Check for Updates...\n"
                         "Launch at Login\n"
                         "---\n"
                         "Quit ⌘q\n");

    struct Row {
        std::int64_t delay;
        std::string root;
        std::string extra;
    };
    for (const Row& row : {Row{45, "Auto-return: 45 seconds", "    ✓ 45 seconds (disabled)\n"},
                           Row{1, "Auto-return: 1 second", "    ✓ 1 second (disabled)\n"}}) {
        store(CursorPreferences::returnDelayKey, PropertyList(row.delay));
        launch();
        EXPECT_TRUE(outline().find(row.root + "\n") != std::string::npos) << row.delay;
        EXPECT_TRUE(outline().find("    300 seconds\n" + row.extra + "    ---\n") !=
                    std::string::npos)
            << outline();
    }

    // A primary source the system no longer has.
    store(CursorPreferences::primaryInputSourceIDKey, PropertyList("com.apple.keylayout.German"));
    session->inputSources()->uninstall("com.apple.keylayout.German");
    launch();
    EXPECT_NE(outline().find("Primary layout: Unavailable\n"
                             "    Use current: ABC [En]\n"
                             "    Clear primary layout\n"),
              std::string::npos);
    EXPECT_EQ(outline().find("German [DE]"), std::string::npos);
}

// What the items do to the pointer (the style's badge, the mirrored arrow),
// the soak checks after every step.
TEST_F(MenuTest, StylesAndLeftHandednessStartAfreshAndTheOtherItemsDoTheirJob) {
    launch();
    unsigned resets = hardResets();
    ASSERT_TRUE(choose({"Cursor style", "Color dot"}));
    EXPECT_NE(outline().find("    Letter badge\n    ✓ Color dot\n"), std::string::npos);
    EXPECT_EQ(hardResets(), resets + 1);
    // The letter-badge cape is gone; the one file is the new style's.
    EXPECT_EQ(capeFiles(), 1u);
    EXPECT_TRUE(std::filesystem::exists(*capes.capesDirectory() / "com.tolvane.en.dotbadge.cape"));

    resets = hardResets();
    ASSERT_TRUE(choose({"Left-handed cursor"}));
    EXPECT_NE(outline().find("✓ Left-handed cursor\n"), std::string::npos);
    EXPECT_EQ(hardResets(), resets + 1);
    const Lines lines = takeLines();
    for (const char* line : {"[INFO] Style changed globally: style=dotBadge",
                             "[INFO] Cape cache invalidated; next apply will rebuild all payloads",
                             "[INFO] Left-handed mode toggled: true"}) {
        EXPECT_TRUE(contains(lines, line)) << line;
    }

    ASSERT_TRUE(choose({"Check for Updates..."}));
    EXPECT_EQ(updater_->userChecks, 1);
}

// Caps Lock pressed on the session reaches the pointer and the title as a
// layout switch does, without a hard reset; each state keeps its own cape, so
// toggling again writes nothing. With "Show Caps Lock" off the pointer stays.
TEST_F(MenuTest, CapsLockShowsOnThePointerUntilItIsUnlockedOrTheItemIsOff) {
    launch();
    advance(0.5);
    const std::string plain = displayedHash();
    const unsigned resets = hardResets();
    auto pressCapsLock = [&] {
        session->events()->pressCapsLock();
        session->loop()->drain();
    };

    pressCapsLock();
    EXPECT_EQ(title(), "TV [EN\u21EA]");
    const std::string locked = displayedHash();
    EXPECT_NE(locked, plain);
    EXPECT_GT(displayedPixelsOf(fillOf(CursorStyle::letterBadge, "en")), 0);
    EXPECT_TRUE(contains(takeLines(), "[INFO] Caps Lock on the pointer: shown=true "
                                      "trigger=caps-lock-notification"));
    pressCapsLock();
    EXPECT_EQ(title(), "TV [En]");
    EXPECT_EQ(displayedHash(), plain);

    // Both capes are on disk; a second round rewrites neither.
    EXPECT_EQ(capeFiles(), 2u);
    EXPECT_TRUE(
        std::filesystem::exists(*capes.capesDirectory() / "com.tolvane.en.letterbadge.cape"));
    EXPECT_TRUE(std::filesystem::exists(*capes.capesDirectory() /
                                        "com.tolvane.en.letterbadge-capslock.cape"));
    takeLines();
    pressCapsLock();
    EXPECT_EQ(displayedHash(), locked);
    pressCapsLock();
    capes.waitForSaves();
    EXPECT_TRUE(takeLinesStartingWith("CursorCapeStore saved").empty());

    // The item off: Caps Lock no longer reaches the pointer; on again while
    // it is locked, it shows at once.
    ASSERT_TRUE(choose({"Show Caps Lock"}));
    EXPECT_NE(outline().find("\nShow Caps Lock\n"), std::string::npos);
    pressCapsLock();
    advance(0.5);
    EXPECT_EQ(title(), "TV [En]");
    EXPECT_EQ(displayedHash(), plain);
    ASSERT_TRUE(choose({"Show Caps Lock"}));
    EXPECT_EQ(title(), "TV [EN\u21EA]");
    EXPECT_EQ(displayedHash(), locked);
    EXPECT_EQ(hardResets(), resets);
    EXPECT_EQ(session->defaults()->objectForKey(CursorPreferences::showsCapsLockKey),
              PropertyList(true));
}

TEST_F(MenuTest, TheCustomDelayDialogTakesWholeSecondsOnly) {
    launch();
    struct Row {
        std::string typed;
        std::optional<std::int64_t> saved;
    };
    const std::vector<Row> rows{{" 15 ", 15},          {"+15", 15},           {"-5", std::nullopt},
                                {"abc", std::nullopt}, {"1.5", std::nullopt}, {"", std::nullopt},
                                {"999999", 86400}};
    CursorPreferences preferences(*session->defaults(), false);
    for (const Row& row : rows) {
        preferences.setPrimaryInputSourceReturnDelaySeconds(7);
        const int beeps = session->application().beepCount();
        session->application().setAlertResponder(SimApplication::answer("Save", row.typed));
        ASSERT_TRUE(choose({"Auto-return", "Custom seconds..."}));
        // The field offers the current delay.
        EXPECT_EQ(
            session->application().presentedAlerts().back().alert.accessoryTextField->stringValue,
            "7");
        EXPECT_EQ(preferences.primaryInputSourceReturnDelaySeconds(), row.saved.value_or(7))
            << "'" << row.typed << "'";
        EXPECT_EQ(session->application().beepCount(), beeps + (row.saved ? 0 : 1));
        const Lines warnings = takeLinesStartingWith("Auto-return custom delay rejected");
        EXPECT_EQ(warnings.size(), row.saved ? 0u : 1u) << row.typed;
        if (row.saved) {
            EXPECT_NE(outline().find("Auto-return: " + std::to_string(*row.saved) + " seconds\n"),
                      std::string::npos);
        }
    }
    const Alert& dialog = session->application().presentedAlerts().front().alert;
    EXPECT_EQ(dialog.messageText, "Auto-return timer");
    EXPECT_EQ(dialog.informativeText, "Enter delay in seconds. Use 0 to disable automatic return.");
    EXPECT_EQ(dialog.buttonTitles, (std::vector<std::string>{"Save", "Cancel"}));
    EXPECT_EQ(dialog.accessoryTextField->placeholderString, "Seconds");
    // Cancel changes nothing.
    session->application().setAlertResponder(SimApplication::answer("Cancel", "30"));
    ASSERT_TRUE(choose({"Auto-return", "Custom seconds..."}));
    EXPECT_EQ(preferences.primaryInputSourceReturnDelaySeconds(), 86400);
}

class AutoReturnTest : public MenuTest {
  protected:
    // Primary ABC with a 10-second delay; the user is on the primary.
    void SetUp() override {
        store(CursorPreferences::primaryInputSourceIDKey, PropertyList("com.apple.keylayout.ABC"));
        store(CursorPreferences::returnDelayKey, PropertyList(std::int64_t{10}));
        launch();
        log.takeLines();
    }
    SimInputSourceServices& sources() { return *session->inputSources(); }
    double now() { return session->loop()->now(); }
    // Runs the clock in small steps until the keyboard is back on the primary
    // layout or the time is up; returns when that happened.
    std::optional<double> returnTime(double limit) {
        while (now() < limit) {
            advance(0.01);
            if (detectedSource() == "com.apple.keylayout.ABC") {
                return now();
            }
        }
        return std::nullopt;
    }
    std::string detectedSource() {
        return LanguageDetector(sources()).detect().language.sourceID();
    }
    void press(EventType type) { session->events()->recordEvent(type); }
};

TEST_F(AutoReturnTest, TheReturnWaitsForTheDelayAfterTheLastKeyAndTheSelection) {
    // Typing for 12 seconds after the switch: back 10 seconds after the last key.
    sources().switchTo("com.apple.keylayout.Russian");
    double start = now();
    for (int second = 1; second <= 12; ++second) {
        advance(1.0);
        press(second % 2 ? EventType::keyDown : EventType::flagsChanged); // modifiers count too
    }
    std::optional<double> back = returnTime(start + 30);
    ASSERT_TRUE(back);
    EXPECT_NEAR(*back - start, 22.0, 0.02);
    EXPECT_TRUE(contains(takeLines(),
                         "[INFO] Primary layout auto-return postponed: keyboard idle delay not "
                         "satisfied"));

    // Silent at once: back when the source has been selected for 10 seconds.
    sources().switchTo("com.apple.keylayout.Russian");
    start = now();
    back = returnTime(start + 30);
    ASSERT_TRUE(back);
    EXPECT_NEAR(*back - start, 10.0, 0.02);

    // Another non-primary source starts the window again.
    sources().switchTo("com.apple.keylayout.Russian");
    start = now();
    advance(6.0);
    sources().switchTo("com.apple.keylayout.German");
    back = returnTime(start + 30);
    ASSERT_TRUE(back);
    EXPECT_NEAR(*back - start, 16.0, 0.02);

    // Back by hand: nothing is left to do.
    sources().switchTo("com.apple.keylayout.Russian");
    advance(3.0);
    sources().switchTo("com.apple.keylayout.ABC");
    session->loop()->drain();
    const std::size_t requests = sources().selectionRequests().size();
    advance(20.0);
    EXPECT_EQ(sources().selectionRequests().size(), requests);
    EXPECT_TRUE(contains(log.takeLines(), "[DEBUG] Primary layout auto-return not needed: "
                                          "already on primary source"));
}

TEST_F(AutoReturnTest, SettingsThatChangeUnderAPendingTimerCancelIt) {
    struct Row {
        std::function<void()> change;
        std::string line;
    };
    const std::vector<Row> rows{
        {[this] {
             choose({"Auto-return", "Off"});
         },
         ""},
        {[this] { store(CursorPreferences::returnDelayKey, PropertyList(std::int64_t{0})); },
         "[INFO] Primary layout auto-return cancelled: timer disabled"},
        {[this] {
             store(CursorPreferences::primaryInputSourceIDKey,
                   PropertyList("com.apple.keylayout.German"));
         },
         "[INFO] Primary layout auto-return cancelled: primary changed"}};
    for (const Row& row : rows) {
        store(CursorPreferences::primaryInputSourceIDKey, PropertyList("com.apple.keylayout.ABC"));
        store(CursorPreferences::returnDelayKey, PropertyList(std::int64_t{10}));
        sources().switchTo("com.apple.keylayout.Russian");
        advance(2.0);
        row.change();
        log.takeLines();
        const std::size_t requests = sources().selectionRequests().size();
        advance(20.0);
        EXPECT_EQ(sources().selectionRequests().size(), requests) << row.line;
        if (!row.line.empty()) {
            EXPECT_TRUE(contains(takeLines(), row.line)) << row.line;
        }
        sources().switchTo("com.apple.keylayout.ABC");
        advance(1.0);
    }
}

TEST_F(AutoReturnTest, TheSwitchIsConfirmedWhateverTheServicesDo) {
    struct Row {
        Selection outcome;
        std::string line;
    };
    const std::vector<Row> rows{
        {Selection::switchesAndNotifies,
         "[INFO] Primary layout auto-return observed target source: com.apple.keylayout.ABC"},
        // Without a notification the poll sees the switch first.
        {Selection::switchesSilently,
         "[INFO] Primary layout auto-return observed target source: com.apple.keylayout.ABC"},
        {Selection::doesNotSwitch, "[WARN] Primary layout auto-return not observed after "
                                   "selection target=com.apple.keylayout.ABC "
                                   "actual=com.apple.keylayout.Russian"}};
    for (const Row& row : rows) {
        sources().setSelectionOutcome(row.outcome);
        sources().switchTo("com.apple.keylayout.Russian");
        log.takeLines();
        advance(10.7); // the switch is made at 10 s and checked 0.6 s later
        EXPECT_TRUE(contains(takeLines(), row.line)) << row.line;
        sources().setSelectionOutcome(Selection::switchesAndNotifies);
        sources().switchTo("com.apple.keylayout.ABC");
        advance(1.0);
    }
    EXPECT_EQ(title(), "TV [En]");
}

TEST_F(AutoReturnTest, NothingActsOnceTerminationHasBegun) {
    // The switch is asked for at 10 s and not seen; its check is due at 10.6 s.
    sources().setSelectionOutcome(Selection::doesNotSwitch);
    sources().switchTo("com.apple.keylayout.Russian");
    advance(10.1);
    session->application().terminate();
    const testing::CursorContents restored = server.contents(TVWS_SCOPE_GLOBAL);
    const std::size_t requests = sources().selectionRequests().size();
    log.takeLines();
    advance(30.0);
    EXPECT_TRUE(takeLinesStartingWith("Primary layout auto-return").empty());
    EXPECT_EQ(sources().selectionRequests().size(), requests);
    EXPECT_EQ(server.contents(TVWS_SCOPE_GLOBAL), restored);
}

TEST_F(AutoReturnTest, TheWaitNeverGoesBelowAFloor) {
    sources().switchTo("com.apple.keylayout.Russian");
    advance(0.01);
    press(EventType::keyDown); // 9.99 s of idle when the window is over
    log.takeLines();
    advance(10.0);
    const Lines lines = takeLinesStartingWith("Primary layout auto-return scheduled");
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(" delay=10s wait=0.05s keyboardIdle=9.99s "), std::string::npos)
        << lines.back();
}

class LaunchAtLoginTest : public MenuTest {};

TEST_F(LaunchAtLoginTest, TheAgentStartsThisProgramAndTheCheckMarkShowsTheFile) {
    launch();
    const std::filesystem::path agent =
        session->home() / "Library" / "LaunchAgents" / "com.tolvane.app.plist";
    ASSERT_FALSE(std::filesystem::exists(agent.parent_path()));
    ASSERT_TRUE(choose({"Launch at Login"}));
    EXPECT_NE(outline().find("✓ Launch at Login\n"), std::string::npos);
    auto written = PropertyListSerialization::readFile(agent);
    ASSERT_TRUE(written);
    EXPECT_TRUE(testing::readFile(agent).starts_with("<?xml"));
    EXPECT_EQ(*written,
              PropertyList(PropertyList::Dictionary{
                  {"Label", PropertyList("com.tolvane.app")},
                  {"ProgramArguments", PropertyList(PropertyList::Array{PropertyList(
                                           session->bundle().executablePath()->string())})},
                  {"RunAtLoad", PropertyList(true)},
                  {"KeepAlive", PropertyList(false)}}));
    ASSERT_TRUE(choose({"Launch at Login"}));
    EXPECT_FALSE(std::filesystem::exists(agent));
    EXPECT_NE(outline().find("\nLaunch at Login\n"), std::string::npos);
    EXPECT_EQ(takeLinesStartingWith("Launch at Login"),
              (Lines{"[INFO] Launch at Login enabled", "[INFO] Launch at Login disabled"}));

    // Something that cannot be removed stays, and so does the check mark.
    std::filesystem::create_directories(agent / "held");
    launch();
    EXPECT_NE(outline().find("✓ Launch at Login\n"), std::string::npos);
    ASSERT_TRUE(choose({"Launch at Login"}));
    EXPECT_NE(outline().find("✓ Launch at Login\n"), std::string::npos);
    const Lines lines = takeLinesStartingWith("Launch at Login");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with(
        "[WARN] Launch at Login could not be disabled: path=" + agent.string() + " error="));
}

} // namespace
} // namespace tolvane
