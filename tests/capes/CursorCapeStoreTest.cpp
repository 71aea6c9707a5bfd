#include "capes/CursorCapeStore.h"

#include "capes/PngCraft.h"
#include "platform/FileIO.h"
#include "platform/PropertyListSerialization.h"
#include "platform/sim/SimUserFolders.h"
#include "render/TestArtwork.h"
#include "support/LogCapture.h"
#include "support/TemporaryDirectory.h"

#include <cmath>
#include <future>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::MatchesRegex;
using ::tolvane::testing::expectSamePixels;
using CursorSet = CursorCapeStore::CursorSet;
using Dictionary = PropertyList::Dictionary;

// Premultiplied pixels of every kind of alpha, different for every seed.
Image patternImage(int width, int height, std::uint32_t seed) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t n = static_cast<std::uint32_t>(x * 7 + y * 13) + seed * 31;
            const std::uint32_t alpha = (n * 37) % 256;
            const auto component = [&](std::uint32_t salt) {
                return alpha == 0 ? 0 : (n * salt) % (alpha + 1);
            };
            pixels.push_back(alpha << 24 | component(3) << 16 | component(5) << 8 | component(11));
        }
    }
    return *Image::fromPixels(width, height, width * 4,
                              reinterpret_cast<const unsigned char*>(pixels.data()));
}

CursorPayload payload(CursorSize size, CursorPoint hotSpot, std::size_t frameCount,
                      double frameDuration, std::vector<Image> images) {
    return CursorPayload{CursorSnapshot{size, hotSpot, frameCount, frameDuration, {}},
                         std::move(images)};
}

// One small cursor, enough for a cape.
CursorSet oneCursor() {
    return {{"a", payload({32, 32}, {0, 0}, 1, 0, {patternImage(3, 3, 1)})}};
}

std::vector<std::uint8_t> png(const Image& image) {
    return *Png::encode(image);
}

std::vector<std::uint8_t> binary(const PropertyList& root) {
    return *PropertyListSerialization::serialize(root, PropertyListFormat::binary);
}

// A cursor entry of a cape file with these frames.
PropertyList cursorWith(PropertyList::Array frames) {
    return PropertyList(Dictionary{{"Representations", std::move(frames)}});
}

class CapeStoreTest : public ::testing::Test {
  protected:
    std::filesystem::path capes() const {
        return home_.path() / "Library" / "Application Support" / "Tolvane" / "capes";
    }
    std::filesystem::path capeFile(const std::string& name) const { return capes() / name; }
    // The file that a load of "en" and "letterBadge" reads.
    std::filesystem::path enFile() const { return capeFile("com.tolvane.en.letterbadge.cape"); }

    // A root dictionary with the entries that a load reads.
    static Dictionary cape(Dictionary cursors, const std::string& language = "en",
                           const std::string& style = "letterbadge") {
        return Dictionary{
            {"Cursors", std::move(cursors)},
            {"TolvanePayloadVersion", std::int64_t{5}},
            {"TolvaneLanguageCode", language},
            {"TolvaneStyleCode", style},
        };
    }
    void writeEnBytes(const std::vector<std::uint8_t>& bytes) const {
        ASSERT_TRUE(atomicWrite(enFile(), bytes));
    }
    // A save and its write.
    static void save(CursorCapeStore& store, const std::string& language, const std::string& style,
                     const CursorSet& cursors) {
        store.saveCape(language, style, cursors);
        store.waitForSaves();
    }

    ::tolvane::testing::LogCapture log_;
    ::tolvane::testing::TemporaryDirectory home_;
    SimUserFolders folders_{home_.path()};
};

TEST(CapeStoreSanitize, CodesBecomeFileNameSafe) {
    const std::pair<const char*, const char*> cases[] = {
        // clang-format off
        {"EN", "en"}, {"zh-Hans", "zh-hans"}, {"pt BR", "pt-br"}, {"a.b_c", "a.b_c"},
        {"?!", "unknown"}, {"", "unknown"}, {"---", "unknown"}, {"Ру", "unknown"},
        {"--a--", "a"}, {" de ", "de"}, {"a!!b", "a-b"}, {"a-!b", "a--b"}, {"é1", "1"},
        {"x/../y", "x-..-y"},
        // clang-format on
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(CursorCapeStore::sanitizeComponent(input), expected) << '"' << input << '"';
    }
}

