#include "support/ChildProcess.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

// What the program says to the options that answer without running it, and
// to a command line it cannot read: it prints, exits with the status, and
// starts nothing (no log, no session folder).
TEST(ProgramCommandLine, AnswersHelpAndVersionAndRefusesWhatItDoesNotKnow) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string output; // a line the program prints
    };
    const std::string usage = "Usage: tolvane [--session=x11|sim] [--restore]";
    const Case cases[] = {
        {{"--help"}, 0, usage},
        {{"--session=sim", "-h"}, 0, usage},
        {{"--version"}, 0, "Tolvane " TOLVANE_PROJECT_VERSION},
        {{"--verbose"}, 2, "tolvane: unknown option '--verbose'"},
        {{"--session=wayland"}, 2, "tolvane: unknown session 'wayland' (x11 or sim)"},
        {{"--session=x11", "extra"}, 2, "tolvane: unknown option 'extra'"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.arguments.front());
        testing::TemporaryDirectory folder;
        const auto output = folder / "output.txt";
        std::vector<std::string> command{TOLVANE_EXECUTABLE};
        command.insert(command.end(), test.arguments.begin(), test.arguments.end());
        const int status = testing::ChildProcess::run(
            command, {{{"HOME", folder.path().string()},
                       {"XDG_DATA_HOME", folder.path().string()},
                       {"TOLVANE_LOG_FILE", (folder / "Tolvane.log").string()}},
                      output});
        EXPECT_EQ(status, test.status);
        const std::string printed = testing::readFile(output);
        EXPECT_NE(printed.find(test.output + "\n"), std::string::npos) << printed;
        if (test.status == 2) {
            EXPECT_NE(printed.find(usage), std::string::npos);
        }
        EXPECT_FALSE(std::filesystem::exists(folder / "Tolvane.log"));
        EXPECT_FALSE(std::filesystem::exists(folder / "tolvane"));
    }
}

} // namespace
} // namespace tolvane
