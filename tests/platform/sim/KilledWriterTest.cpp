// A writer killed at any moment leaves a file with its old or its new
// content, never a mix or a truncation, and its temporary files do not pile up.
#include "platform/FileIO.h"
#include "platform/sim/SimDefaultsStore.h"
#include "support/TemporaryDirectory.h"

#include <chrono>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tolvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Two contents of half a megabyte that differ in length and in every byte.
Bytes content(std::uint8_t tag) {
    Bytes bytes((512u + tag * 4u) * 1024u);
    for (std::size_t index = 0; index < bytes.size(); ++index) {
        bytes[index] = static_cast<std::uint8_t>(index * 7 + tag);
    }
    return bytes;
}

std::size_t temporaryFilesOf(const std::filesystem::path& file) {
    const std::string prefix = "." + file.filename().string() + ".tmp-";
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
        count += entry.path().filename().string().starts_with(prefix) ? 1u : 0u;
    }
    return count;
}

struct Writer {
    const char* name;
    std::filesystem::path file;
    std::function<bool(const Bytes&)> write;
    // The content the file holds now, as its reader sees it.
    std::function<std::optional<Bytes>()> read;
};

TEST(KilledWriterTest, AWriterKilledAtRandomLeavesTheOldOrTheNewContent) {
    testing::TemporaryDirectory folder;
    const Bytes old = content(1);
    const Bytes next = content(2);
    SimDefaultsStore defaults(folder / "Library" / "Preferences" / "com.tolvane.app.plist");
    const Writer writers[] = {
        {"atomicWrite", folder / "cape.bin",
         [&](const Bytes& bytes) { return atomicWrite(folder / "cape.bin", bytes).ok(); },
         [&]() -> std::optional<Bytes> {
             auto bytes = readFileContents(folder / "cape.bin", 64 * 1024 * 1024);
             return bytes ? std::optional<Bytes>(bytes.value()) : std::nullopt;
         }},
        {"defaults store", defaults.plistPath(),
         [&](const Bytes& bytes) {
             return defaults.setObject("blob", PropertyList(PropertyList::Data(bytes))).ok();
         },
         [&]() -> std::optional<Bytes> {
             auto stored = defaults.dictionaryRepresentation();
             const PropertyList* blob =
                 stored ? PropertyList::find(stored.value(), "blob") : nullptr;
             const PropertyList::Data* data = blob ? blob->dataValue() : nullptr;
             return data ? std::optional<Bytes>(*data) : std::nullopt;
         }},
    };
    std::mt19937 random(20261206);
    for (const Writer& writer : writers) {
        SCOPED_TRACE(writer.name);
        const auto started = std::chrono::steady_clock::now();
        ASSERT_TRUE(writer.write(old));
        // Kills land before, during and after the first few writes of a child.
        const auto oneWrite = std::chrono::steady_clock::now() - started;
        std::uniform_int_distribution<long> delay(
            0, 2 * std::chrono::duration_cast<std::chrono::microseconds>(oneWrite).count());
        int sawOld = 0;
        int sawNext = 0;
        for (int round = 0; round < 25; ++round) {
            // Each round starts from the old content, which also clears the
            // temporary files the last killed writer left.
            ASSERT_TRUE(writer.write(old));
            ASSERT_EQ(temporaryFilesOf(writer.file), 0u);
            int finished[2];
            ASSERT_EQ(::pipe(finished), 0);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                for (bool odd = true;; odd = !odd) {
                    if (!writer.write(odd ? next : old) || ::write(finished[1], "w", 1) != 1) {
                        ::_exit(1);
                    }
                }
            }
            ::close(finished[1]);
            // The first round kills at once, the second once a write is
            // done, so both contents are seen however fast the machine is.
            if (round == 1) {
                char written = 0;
                ASSERT_EQ(::read(finished[0], &written, 1), 1);
            } else if (round > 1) {
                std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
            }
            ::kill(child, SIGKILL);
            ::close(finished[0]);
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed in round " << round;
            const std::optional<Bytes> found = writer.read();
            ASSERT_TRUE(found == old || found == next) << "round " << round;
            (found == old ? sawOld : sawNext) += 1;
            EXPECT_LE(temporaryFilesOf(writer.file), 1u) << "round " << round;
        }
        EXPECT_GT(sawOld, 0);
        EXPECT_GT(sawNext, 0);
        ASSERT_TRUE(writer.write(next));
        EXPECT_EQ(writer.read(), next);
        EXPECT_EQ(temporaryFilesOf(writer.file), 0u);
    }
}

} // namespace
} // namespace tolvane