TEST_F(CapeStoreTest, WithoutItsFolderTheStoreFailsEveryOperationWithALogLine) {
    folders_.setApplicationSupportAvailable(false);
    CursorCapeStore unavailable(folders_);
    EXPECT_FALSE(unavailable.capesDirectory());
    save(unavailable, "en", "letterBadge", oneCursor());
    EXPECT_FALSE(unavailable.capeFile("en", "letterBadge"));
    EXPECT_FALSE(unavailable.loadCape("en", "letterBadge"));
    unavailable.removeAllCapes();
    EXPECT_THAT(
        log_.takeLines(),
        ElementsAre(
            "[ERROR] CursorCapeStore init failed: Application Support directory unavailable",
            "[ERROR] CursorCapeStore save failed: capes directory unavailable",
            "[ERROR] CursorCapeStore load failed: capes directory unavailable"));

    // A file where the folder should be.
    folders_.setApplicationSupportAvailable(true);
    const auto blocker = home_.path() / "Library" / "Application Support" / "Tolvane";
    std::filesystem::create_directories(blocker.parent_path());
    ::tolvane::testing::writeFile(blocker, "a file");
    CursorCapeStore blocked(folders_);
    EXPECT_FALSE(blocked.capesDirectory());
    EXPECT_THAT(
        log_.takeLines(),
        ElementsAre(HasSubstr("[ERROR] CursorCapeStore init failed: unable to create directory " +
                              capes().string() + " error=")));

    std::filesystem::remove(blocker);
    CursorCapeStore store(folders_);
    EXPECT_EQ(store.capesDirectory(), capes());
    EXPECT_TRUE(std::filesystem::is_directory(capes()));
    EXPECT_THAT(log_.takeLines(),
                ElementsAre("[INFO] CursorCapeStore directory ready: " + capes().string()));
}

TEST_F(CapeStoreTest, RoundTripKeepsEveryFrameAndNumber) {
    CursorCapeStore store(folders_);
    CursorSet cursors;
    cursors["com.apple.coregraphics.Arrow"] =
        payload({32, 43}, {4.5, 4.25}, 1, 0, {patternImage(32, 43, 1), patternImage(64, 86, 2)});
    cursors["com.apple.cursor.13"] =
        payload({34.5, 48}, {30, 9}, 2, 0.125,
                {patternImage(35, 48, 3), patternImage(7, 5, 5), patternImage(1, 1, 6)});
    // Only `images` are written, never the snapshot's own.
    cursors["com.apple.cursor.13"].snapshot.images = {patternImage(3, 3, 9)};
    log_.takeLines();

    save(store, "EN", "letterBadge", cursors);
    const auto saved = store.capeFile("EN", "letterBadge");
    ASSERT_EQ(saved, enFile());
    const auto bytes = *readFileContents(*saved, 1u << 30);
    const std::string size = std::to_string(bytes.size());
    EXPECT_THAT(log_.takeLines(),
                ElementsAre(MatchesRegex("\\[INFO\\] CursorCapeStore saved " + saved->string() +
                                         " cursors=2 bytes=" + size + " hash=[0-9a-f]{16}")));

    auto loaded = store.loadCape("en", "LETTERBADGE");
    ASSERT_TRUE(loaded);
    EXPECT_THAT(log_.takeLines(), ElementsAre("[INFO] CursorCapeStore loaded " + saved->string() +
                                              " cursors=2 bytes=" + size));
    ASSERT_EQ(loaded->size(), 2u);
    for (const auto& [identifier, original] : cursors) {
        SCOPED_TRACE(identifier);
        ASSERT_TRUE(loaded->count(identifier));
        const CursorPayload& back = loaded->at(identifier);
        EXPECT_EQ(back.snapshot.size.width, original.snapshot.size.width);
        EXPECT_EQ(back.snapshot.hotSpot.x, original.snapshot.hotSpot.x);
        EXPECT_EQ(back.snapshot.hotSpot.y, original.snapshot.hotSpot.y);
        EXPECT_EQ(back.snapshot.frameDuration, original.snapshot.frameDuration);
        EXPECT_EQ(back.snapshot.frameCount, original.snapshot.frameCount);
        ASSERT_EQ(back.images.size(), original.images.size());
        ASSERT_EQ(back.snapshot.images.size(), original.images.size());
        for (std::size_t i = 0; i < original.images.size(); ++i) {
            expectSamePixels(back.images[i], original.images[i]);
        }
    }
}

