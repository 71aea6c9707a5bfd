// The application on the simulated session: launch, layout switches, what keeps
// the badge in place, and termination.
#include "TrayAppFixture.h"
#include "app/ProcessEntry.h"
#include "desk/DeskModel.h"
#include "platform/sim/SimInputSourceServices.h"

#include <csignal>

namespace tolvane {
namespace {

using testing::contains;
using testing::indexOf;
using testing::Lines;
using testing::TrayAppTest;

class LaunchedAppTest : public TrayAppTest {
  protected:
    // The user's own pointer colours, set in the Accessibility settings.
    void customizePointerColours() {
        auto& domain = *session->preferenceDomain(testing::accessibilityDomain);
        domain.setValue("cursorIsCustomized", PropertyList(true));
        domain.setValue("cursorFill", PropertyList(PropertyList::Data{1, 2, 3, 4}));
        ASSERT_TRUE(domain.synchronize());
        userColours = testing::readFile(accessibilityFile());
    }
    std::filesystem::path accessibilityFile() {
        return session->folders()->preferencesDirectory() /
               (std::string(testing::accessibilityDomain) + ".plist");
    }
    std::string userColours;
};

TEST_F(LaunchedAppTest, LaunchTakesTheOverrideResetsThenCapturesAndDecoratesThePointer) {
    customizePointerColours();
    const testing::CursorContents system = server.contents(TVWS_SCOPE_GLOBAL);
    launch();
    const Lines lines = takeLines();
    const std::vector<std::string> order{
        "[WARN] Applied temporary cursor accessibility override",
        "[INFO] Accessibility cursor override active=true",
        "[INFO] hardResetSystemCursors completed.",
        "[INFO] Startup hard reset before controller init: true",
        "[INFO] SystemCursorController init.",
        "[INFO] captureOriginalCursors completed. captured=99",
        "[INFO] Tolvane launch. logFile=" + AppLog::filePath().string() +
            " verbose=true runtimeAvailable=true verified=true",
        "[INFO] Sparkle updater initialized",
        "[INFO] Sparkle launch background check requested",
        "[INFO] Input source observer installed: "
        "com.apple.Carbon.TISNotifySelectedKeyboardInputSourceChanged",
        "[INFO] Input source polling fallback started: interval=0.25s",
        "[INFO] Cursor seed watchdog disabled (set TOLVANE_ENABLE_SEED_WATCHDOG=1 to enable)",
        "[INFO] Applying cursor for language=en badge=En style=letterBadge marker=custom",
        "[INFO] Apply requested trigger=launch force=true languageChanged=true "
        "sourceChanged=true prevCode=nil newCode=en prevSource=nil "
        "newSource=com.apple.keylayout.ABC applied=true"};
    std::ptrdiff_t previous = -1;
    for (const std::string& line : order) {
        const std::ptrdiff_t index = indexOf(lines, line);
        EXPECT_GT(index, previous) << line;
        previous = index;
    }
    EXPECT_EQ(updater_->backgroundChecks, 1);
    EXPECT_EQ(title(), "TV [En]");
    // The decorated pointer the soak checks after every launch. The baseline
    // is the system's own: a restore gives it back exactly.
    session->application().terminate();
    EXPECT_EQ(server.contents(TVWS_SCOPE_GLOBAL), system);
    EXPECT_EQ(testing::readFile(accessibilityFile()), userColours);
}

// How the window server refuses a launch, and what the log says about it.
struct Refusal {
    TVWSFunction function;
    std::int32_t status;
    std::string reason;
};

class RefusedLaunchTest : public testing::TrayAppTest,
                          public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedLaunchTest, IsFinishedAtAPollOnceTheWindowServerWorks) {
    const testing::CursorContents system = server.contents(TVWS_SCOPE_GLOBAL);
    server.injectFault(GetParam().function, TVWS_FAULT_STATUS, GetParam().status);
    launch();
    EXPECT_TRUE(contains(takeLines(), "[WARN] Baseline capture skipped: " + GetParam().reason +
                                          "; retrying at the next refresh"));
    server.clearFaults();
    // Idle polls leave the window server alone for two seconds after a try.
    advance(1.5);
    EXPECT_TRUE(takeLinesStartingWith("Launch resumed").empty());
    advance(1.0);
    EXPECT_EQ(takeLinesStartingWith("Launch resumed"),
              Lines{"[INFO] Launch resumed on the window server: trigger=poll "
                    "runtimeAvailable=true verified=true"});
    EXPECT_GT(displayedPixelsOf(fillOf(CursorStyle::letterBadge, "en")), 0);
    session->application().terminate();
    EXPECT_EQ(server.contents(TVWS_SCOPE_GLOBAL), system);
}

INSTANTIATE_TEST_SUITE_P(
    NoConnectionOrNoReset, RefusedLaunchTest,
    ::testing::Values(Refusal{TVWS_FN_MAIN_CONNECTION_ID, 0, "no main connection"},
                      Refusal{TVWS_FN_CORE_CURSOR_UNREGISTER_ALL, 1000, "hard reset did not take"}));

TEST_F(LaunchedAppTest, ThePointerFollowsEverySwitchAndAnUnchangedPollCostsNothing) {
    launch();
    // The soak checks the pointer after every switch; here, how soon the
    // poll finds one without a notification.
    auto& sources = *session->inputSources();
    sources.switchWithoutNotification("com.apple.keylayout.German");
    advance(0.25);
    EXPECT_EQ(title(), "TV [DE]");
    EXPECT_GT(displayedPixelsOf(fillOf(CursorStyle::letterBadge, "de")), 0);

    // Nothing changed: once the launch's re-activations are done, no
    // window-server call at all.
    advance(0.1);
    const std::size_t calls = server.journal().size();
    log.takeLines();
    advance(1.0);
    EXPECT_EQ(server.journal().size(), calls);
    EXPECT_EQ(takeLinesStartingWith("Apply skipped"),
              Lines(4, "[DEBUG] Apply skipped trigger=poll code/source unchanged"));

    // Another layout of the same language still applies.
    sources.install(SimInputSourceServices::keyboardSource(
        "com.example.keylayout.German2", "German II", std::vector<std::string>{"de"}));
    sources.switchTo("com.example.keylayout.German2");
    session->loop()->drain();
    EXPECT_TRUE(contains(takeLines(),
                         "[INFO] Apply requested trigger=input-source-notification force=false "
                         "languageChanged=false sourceChanged=true prevCode=de newCode=de "
                         "prevSource=com.apple.keylayout.German "
                         "newSource=com.example.keylayout.German2 applied=true"));
}

TEST_F(LaunchedAppTest, StabilizationReappliesComeAtTheirTimesUntilANewApplyCancelsThem) {
    // Without the cursor's data no apply can be seen to change it.
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_STATUS, 1000);
    launch();
    // Each reapply comes exactly at its time after the launch, not before.
    const double start = session->loop()->now();
    log.takeLines();
    for (double due : {0.45, 1.45, 3.25}) {
        session->loop()->runUntil(start + due - 0.01);
        EXPECT_TRUE(takeLinesStartingWith("Stabilization reapply").empty()) << due;
        session->loop()->runUntil(start + due);
        EXPECT_EQ(takeLinesStartingWith("Stabilization reapply").size(), 1u) << due;
    }
    advance(5.0);
    EXPECT_TRUE(takeLinesStartingWith("Stabilization reapply").empty());

