#include "platform/FileIO.h"

#include "support/TemporaryDirectory.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace tolvane {
namespace {

using testing::TemporaryDirectory;

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileIOTest, AtomicWriteReplacesTheFileOrLeavesItAlone) {
    TemporaryDirectory folder;
    auto path = folder / "agent.plist";
    ASSERT_TRUE(atomicWrite(path, bytesOf("first, longer")).ok());
    ASSERT_TRUE(atomicWrite(path, bytesOf("second")).ok());
    EXPECT_EQ(testing::readFile(path), "second");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    mode_t mask = ::umask(0);
    ::umask(mask);
    // The permissions of any new file, not those of a private temporary one.
    EXPECT_EQ(status.st_mode & 0066u, 0066u & ~mask);
    // A file made private stays so when replaced.
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    ASSERT_TRUE(atomicWrite(path, bytesOf("third")).ok());
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777u, 0600u);

    auto missingFolder = folder / "missing" / "file.plist";
    EXPECT_EQ(atomicWrite(missingFolder, bytesOf("x")).error(),
              "cannot create a temporary file for " + missingFolder.string() +
                  ": No such file or directory");

    std::filesystem::create_directory(folder / "taken");
    testing::writeFile(folder / "taken" / "keep", "kept");
    auto overFolder = atomicWrite(folder / "taken", bytesOf("x"));
    ASSERT_FALSE(overFolder.ok());
    EXPECT_NE(overFolder.error().find("cannot replace " + (folder / "taken").string()),
              std::string::npos);
    EXPECT_EQ(testing::readFile(folder / "taken" / "keep"), "kept");
    EXPECT_FALSE(atomicWrite(folder.path() / "", bytesOf("x")).ok());
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"agent.plist", "taken"}));

    // Temporary files of writers that were killed go with the next write;
    // those of running writers (this one, process 1) and other names stay.
    // No process has a number above the kernel's limit of 4194304.
    const std::string own = ".agent.plist.tmp-" + std::to_string(::getpid()) + "-999";
    for (const std::string& name :
         {own, std::string(".agent.plist.tmp-1-5"), std::string(".agent.plist.tmp-4194305-0"),
          std::string(".agent.plist.tmp-x-1")}) {
        testing::writeFile(folder / name, "partial");
    }
    ASSERT_TRUE(atomicWrite(path, bytesOf("fourth")).ok());
    EXPECT_EQ(namesIn(folder.path()),
              (std::vector<std::string>{".agent.plist.tmp-1-5", own, ".agent.plist.tmp-x-1",
                                        "agent.plist", "taken"}));
}

TEST(FileIOTest, ReadingRefusesLargeFilesFoldersAndPipes) {
    TemporaryDirectory folder;
    testing::writeFile(folder / "ten", "0123456789");
    EXPECT_EQ(readFileContents(folder / "ten", 10).value(), bytesOf("0123456789"));
    EXPECT_EQ(readFileContents(folder / "ten", 9).error(),
              "file too large: " + (folder / "ten").string() + " has 10 bytes, the limit is 9");
    EXPECT_TRUE(readFileContents(folder / "none", 10).failure().isFileNotFound());
    EXPECT_EQ(readFileContents(folder.path(), 10).error(),
              "not a regular file: " + folder.path().string());

    // Opening a pipe with no writer must not hang.
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(readFileContents(folder / "pipe", 10).error(),
              "not a regular file: " + (folder / "pipe").string());
}

} // namespace
} // namespace tolvane