TEST_F(CapeStoreTest, TheFileHoldsTheTwelveRootKeysAndSevenCursorKeys) {
    CursorCapeStore store(folders_);
    CursorSet cursors{
        {"com.apple.cursor.13", payload({34, 48}, {30, 9}, 0, 0, {patternImage(34, 48, 3)})}};
    save(store, "zh-Hans", "dotBadge", cursors);
    const auto saved = store.capeFile("zh-Hans", "dotBadge");
    ASSERT_EQ(saved, capeFile("com.tolvane.zh-hans.dotbadge.cape"));

    // Exactly these entries with these types, and one standard PNG file per frame.
    const PropertyList expected(Dictionary{
        {"MinimumVersion", 2.0},
        {"Version", 2.0},
        {"Cursors",
         Dictionary{
             {"com.apple.cursor.13",
              Dictionary{
                  {"FrameCount", std::int64_t{1}}, // 0 became the number of frames
                  {"FrameDuration", 0.0},
                  {"HotSpotX", 30.0},
                  {"HotSpotY", 9.0},
                  {"PointsWide", 34.0},
                  {"PointsHigh", 48.0},
                  {"Representations", PropertyList::Array{png(patternImage(34, 48, 3))}},
              }},
         }},
        {"Author", "Tolvane"},
        {"Cloud", false},
        {"HiDPI", true},
        {"Identifier", "com.tolvane.zh-hans.dotbadge"},
        {"CapeName", "Tolvane ZH-HANS dotbadge"},
        {"CapeVersion", 1.0},
        {"TolvanePayloadVersion", std::int64_t{5}},
        {"TolvaneLanguageCode", "zh-hans"},
        {"TolvaneStyleCode", "dotbadge"},
    });
    auto root = PropertyListSerialization::readFile(*saved);
    ASSERT_TRUE(root);
    EXPECT_TRUE(*root == expected);
    EXPECT_EQ(PropertyListSerialization::formatOf(*readFileContents(*saved, 1u << 30)),
              PropertyListFormat::binary);
}

TEST_F(CapeStoreTest, NothingIsWrittenWithoutAFrame) {
    CursorCapeStore store(folders_);
    log_.takeLines();
    save(store, "en", "system", {});
    save(store, "en", "system", {{"a", payload({32, 32}, {0, 0}, 1, 0, {})}});
    EXPECT_THAT(log_.takeLines(),
                ElementsAre("[WARN] CursorCapeStore save skipped: empty cursors payload",
                            "[WARN] CursorCapeStore save skipped: no serializable cursor frames"));
    EXPECT_FALSE(std::filesystem::exists(capeFile("com.tolvane.en.system.cape")));
}

TEST_F(CapeStoreTest, OnlyAnUnchangedCapeWhoseFileExistsIsNotRewritten) {
    const auto inodeOf = [](const std::filesystem::path& path) {
        struct stat status {};
        return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
    };
    const auto expectWritten = [&] {
        EXPECT_THAT(log_.takeLines(), ElementsAre(HasSubstr("[INFO] CursorCapeStore saved ")));
    };
    CursorCapeStore store(folders_);
    CursorSet cursors{{"com.apple.coregraphics.Arrow",
                       payload({32, 43}, {4, 4}, 1, 0, {patternImage(32, 43, 1)})}};
    save(store, "en", "letterBadge", cursors);
    const auto first = store.capeFile("en", "letterBadge");
    const ino_t written = inodeOf(*first);
    ASSERT_NE(written, 0u);
    log_.takeLines();

    save(store, "en", "letterBadge", cursors);
    EXPECT_EQ(inodeOf(*first), written);
    EXPECT_THAT(
        log_.takeLines(),
        ElementsAre(
            "[DEBUG] CursorCapeStore save skipped: unchanged cape com.tolvane.en.letterbadge"));

    // Deleted behind the store's back: written again.
    std::filesystem::remove(*first);
    save(store, "en", "letterBadge", cursors);
    EXPECT_TRUE(std::filesystem::exists(*first));
    expectWritten();

    cursors.begin()->second.snapshot.hotSpot.x = 5;
    save(store, "en", "letterBadge", cursors);
    expectWritten();

    // A failed write is not remembered: with a folder in the way the rename
    // fails, and once a file is back in place the same cape is written.
    cursors.begin()->second.snapshot.hotSpot.x = 6;
    std::filesystem::remove(*first);
    std::filesystem::create_directories(*first / "occupied");
    save(store, "en", "letterBadge", cursors);
    EXPECT_THAT(log_.takeLines(),
                ElementsAre(HasSubstr(
                    "[ERROR] CursorCapeStore save failed: path=" + first->string() + " error=")));
    std::filesystem::remove_all(*first);
    ::tolvane::testing::writeFile(*first, "stale");
    save(store, "en", "letterBadge", cursors);
    expectWritten();
}

