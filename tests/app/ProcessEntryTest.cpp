#include "app/ProcessEntry.h"
#include "platform/sim/SimWorkspace.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

struct Terminals {
    bool input = true, output = true, error = true;
};

ProcessContext context(EnvironmentMap variables, Terminals terminals = {},
                       std::vector<std::string> commandLine = {"/opt/tolvane/bin/tolvane", "--flag",
                                                               "value"}) {
    return ProcessContext{Environment(std::move(variables)), std::move(commandLine),
                          [terminals](int descriptor) {
                              return descriptor == 0   ? terminals.input
                                     : descriptor == 1 ? terminals.output
                                                       : terminals.error;
                          },
                          "/home/user"};
}

class RecordingLauncher final : public ProcessLauncher {
public:
    explicit RecordingLauncher(bool succeeds = true) : succeeds_(succeeds) {}
    bool launchDetached(const LaunchRequest& request) override {
        requests.push_back(request);
        return succeeds_;
    }
    std::vector<LaunchRequest> requests;

private:
    bool succeeds_;
};

TEST(DetachedRelaunch, HappensOnlyWhenForcedUnvetoedAndAttachedToATerminal) {
    struct Case {
        EnvironmentMap variables;
        Terminals terminals;
        bool relaunches;
    };
    const Case cases[] = {
        {{{"HOME", "/home/user"}}, {}, false}, // opt-in only
        {{}, {}, false},                       // empty environment
        {{{"TOLVANE_FORCE_DETACH", "TRUE"}}, {}, true},
        {{{"TOLVANE_FORCE_DETACH", "1"}}, {}, true},
        {{{"TOLVANE_FORCE_DETACH", "yes"}}, {}, false},
        {{{"TOLVANE_FORCE_DETACH", "0"}}, {}, false},
        {{{"TOLVANE_FORCE_DETACH", "tRuE"}}, {}, true},
        {{{"TOLVANE_FORCE_DETACH", " 1"}}, {}, false},
        {{{"TOLVANE_FORCE_DETACH", "true "}}, {}, false},
        {{{"TOLVANE_FORCE_DETACH", "1"}, {"TOLVANE_DETACHED", "1"}}, {}, false},
        {{{"TOLVANE_FORCE_DETACH", "1"}, {"TOLVANE_DETACHED", "true"}}, {}, true},
        {{{"TOLVANE_FORCE_DETACH", "1"}, {"TOLVANE_NO_DETACH", "true"}}, {}, false},
        {{{"TOLVANE_FORCE_DETACH", "1"}}, {false, false, false}, false},
        {{{"TOLVANE_FORCE_DETACH", "1"}}, {false, false, true}, true}, // only stderr
        {{{"TOLVANE_FORCE_DETACH", "1"}}, {true, false, false}, true},
    };
    for (const auto& test : cases) {
        auto request = detachedRelaunchRequest(context(test.variables, test.terminals));
        EXPECT_EQ(request.has_value(), test.relaunches)
            << "FORCE=" << Environment(test.variables).value("TOLVANE_FORCE_DETACH").value_or("-");
    }
    EXPECT_FALSE(detachedRelaunchRequest(context({{"TOLVANE_FORCE_DETACH", "1"}}, {}, {})));
}

TEST(DetachedRelaunch, ChildKeepsTheUserArgumentsAndEnvironmentAndIsMarkedDetached) {
    auto request = detachedRelaunchRequest(
        context({{"TOLVANE_FORCE_DETACH", "1"}, {"TOLVANE_DETACHED", "0"}, {"LANG", "ru_RU.UTF-8"}}));
    ASSERT_TRUE(request);
    EXPECT_EQ(request->executable, "/opt/tolvane/bin/tolvane");
    EXPECT_EQ(request->arguments, (std::vector<std::string>{"--flag", "value"}));
    EXPECT_EQ(request->environment, (EnvironmentMap{{"TOLVANE_FORCE_DETACH", "1"},
                                                    {"TOLVANE_DETACHED", "1"},
                                                    {"LANG", "ru_RU.UTF-8"}}));

    auto relative = detachedRelaunchRequest(
        context({{"TOLVANE_FORCE_DETACH", "1"}}, {}, {"build/tolvane"}));
    ASSERT_TRUE(relative);
    EXPECT_EQ(relative->executable, "/home/user/build/tolvane");
    EXPECT_TRUE(relative->arguments.empty());
}

TEST(DetachedRelaunch, OnlyASuccessfulLaunchHidesTheTerminalApplicationsUnlessAskedToKeepThem) {
    SimWorkspace workspace;
    auto terminal = workspace.launch("com.apple.Terminal");
    auto iterm = workspace.launch("com.googlecode.iterm2");
    auto secondTerminal = workspace.launch("com.apple.Terminal", /*refusesToHide=*/true);
    auto editor = workspace.launch("com.example.Editor");

    // A failed launch leaves this process running and the terminal visible.
    RecordingLauncher failing(false);
    EXPECT_FALSE(relaunchDetachedIfNeeded(context({{"TOLVANE_FORCE_DETACH", "1"}}), failing, workspace));
    EXPECT_EQ(failing.requests.size(), 1u);
    EXPECT_FALSE(terminal->isHidden());

    RecordingLauncher launcher;
    EXPECT_TRUE(relaunchDetachedIfNeeded(
        context({{"TOLVANE_FORCE_DETACH", "1"}, {"TOLVANE_KEEP_TERMINAL", "1"}}), launcher,
        workspace));
    EXPECT_FALSE(terminal->isHidden());
    EXPECT_EQ(launcher.requests.size(), 1u);

    EXPECT_TRUE(relaunchDetachedIfNeeded(context({{"TOLVANE_FORCE_DETACH", "1"}}), launcher, workspace));
    EXPECT_TRUE(terminal->isHidden());
    EXPECT_TRUE(iterm->isHidden());
    EXPECT_EQ(secondTerminal->hideRequests(), 1); // asked even though it refuses
    EXPECT_FALSE(editor->isHidden());
    EXPECT_EQ(editor->hideRequests(), 0);
}

} // namespace
} // namespace tolvane
