#include "platform/ProcessLauncher.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <sstream>
#include <thread>

namespace tolvane {
namespace {

using testing::TemporaryDirectory;

// The child runs on its own; wait (bounded) for the file it writes last.
std::string waitForFile(const std::filesystem::path& path) {
    for (int attempt = 0; attempt < 1000 && !std::filesystem::exists(path); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return testing::readFile(path);
}

TEST(PosixProcessLauncher, ChildGetsItsArgumentsEnvironmentOwnSessionAndNullStreams) {
    TemporaryDirectory folder;
    auto report = folder / "report";
    std::string script =
        "out=\"$1\"; o=$(readlink /proc/$$/fd/1); read -r pid comm state ppid pgrp session rest < /proc/$$/stat; "
        "{ echo \"args=$2|$3\"; echo \"var=$TOLVANE_X\"; "
        "echo \"own-session=$([ \"$pid\" = \"$session\" ] && echo yes || echo no)\"; "
        "echo \"stdin=$(readlink /proc/$$/fd/0)\"; echo \"stdout=$o\"; "
        "echo \"stderr=$(readlink /proc/$$/fd/2)\"; } > \"$out.tmp\"; mv \"$out.tmp\" \"$out\"";
    PosixProcessLauncher launcher;
    ASSERT_TRUE(launcher.launchDetached(
        {"/bin/sh", {"-c", script, "sh", report.string(), "first arg", "second"}, {{"TOLVANE_X", "42"}}}));

    std::string content = waitForFile(report);
    EXPECT_NE(content.find("args=first arg|second\n"), std::string::npos) << content;
    EXPECT_NE(content.find("var=42\n"), std::string::npos) << content;
    EXPECT_NE(content.find("own-session=yes\n"), std::string::npos) << content;
    EXPECT_NE(content.find("stdin=/dev/null\n"), std::string::npos) << content;
    EXPECT_NE(content.find("stdout=/dev/null\n"), std::string::npos) << content;
    EXPECT_NE(content.find("stderr=/dev/null\n"), std::string::npos) << content;
}

TEST(PosixProcessLauncher, ReportsAProgramThatCannotStart) {
    TemporaryDirectory folder;
    PosixProcessLauncher launcher;
    EXPECT_FALSE(launcher.launchDetached({folder / "missing", {}, {}}));
    testing::writeFile(folder / "not-executable", "#!/bin/sh\n");
    EXPECT_FALSE(launcher.launchDetached({folder / "not-executable", {}, {}}));
}

} // namespace
} // namespace tolvane