TEST_F(CapeStoreTest, SavesWaitingOnABusyQueueKeepTheLatestSetOfEachCape) {
    auto queue = std::make_shared<SerialQueue>("test.capes");
    CursorCapeStore store(folders_, {}, queue);
    std::promise<void> release;
    queue->async([busy = release.get_future().share()] { busy.wait(); });
    CursorSet cursors = oneCursor();
    for (double hotSpotX : {1.0, 2.0, 3.0}) {
        cursors.begin()->second.snapshot.hotSpot.x = hotSpotX;
        store.saveCape("en", "dotBadge", cursors);
    }
    store.saveCape("ru", "dotBadge", oneCursor());
    // The saves returned without waiting for the queue.
    EXPECT_FALSE(std::filesystem::exists(capes() / "com.tolvane.en.dotbadge.cape"));
    log_.takeLines();

    release.set_value();
    store.waitForSaves();
    EXPECT_THAT(log_.takeLines(),
                ElementsAre(HasSubstr("saved " + capes().string() + "/com.tolvane.en.dotbadge"),
                            HasSubstr("saved " + capes().string() + "/com.tolvane.ru.dotbadge")));
    auto loaded = store.loadCape("en", "dotBadge");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->at("a").snapshot.hotSpot.x, 3.0);
}

TEST_F(CapeStoreTest, RemoveAllCapesDeletesOnlyCapeFiles) {
    CursorCapeStore store(folders_);
    save(store, "en", "system", oneCursor());
    save(store, "ru", "dotBadge", oneCursor());
    ::tolvane::testing::writeFile(capes() / "notes.txt", "keep");
    ::tolvane::testing::writeFile(capes() / "other.capes", "keep");
    log_.takeLines();
    store.removeAllCapes();
    EXPECT_THAT(log_.takeLines(),
                ElementsAre("[INFO] CursorCapeStore removed 2 cached cape files"));
    EXPECT_FALSE(store.loadCape("en", "system"));
    EXPECT_TRUE(std::filesystem::exists(capes() / "notes.txt"));
    EXPECT_TRUE(std::filesystem::exists(capes() / "other.capes"));

    // A vanished folder: nothing happens, nothing is logged.
    std::filesystem::remove_all(capes());
    log_.takeLines();
    store.removeAllCapes();
    EXPECT_THAT(log_.takeLines(), IsEmpty());
}

