// Alerts as zenity dialogs, with a stand-in zenity first on PATH that records
// its arguments and answers as each case tells it; no display is needed.
#include "platform/x11/ZenityDialogs.h"

#include "support/LogCapture.h"
#include "support/TemporaryDirectory.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tolvane;
using tolvane::testing::LogCapture;
using tolvane::testing::TemporaryDirectory;

namespace {

// Records its arguments, NUL-separated; then either answers with the line it
// reads from FAKE_ZENITY_WAIT, or prints FAKE_ZENITY_OUTPUT and exits with
// FAKE_ZENITY_STATUS ("esc": the status zenity was told to give for Escape).
constexpr const char* fakeZenity = R"(#!/bin/sh
printf '%s\0' "$@" > "$FAKE_ZENITY_ARGUMENTS"
if [ -n "$FAKE_ZENITY_WAIT" ]; then
  read -r line < "$FAKE_ZENITY_WAIT"
  printf '%s\n' "$line"
  exit 0
fi
printf '%s' "$FAKE_ZENITY_OUTPUT"
case "$FAKE_ZENITY_STATUS" in
  esc) exit "$ZENITY_ESC" ;;
  *) exit "$FAKE_ZENITY_STATUS" ;;
esac
)";

struct FakeZenity {
    FakeZenity() {
        tolvane::testing::writeFile(folder / "zenity", fakeZenity);
        std::filesystem::permissions(folder / "zenity", std::filesystem::perms::owner_all);
    }
    EnvironmentMap environment(EnvironmentMap more) const {
        more["PATH"] = folder.path().string();
        more["FAKE_ZENITY_ARGUMENTS"] = (folder / "arguments").string();
        return more;
    }
    std::vector<std::string> arguments() const {
        std::vector<std::string> result;
        const std::string recorded = tolvane::testing::readFile(folder / "arguments");
        for (std::size_t start = 0; start < recorded.size();) {
            const std::size_t end = recorded.find('\0', start);
            result.push_back(recorded.substr(start, end - start));
            start = end + 1;
        }
        return result;
    }
    TemporaryDirectory folder;
};

Alert delayAlert() {
    Alert alert;
    alert.messageText = "Auto-return timer";
    alert.informativeText = "Enter delay in seconds. Use 0 to disable automatic return.";
    alert.style = AlertStyle::informational;
    alert.accessoryTextField = TextField{"7", "Seconds", {}};
    alert.buttonTitles = {"Save", "Cancel"};
    return alert;
}

Alert messageAlert(std::string message, std::string informative, AlertStyle style,
                   std::vector<std::string> buttons) {
    Alert alert;
    alert.messageText = std::move(message);
    alert.informativeText = std::move(informative);
    alert.style = style;
    alert.buttonTitles = std::move(buttons);
    return alert;
}