    // A switch before the first reapply cancels the chain of the earlier apply.
    session->inputSources()->switchTo("com.apple.keylayout.Russian");
    advance(0.3);
    session->inputSources()->switchTo("com.apple.keylayout.German");
    advance(0.3);
    log.takeLines();
    advance(0.3);
    EXPECT_TRUE(takeLinesStartingWith("Stabilization reapply attempt=1 language=ru").empty());
}

TEST_F(LaunchedAppTest, TheWatchdogAbsorbsItsOwnChangesAndReappliesAfterAForeignOne) {
    launch({{"TOLVANE_ENABLE_SEED_WATCHDOG", "Yes"}});
    const std::string decorated = displayedHash();
    // Within a second of an apply a change is taken as the application's own.
    advance(0.4);
    server.simulateForeignCursorChange("com.apple.coregraphics.IBeam");
    advance(0.4);
    EXPECT_TRUE(takeLinesStartingWith("Cursor seed watchdog detected").empty());
    // Later, another application's cursor is answered by one reapply.
    advance(1.0);
    server.simulateForeignCursorChange("com.apple.coregraphics.Crosshair");
    advance(3.0);
    EXPECT_EQ(takeLinesStartingWith("Cursor seed watchdog detected").size(), 1u);
    EXPECT_EQ(displayedHash(), decorated);

    // After "Restore OS cursor" the system's cursors stay for five seconds.
    app->restoreSystemCursors();
    EXPECT_EQ(title(), "TV [En]");
    advance(2.0);
    server.simulateForeignCursorChange("com.apple.coregraphics.IBeam");
    advance(2.0);
    EXPECT_TRUE(takeLinesStartingWith("Cursor seed watchdog detected").empty());
    advance(2.0);
    server.simulateForeignCursorChange("com.apple.coregraphics.Crosshair");
    advance(0.4);
    EXPECT_EQ(takeLinesStartingWith("Cursor seed watchdog detected").size(), 1u);
}

TEST_F(LaunchedAppTest, OwnReappliesNeverWakeTheWatchdogAndARestoreStopsThem) {
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_STATUS, 1000);
    launch({{"TOLVANE_ENABLE_SEED_WATCHDOG", "1"}});
    advance(10.0); // the three stabilization reapplies
    EXPECT_TRUE(takeLinesStartingWith("Cursor seed watchdog detected").empty());

    // A restore with reapplies pending: the system's cursors stay.
    const testing::CursorContents decoratedBefore = server.contents(TVWS_SCOPE_GLOBAL);
    app->forceApply();
    app->restoreSystemCursors();
    const testing::CursorContents restored = server.contents(TVWS_SCOPE_GLOBAL);
    advance(4.0);
    EXPECT_EQ(server.contents(TVWS_SCOPE_GLOBAL), restored);
    EXPECT_NE(restored, decoratedBefore);
    EXPECT_TRUE(takeLinesStartingWith("Stabilization reapply").empty());
}