TEST_F(CapeStoreTest, UnusableEntriesAndFramesAreDropped) {
    CursorCapeStore store(folders_);
    const Image first = patternImage(6, 4, 1);
    const Image second = patternImage(12, 8, 2);
    auto corrupt = png(first);
    corrupt[corrupt.size() / 2] ^= 0xff;

    Dictionary cursors{
        // Data and strings mixed: only the decodable data are frames.
        {"mixed",
         Dictionary{{"Representations", PropertyList::Array{"a string", png(first), corrupt,
                                                            std::int64_t{7}, png(second)}},
                    {"PointsWide", 3.0},
                    {"PointsHigh", std::int64_t{2}}}},
        // Defaults: size of the first frame, frame count of the frames, hot spot 0.
        {"bare", cursorWith({png(second), png(first)})},
        // Lenient numbers: a negative count is 0, a string is missing, NaN and
        // booleans are no sizes.
        {"lenient", Dictionary{{"Representations", PropertyList::Array{png(first)}},
                               {"FrameCount", std::int64_t{-3}},
                               {"FrameDuration", std::int64_t{1}},
                               {"HotSpotX", "12"},
                               {"HotSpotY", 2.5},
                               {"PointsWide", std::nan("")},
                               {"PointsHigh", true}}},
        // Dropped: no usable frame, empty or missing frames, not a dictionary.
        {"only corrupt", cursorWith({corrupt})},
        {"empty frames", cursorWith({})},
        {"frames not an array", Dictionary{{"Representations", png(first)}}},
        {"no frames", Dictionary{{"PointsWide", 3.0}}},
        {"not a dictionary", PropertyList::Array{png(first)}},
    };
    writeEnBytes(binary(cape(cursors)));
    auto loaded = store.loadCape("en", "letterBadge");
    ASSERT_TRUE(loaded);
    std::vector<std::string> identifiers;
    for (const auto& entry : *loaded) {
        identifiers.push_back(entry.first);
    }
    EXPECT_THAT(identifiers, ElementsAre("bare", "lenient", "mixed"));

    const CursorPayload& mixed = loaded->at("mixed");
    ASSERT_EQ(mixed.images.size(), 2u);
    expectSamePixels(mixed.images[0], first);
    expectSamePixels(mixed.images[1], second);
    EXPECT_EQ(mixed.snapshot.size.width, 3.0);
    EXPECT_EQ(mixed.snapshot.size.height, 2.0);
    EXPECT_EQ(mixed.snapshot.frameCount, 2u);

    const CursorSnapshot& bare = loaded->at("bare").snapshot;
    EXPECT_EQ(bare.size.width, 12.0);
    EXPECT_EQ(bare.size.height, 8.0);
    EXPECT_EQ(bare.frameCount, 2u);

    const CursorSnapshot& lenient = loaded->at("lenient").snapshot;
    EXPECT_EQ(lenient.frameCount, 0u);
    EXPECT_EQ(lenient.frameDuration, 1.0);
    EXPECT_EQ(lenient.hotSpot.x, 0.0);
    EXPECT_EQ(lenient.hotSpot.y, 2.5);
    EXPECT_EQ(lenient.size.width, 6.0);
    EXPECT_EQ(lenient.size.height, 4.0);

    // Reading headers only gives the same geometry without images; damage past
    // a sound header goes unnoticed.
    auto checked = store.loadCape("en", "letterBadge", CursorCapeStore::Frames::headersChecked);
    ASSERT_TRUE(checked);
    std::vector<std::string> checkedIdentifiers;
    for (const auto& [identifier, payload] : *checked) {
        checkedIdentifiers.push_back(identifier);
        EXPECT_TRUE(payload.images.empty() && payload.snapshot.images.empty()) << identifier;
    }
    EXPECT_THAT(checkedIdentifiers, ElementsAre("bare", "lenient", "mixed", "only corrupt"));
    EXPECT_EQ(checked->at("bare").snapshot.size.width, 12.0);
    EXPECT_EQ(checked->at("mixed").snapshot.size.height, 2.0);
}