TEST(ZenityDialogsTest, AlertsBecomeZenityArgumentsAndItsAnswersBecomeResponses) {
    struct Case {
        const char* name;
        Alert alert;
        const char* status;
        const char* output;
        std::vector<std::string> arguments;
        ModalResponse response;
        std::optional<std::string> field;
    };
    Alert underscored = delayAlert();
    underscored.informativeText = "Use_0 \\n to stop";
    const std::string notes = "<b>Faster</b> & \"smaller\" \\n";
    const std::vector<Case> cases{
        {"delay saved",
         delayAlert(),
         "0",
         "12\n",
         {"--entry", "--title=Auto-return timer",
          "--text=Enter delay in seconds. Use 0 to disable automatic return.", "--entry-text=7",
          "--ok-label=Save", "--cancel-label=Cancel"},
         Alert::firstButtonReturn,
         "12"},
        {"delay cancelled", delayAlert(), "1", "", {}, Alert::secondButtonReturn, "7"},
        {"delay escaped", delayAlert(), "esc", "", {}, 0, "7"},
        {"label escapes",
         underscored,
         "0",
         "\n",
         {"--entry", "--title=Auto-return timer", "--text=Use__0 \\\\n to stop", "--entry-text=7",
          "--ok-label=Save", "--cancel-label=Cancel"},
         Alert::firstButtonReturn,
         ""},
        {"update notes as plain text",
         messageAlert("A new version of Tolvane is available!", notes, AlertStyle::informational,
                      {"OK"}),
         "0",
         "",
         {"--info", "--no-markup", "--title=A new version of Tolvane is available!",
          "--text=" + notes, "--ok-label=OK"},
         Alert::firstButtonReturn,
         std::nullopt},
        {"warning closed",
         messageAlert("Update check failed", "", AlertStyle::warning, {"OK"}),
         "esc",
         "",
         {"--warning", "--no-markup", "--title=Update check failed", "--text=Update check failed",
          "--ok-label=OK"},
         0,
         std::nullopt},
        {"third button",
         messageAlert("Replace?", "It exists.", AlertStyle::critical, {"Replace", "Keep", "Ask"}),
         "esc",
         "Ask\n",
         {"--question", "--no-markup", "--title=Replace?", "--text=It exists.",
          "--ok-label=Replace", "--cancel-label=Keep", "--extra-button=Ask"},
         Alert::thirdButtonReturn,
         std::nullopt},
        {"second of three",
         messageAlert("Replace?", "It exists.", AlertStyle::critical, {"Replace", "Keep", "Ask"}),
         "1",
         "",
         {},
         Alert::secondButtonReturn,
         std::nullopt},
        {"program failed", delayAlert(), "255", "", {}, 0, "7"},
    };
    LogCapture log;
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        FakeZenity zenity;
        ZenityDialogs dialogs(
            RunLoop::create(std::make_shared<RealClock>()),
            Environment(zenity.environment(
                {{"FAKE_ZENITY_STATUS", row.status}, {"FAKE_ZENITY_OUTPUT", row.output}})));
        Alert alert = row.alert;
        EXPECT_EQ(dialogs.run(alert, [] { return false; }), row.response);
        if (!row.arguments.empty()) {
            EXPECT_EQ(zenity.arguments(), row.arguments);
        }
        EXPECT_EQ(alert.accessoryTextField ? std::optional(alert.accessoryTextField->stringValue)
                                           : std::nullopt,
                  row.field);
    }
    EXPECT_EQ(log.takeLinesStartingWith("Dialog program failed with status 255").size(), 1u);
}

// A dialog that answers only with what is written to its pipe, "answer".
class WaitingDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(mkfifo(answer.c_str(), 0600), 0); }

    FakeZenity zenity;
    const std::filesystem::path answer = zenity.folder / "answer";
    std::shared_ptr<RunLoop> loop = RunLoop::create(std::make_shared<RealClock>());
    ZenityDialogs dialogs{loop,
                          Environment(zenity.environment({{"FAKE_ZENITY_WAIT", answer.string()}}))};
};

// Only a timer of the main loop fills the pipe: the dialog can end only if the
// loop runs while it is open.
TEST_F(WaitingDialogTest, TheMainLoopRunsWhileTheDialogIsOpen) {
    int timerRuns = 0;
    loop->after(0.01, [&] {
        ++timerRuns;
        tolvane::testing::writeFile(answer, "30\n"); // blocks until the dialog reads
    });

    Alert alert = delayAlert();
    EXPECT_EQ(dialogs.run(alert, [] { return false; }), Alert::firstButtonReturn);
    EXPECT_EQ(timerRuns, 1);
    EXPECT_EQ(alert.accessoryTextField->stringValue, "30");
}

TEST_F(WaitingDialogTest, AnAlertOpenAtTerminationEndsUnansweredAndItsDialogGoes) {
    bool terminated = false;
    // Terminates once the dialog is waiting for its answer.
    loop->every(0.01, [&] {
        if (!zenity.arguments().empty() && !terminated) {
            terminated = true;
            loop->stop();
        }
    });

    Alert alert = delayAlert();
    EXPECT_EQ(dialogs.run(alert, [&] { return terminated; }), 0);
    EXPECT_EQ(alert.accessoryTextField->stringValue, "7");
    // Nobody is left to read the answer.
    const int writer = open(answer.c_str(), O_WRONLY | O_NONBLOCK);
    EXPECT_EQ(writer, -1);
    EXPECT_EQ(errno, ENXIO);
}

TEST(ZenityDialogsTest, WithoutZenityAlertsAreAnsweredCancelAndTheLogSaysSoOnce) {
    LogCapture log;
    const TemporaryDirectory emptyFolder;
    ZenityDialogs dialogs(RunLoop::create(std::make_shared<RealClock>()),
                          Environment({{"PATH", emptyFolder.path().string()}}));
    Alert delay = delayAlert();
    Alert update = messageAlert("You're up to date!", "", AlertStyle::informational, {"OK"});
    EXPECT_EQ(dialogs.run(delay, [] { return false; }), Alert::secondButtonReturn);
    EXPECT_EQ(dialogs.run(update, [] { return false; }), 0);
    EXPECT_EQ(log.takeLinesStartingWith("No dialog program: zenity is not on PATH").size(), 1u);
}

} // namespace