TEST_F(LaunchedAppTest, TheSystemStyleShowsTheSystemCursorsWithoutReapplies) {
    ASSERT_TRUE(
        session->defaults()->setObject(CursorPreferences::globalStyleKey, PropertyList("system")));
    const testing::CursorContents system = server.contents(TVWS_SCOPE_GLOBAL);
    launch();
    session->inputSources()->switchTo("com.apple.keylayout.Russian");
    advance(4.0);
    EXPECT_EQ(title(), "TV [Ру]");
    EXPECT_EQ(server.contents(TVWS_SCOPE_GLOBAL), system);
    const Lines lines = takeLines();
    EXPECT_TRUE(contains(lines, "[INFO] Applying cursor for language=ru badge=Ру style=system "
                                "marker=system"));
    EXPECT_EQ(indexOf(lines, "[INFO] Stabilization reapply"), -1);
}

// Termination with work pending or waiting on the main loop behind it: the
// restore is the last change, whatever the work.
class TerminationTest : public LaunchedAppTest,
                        public ::testing::WithParamInterface<std::string> {};

TEST_P(TerminationTest, LeavesTheUsersSettingsAndTheSystemsCursorsAsTheyWere) {
    customizePointerColours();
    ASSERT_TRUE(runtime.setCursorScale(TVWS_MAIN_CONNECTION_ID, 1.25f)); // the user's own
    const testing::CursorContents system = server.contents(TVWS_SCOPE_GLOBAL);
    const std::string userDefaults = testing::readFile(session->defaults()->plistPath());
    SimApplication& application = session->application();
    installGracefulTerminationHandlers(*session->loop(), application);
    DeskChannel channel;
    DeskModel desk(*session, channel, AppLog::filePath());
    // A click on the desk's menu, by indexes down the submenus, reaches the
    // main loop as a task, as the desk's server hands it over.
    const auto clickOnDesk = [&](std::vector<int> path) {
        session->loop()->post(
            [&desk, path] { EXPECT_EQ(desk.chooseMenuItem(path), std::nullopt); });
    };
    if (GetParam() == "TimersPending") {
        // Without the cursor's data no apply can be seen to change it: a
        // stabilization reapply is due when the application terminates.
        server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_STATUS, 1000);
        launch({{"TOLVANE_ENABLE_SEED_WATCHDOG", "1"}});
        advance(0.2);
        application.terminate();
    } else if (GetParam() == "SignalPendingAtStart") {
        makeApp();
        std::raise(SIGTERM); // blocked, so it waits for the run loop
        EXPECT_EQ(application.run(), 0);
    } else if (GetParam() == "QuitThenReapplyOnTheDesk") {
        launch();
        clickOnDesk({12}); // "Quit"
        clickOnDesk({6});  // "Reapply for current language", at once
        session->loop()->run();
    } else { // "DialogAnsweredWhileQuitting"
        launch();
        application.setAlertResponder([&](Alert& alert) {
            application.terminate();
            return SimApplication::answer("Save", "45")(alert);
        });
        clickOnDesk({4, 7}); // "Auto-return", "Custom seconds..."
        session->loop()->run();
    }
    // Nothing left behind runs later either.
    const std::size_t calls = server.journal().size();
    advance(10.0);
    EXPECT_EQ(server.journal().size(), calls);
    EXPECT_EQ(session->inputSources()->observerCount(), 0u);
    EXPECT_TRUE(contains(takeLines(), "[INFO] Termination restoreOriginal: true"));
    EXPECT_TRUE(server.contents(TVWS_SCOPE_GLOBAL) == system) << "decorated after the restore";
    EXPECT_EQ(server.scale(), 1.25f);
    EXPECT_EQ(testing::readFile(accessibilityFile()), userColours);
    EXPECT_EQ(testing::readFile(session->defaults()->plistPath()), userDefaults);
    const auto support = *session->folders()->applicationSupportDirectory() / "Tolvane";
    EXPECT_FALSE(std::filesystem::exists(support / "cursor_accessibility_backup.plist"));
    EXPECT_FALSE(std::filesystem::exists(support / "cursor_scale_backup.plist"));
}

INSTANTIATE_TEST_SUITE_P(WithWorkQueued, TerminationTest,
                         ::testing::Values("TimersPending", "SignalPendingAtStart",
                                           "QuitThenReapplyOnTheDesk",
                                           "DialogAnsweredWhileQuitting"),
                         [](const auto& ending) { return ending.param; });

} // namespace
} // namespace tolvane