TEST_F(CapeStoreTest, BadCapeFilesAreRefusedWithTheirReasonAndLeftOnDisk) {
    CapeLimits limits;
    limits.maxFileBytes = 2u << 20; // the deeply nested file below fits
    limits.maxCursors = 3;
    limits.maxFramesPerCursor = 3;
    limits.maxTotalPixels = 100;
    CursorCapeStore store(folders_, limits);
    log_.takeLines();
    EXPECT_FALSE(store.loadCape("en", "letterBadge"));
    EXPECT_THAT(
        log_.takeLines(),
        ElementsAre(
            "[INFO] CursorCapeStore load skipped: cape missing com.tolvane.en.letterbadge.cape"));
    std::filesystem::create_directory(enFile());
    EXPECT_FALSE(store.loadCape("en", "letterBadge"));
    EXPECT_THAT(
        log_.takeLines(),
        ElementsAre("[ERROR] CursorCapeStore load failed: unreadable file " + enFile().string()));
    std::filesystem::remove(enFile());

    const PropertyList small = png(patternImage(4, 4, 1)); // 16 pixels
    const PropertyList one = cursorWith({small});
    const PropertyList three = cursorWith({small, small, small});
    PropertyList counted = cursorWith({small});
    (*counted.dictionaryValue())["FrameCount"] = std::int64_t{1000000000};
    // A frame that claims to be 100000 x 100000 pixels (40 GB decoded).
    const PropertyList enormous =
        ::tolvane::testing::withClaimedSize(png(patternImage(4, 4, 1)), 100000, 100000);
    auto corrupt = png(patternImage(4, 4, 1));
    corrupt[corrupt.size() / 2] ^= 0xff;
    PropertyList countedCorrupt = cursorWith({corrupt});
    (*countedCorrupt.dictionaryValue())["FrameCount"] = std::int64_t{7};
    const auto withEntry = [&](const std::string& key, PropertyList value) {
        Dictionary root = cape({{"a", one}});
        root[key] = std::move(value);
        return binary(root);
    };
    const auto whole = binary(cape({{"a", one}}));
    std::string nested = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\">"
                         "<dict><key>Cursors</key>";
    for (int i = 0; i < 200000; ++i) {
        nested += i < 100000 ? "<array>" : "</array>";
    }
    nested += "</dict></plist>";

    const std::string malformed =
        "[ERROR] CursorCapeStore load failed: malformed plist " + enFile().string();
    const std::string incompatible = "[WARN] CursorCapeStore load skipped: incompatible metadata "
                                     "com.tolvane.en.letterbadge.cape";
    const std::string exceeds = "[ERROR] CursorCapeStore load failed: cape exceeds limits " +
                                enFile().string() + " reason=";
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::string line;
    } cases[] = {
        {"not a plist", {'n', 'o', 'p', 'e'}, malformed},
        {"empty", {}, malformed},
        {"root array", binary(PropertyList::Array{one}), malformed},
        {"no cursors",
         *PropertyListSerialization::serialize(Dictionary{{"TolvanePayloadVersion", 5}},
                                               PropertyListFormat::xml),
         malformed},
        {"cursors not a dictionary", binary(Dictionary{{"Cursors", PropertyList::Array{one}}}),
         malformed},
        {"cut short",
         {whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2)},
         malformed},
        {"nested 100000 deep", {nested.begin(), nested.end()}, malformed},
        {"version 4", withEntry("TolvanePayloadVersion", std::int64_t{4}), incompatible},
        {"version as string", withEntry("TolvanePayloadVersion", "5"), incompatible},
        {"style not a string", withEntry("TolvaneStyleCode", std::int64_t{1}), incompatible},
        {"other style", binary(cape({{"a", one}}, "en", "dotbadge")), incompatible},
        {"other language", binary(cape({{"a", one}}, "ru")), incompatible},
        {"huge file", std::vector<std::uint8_t>((2u << 20) + 1, 'x'),
         exceeds + "file too large: " + enFile().string() +
             " has 2097153 bytes, the limit is 2097152"},
        {"4 cursors", binary(cape({{"a", one}, {"b", one}, {"c", one}, {"d", one}})),
         exceeds + "4 cursors"},
        {"4 frames", binary(cape({{"a", cursorWith({small, small, small, small})}})),
         exceeds + "4 frames for a"},
        {"claimed frame count", binary(cape({{"a", counted}})),
         exceeds + "frame count 1000000000 for a"},
        {"too many pixels", binary(cape({{"a", three}, {"b", three}, {"c", three}})),
         exceeds + "more than 100 pixels"},
        // What the file claims counts, whether or not the frames behind it decode.
        {"claimed frame count of damaged frames", binary(cape({{"a", one}, {"b", countedCorrupt}})),
         exceeds + "frame count 7 for b"},
        {"too many pixels in damaged frames",
         binary(cape({{"a", three}, {"b", three}, {"c", cursorWith({corrupt, corrupt})}})),
         exceeds + "more than 100 pixels"},
        {"enormous frame", binary(cape({{"a", cursorWith({enormous})}})),
         exceeds + "frame of a: dimensions exceed the limit"},
        {"no usable frame", binary(cape({{"a", cursorWith({corrupt})}, {"b", Dictionary{}}})),
         "[WARN] CursorCapeStore load result empty: " + enFile().string()},
    };
    using Frames = CursorCapeStore::Frames;
    for (const Frames frames : {Frames::decoded, Frames::headersChecked}) {
        for (const auto& c : cases) {
            // Only decoding finds the damage behind a sound header.
            if (frames == Frames::headersChecked && c.line.find("empty") != std::string::npos) {
                continue;
            }
            SCOPED_TRACE(c.name);
            writeEnBytes(c.bytes);
            log_.takeLines();
            EXPECT_FALSE(store.loadCape("en", "letterBadge", frames));
            EXPECT_THAT(log_.takeLines(), ElementsAre(c.line));
            EXPECT_TRUE(std::filesystem::exists(enFile()));
        }
    }

    // Just within the limits (64 pixels), a real version number and
    // upper-case codes are accepted.
    Dictionary root = cape({{"a", three}, {"b", one}}, "EN", "LetterBadge");
    root["TolvanePayloadVersion"] = 5.0;
    writeEnBytes(binary(root));
    EXPECT_TRUE(store.loadCape("en", "letterBadge"));
}

} // namespace
} // namespace tolvane
