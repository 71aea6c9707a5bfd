#include "capes/CursorCapeStore.h"

#include "capes/PngCraft.h"
#include "cursors/Fnv1a.h"
#include "support/LogCapture.h"
#include "platform/FileIO.h"
#include "platform/PropertyListSerialization.h"
#include "platform/sim/SimUserFolders.h"
#include "support/TemporaryDirectory.h"

#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tolvane {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using CursorSet = CursorCapeStore::CursorSet;

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

void expectSamePixels(const Image& actual, const Image& expected) {
    ASSERT_EQ(actual.width(), expected.width());
    ASSERT_EQ(actual.height(), expected.height());
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            ASSERT_EQ(actual.pixel(x, y), expected.pixel(x, y)) << "pixel " << x << "," << y;
        }
    }
}

std::vector<std::uint8_t> bytesOf(const std::filesystem::path& path) {
    auto bytes = readFileContents(path, 1u << 30);
    return bytes ? *bytes : std::vector<std::uint8_t>{};
}

ino_t inodeOf(const std::filesystem::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    ASSERT_TRUE(atomicWrite(path, bytes));
}

void writePlist(const std::filesystem::path& path, const PropertyList& value) {
    ASSERT_TRUE(PropertyListSerialization::writeFile(value, path, PropertyListFormat::binary));
}

std::vector<std::uint8_t> png(const Image& image) {
    return *Png::encode(image);
}

class CapeStoreTest : public ::testing::Test {
  protected:
    std::filesystem::path capes() const {
        return home_.path() / "Library" / "Application Support" / "Tolvane" / "capes";
    }
    std::filesystem::path capeFile(const std::string& name) const { return capes() / name; }

    // The entries of a root dictionary that a load reads, with the given cursors.
    static PropertyList::Dictionary capeEntries(PropertyList::Dictionary cursors,
                                                const std::string& language = "en",
                                                const std::string& style = "letterbadge") {
        return PropertyList::Dictionary{
            {"Cursors", std::move(cursors)},
            {"TolvanePayloadVersion", std::int64_t{5}},
            {"TolvaneLanguageCode", language},
            {"TolvaneStyleCode", style},
        };
    }
    static PropertyList capeRoot(PropertyList::Dictionary cursors,
                                 const std::string& language = "en",
                                 const std::string& style = "letterbadge") {
        return PropertyList(capeEntries(std::move(cursors), language, style));
    }

    ::tolvane::testing::LogCapture log_;
    ::tolvane::testing::TemporaryDirectory home_;
    SimUserFolders folders_{home_.path()};
};

TEST(CapeStoreSanitize, CodesBecomeFileNameSafe) {
    const std::pair<const char*, const char*> cases[] = {
        {"en", "en"},
        {"EN", "en"},
        {"letterBadge", "letterbadge"},
        {"zh-Hans", "zh-hans"},
        {"?!", "unknown"},
        {"pt BR", "pt-br"},
        {"", "unknown"},
        {"--a--", "a"},
        {"a!!b", "a-b"},
        {"a-!b", "a--b"},
        {"a.b_c", "a.b_c"},
        {"Ру", "unknown"},
        {"é1", "1"},
        {"x/../y", "x-..-y"},
        {" de ", "de"},
        {"---", "unknown"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(CursorCapeStore::sanitizeComponent(input), expected)
            << "input \"" << input << "\"";
    }
}

TEST_F(CapeStoreTest, StartUpMakesTheCapesFolder) {
    CursorCapeStore store(folders_);
    ASSERT_TRUE(store.capesDirectory());
    EXPECT_EQ(*store.capesDirectory(), capes());
    EXPECT_TRUE(std::filesystem::is_directory(capes()));
    EXPECT_THAT(log_.takeLines(),
                ElementsAre("[INFO] CursorCapeStore directory ready: " + capes().string()));

    // An existing folder is no error.
    CursorCapeStore again(folders_);
    EXPECT_TRUE(again.capesDirectory());
}

TEST_F(CapeStoreTest, WithoutApplicationSupportEverythingFailsQuietly) {
    folders_.setApplicationSupportAvailable(false);
    CursorCapeStore store(folders_);
    EXPECT_FALSE(store.capesDirectory());
    CursorSet cursors{
        {"com.apple.coregraphics.Arrow", payload({32, 32}, {4, 4}, 1, 0, {patternImage(4, 4, 1)})}};
    EXPECT_FALSE(store.saveCape("en", "letterBadge", cursors));
    EXPECT_FALSE(store.loadCape("en", "letterBadge"));
    store.removeAllCapes();
    EXPECT_THAT(
        log_.takeLines(),
        ElementsAre(
            "[ERROR] CursorCapeStore init failed: Application Support directory unavailable",
            "[ERROR] CursorCapeStore save failed: capes directory unavailable",
            "[ERROR] CursorCapeStore load failed: capes directory unavailable"));
}

TEST_F(CapeStoreTest, AFolderThatCannotBeMadeIsLogged) {
    std::filesystem::create_directories(home_.path() / "Library" / "Application Support");
    ::tolvane::testing::writeFile(home_.path() / "Library" / "Application Support" / "Tolvane",
                                  "a file");
    CursorCapeStore store(folders_);
    EXPECT_FALSE(store.capesDirectory());
    auto lines = log_.takeLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0],
                HasSubstr("[ERROR] CursorCapeStore init failed: unable to create directory " +
                          capes().string() + " error="));
    CursorSet cursors{{"a", payload({32, 32}, {4, 4}, 1, 0, {patternImage(4, 4, 1)})}};
    EXPECT_FALSE(store.saveCape("en", "system", cursors));
}

TEST_F(CapeStoreTest, RoundTripKeepsEveryFrameAndNumber) {
    CursorCapeStore store(folders_);
    log_.takeLines();
    CursorSet cursors;
    cursors["com.apple.coregraphics.Arrow"] =
        payload({32, 43}, {4.5, 4.25}, 1, 0, {patternImage(32, 43, 1), patternImage(64, 86, 2)});
    cursors["com.apple.cursor.13"] = payload({34, 48}, {30, 9}, 4, 0.125,
                                             {patternImage(34, 48, 3), patternImage(68, 96, 4),
                                              patternImage(7, 5, 5), patternImage(1, 1, 6)});
    // A frame count of 0 is written as the number of frames.
    cursors["com.apple.cursor.2"] =
        payload({24.5, 30}, {0, 0}, 0, 0, {patternImage(25, 30, 7), patternImage(49, 60, 8)});
    // Only `images` are written, never the snapshot's own.
    cursors["com.apple.cursor.2"].snapshot.images = {patternImage(3, 3, 9)};

    auto saved = store.saveCape("EN", "letterBadge", cursors);
    ASSERT_TRUE(saved);
    EXPECT_EQ(*saved, capeFile("com.tolvane.en.letterbadge.cape"));
    const auto bytes = bytesOf(*saved);
    EXPECT_THAT(log_.takeLines(), ElementsAre("[INFO] CursorCapeStore saved " + saved->string() +
                                              " cursors=3 bytes=" + std::to_string(bytes.size()) +
                                              " hash=" + hexDigest(fnv1a64(bytes))));
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "bplist00");

    auto loaded = store.loadCape("en", "LETTERBADGE");
    ASSERT_TRUE(loaded);
    EXPECT_THAT(log_.takeLines(), ElementsAre("[INFO] CursorCapeStore loaded " + saved->string() +
                                              " cursors=3 bytes=" + std::to_string(bytes.size())));
    ASSERT_EQ(loaded->size(), 3u);
    for (const auto& [identifier, original] : cursors) {
        SCOPED_TRACE(identifier);
        ASSERT_TRUE(loaded->count(identifier));
        const CursorPayload& back = loaded->at(identifier);
        EXPECT_EQ(back.snapshot.size.width, original.snapshot.size.width);
        EXPECT_EQ(back.snapshot.size.height, original.snapshot.size.height);
        EXPECT_EQ(back.snapshot.hotSpot.x, original.snapshot.hotSpot.x);
        EXPECT_EQ(back.snapshot.hotSpot.y, original.snapshot.hotSpot.y);
        EXPECT_EQ(back.snapshot.frameDuration, original.snapshot.frameDuration);
        EXPECT_EQ(back.snapshot.frameCount, original.snapshot.frameCount > 0
                                                ? original.snapshot.frameCount
                                                : original.images.size());
        ASSERT_EQ(back.images.size(), original.images.size());
        ASSERT_EQ(back.snapshot.images.size(), original.images.size());
        for (std::size_t i = 0; i < original.images.size(); ++i) {
            expectSamePixels(back.images[i], original.images[i]);
            EXPECT_TRUE(back.snapshot.images[i].sharesPixelsWith(back.images[i]));
        }
    }
}

TEST_F(CapeStoreTest, TheFileHoldsTheTwelveRootKeysAndSevenCursorKeys) {
    CursorCapeStore store(folders_);
    CursorSet cursors{
        {"com.apple.cursor.13", payload({34, 48}, {30, 9}, 0, 0, {patternImage(34, 48, 3)})}};
    auto saved = store.saveCape("zh-Hans", "dotBadge", cursors);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->filename(), "com.tolvane.zh-hans.dotbadge.cape");

    // Exactly these entries with these types: reals, integers, booleans, strings,
    // and one standard PNG file per frame.
    const PropertyList expected(PropertyList::Dictionary{
        {"MinimumVersion", 2.0},
        {"Version", 2.0},
        {"Cursors",
         PropertyList::Dictionary{
             {"com.apple.cursor.13",
              PropertyList::Dictionary{
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
    EXPECT_EQ(PropertyListSerialization::formatOf(bytesOf(*saved)), PropertyListFormat::binary);
}

TEST_F(CapeStoreTest, SavesWithoutFramesAreSkipped) {
    CursorCapeStore store(folders_);
    log_.takeLines();
    EXPECT_FALSE(store.saveCape("en", "system", {}));
    CursorSet noFrames{{"a", payload({32, 32}, {0, 0}, 1, 0, {})},
                       {"b", payload({32, 32}, {0, 0}, 1, 0, {})}};
    EXPECT_FALSE(store.saveCape("en", "system", noFrames));
    EXPECT_THAT(log_.takeLines(),
                ElementsAre("[WARN] CursorCapeStore save skipped: empty cursors payload",
                            "[WARN] CursorCapeStore save skipped: no serializable cursor frames"));
    EXPECT_FALSE(std::filesystem::exists(capeFile("com.tolvane.en.system.cape")));

    // A cursor without frames is left out of an otherwise good cape.
    noFrames["c"] = payload({32, 32}, {0, 0}, 1, 0, {patternImage(2, 2, 1)});
    ASSERT_TRUE(store.saveCape("en", "system", noFrames));
    auto loaded = store.loadCape("en", "system");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->size(), 1u);
    EXPECT_TRUE(loaded->count("c"));
}

TEST_F(CapeStoreTest, UnchangedCapeIsNotRewritten) {
    CursorCapeStore store(folders_);
    CursorSet cursors{{"com.apple.coregraphics.Arrow",
                       payload({32, 43}, {4, 4}, 1, 0, {patternImage(32, 43, 1)})}};
    auto first = store.saveCape("en", "letterBadge", cursors);
    ASSERT_TRUE(first);
    const ino_t written = inodeOf(*first);
    log_.takeLines();

    auto second = store.saveCape("en", "letterBadge", cursors);
    EXPECT_EQ(second, first);
    EXPECT_EQ(inodeOf(*first), written);
    EXPECT_THAT(
        log_.takeLines(),
        ElementsAre(
            "[DEBUG] CursorCapeStore save skipped: unchanged cape com.tolvane.en.letterbadge"));

    // Deleted behind the store's back: written again.
    std::filesystem::remove(*first);
    ASSERT_TRUE(store.saveCape("en", "letterBadge", cursors));
    EXPECT_TRUE(std::filesystem::exists(*first));
    auto lines = log_.takeLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], HasSubstr("[INFO] CursorCapeStore saved "));

    // Other bytes: written.
    cursors.begin()->second.snapshot.hotSpot.x = 5;
    ASSERT_TRUE(store.saveCape("en", "letterBadge", cursors));
    EXPECT_THAT(log_.takeLines()[0], HasSubstr("[INFO] CursorCapeStore saved "));

    // After clearing the cache the same bytes are written again.
    store.removeAllCapes();
    EXPECT_THAT(log_.takeLines(),
                ElementsAre("[INFO] CursorCapeStore removed 1 cached cape files"));
    ASSERT_TRUE(store.saveCape("en", "letterBadge", cursors));
    EXPECT_THAT(log_.takeLines()[0], HasSubstr("[INFO] CursorCapeStore saved "));

    // A new process (store) always writes its first save.
    CursorCapeStore fresh(folders_);
    log_.takeLines();
    ASSERT_TRUE(fresh.saveCape("en", "letterBadge", cursors));
    EXPECT_THAT(log_.takeLines()[0], HasSubstr("[INFO] CursorCapeStore saved "));
}

TEST_F(CapeStoreTest, AFailedWriteIsLoggedAndNotRemembered) {
    CursorCapeStore store(folders_);
    CursorSet cursors{{"a", payload({32, 32}, {0, 0}, 1, 0, {patternImage(3, 3, 1)})}};
    // A folder in the way of the file: the rename onto it fails.
    const auto file = capeFile("com.tolvane.en.system.cape");
    std::filesystem::create_directories(file / "occupied");
    log_.takeLines();
    EXPECT_FALSE(store.saveCape("en", "system", cursors));
    auto lines = log_.takeLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], HasSubstr("[ERROR] CursorCapeStore save failed: path=" + file.string() +
                                    " error="));

    // Once the way is clear, the same bytes are written, not skipped as unchanged.
    std::filesystem::remove_all(file);
    ASSERT_TRUE(store.saveCape("en", "system", cursors));
    EXPECT_THAT(log_.takeLines()[0], HasSubstr("[INFO] CursorCapeStore saved "));
}

TEST_F(CapeStoreTest, RemoveAllCapesDeletesOnlyCapeFiles) {
    CursorCapeStore store(folders_);
    CursorSet cursors{{"a", payload({32, 32}, {0, 0}, 1, 0, {patternImage(3, 3, 1)})}};
    ASSERT_TRUE(store.saveCape("en", "system", cursors));
    ASSERT_TRUE(store.saveCape("ru", "dotBadge", cursors));
    ::tolvane::testing::writeFile(capes() / "notes.txt", "keep");
    ::tolvane::testing::writeFile(capes() / "other.capes", "keep");
    log_.takeLines();
    store.removeAllCapes();
    EXPECT_THAT(log_.takeLines(),
                ElementsAre("[INFO] CursorCapeStore removed 2 cached cape files"));
    EXPECT_FALSE(std::filesystem::exists(capeFile("com.tolvane.en.system.cape")));
    EXPECT_TRUE(std::filesystem::exists(capes() / "notes.txt"));
    EXPECT_TRUE(std::filesystem::exists(capes() / "other.capes"));
    EXPECT_FALSE(store.loadCape("en", "system"));

    // A vanished folder: nothing happens, nothing is logged.
    std::filesystem::remove_all(capes());
    log_.takeLines();
    store.removeAllCapes();
    EXPECT_THAT(log_.takeLines(), IsEmpty());
}

TEST_F(CapeStoreTest, MissingUnreadableAndMalformedFilesAreSkipped) {
    CursorCapeStore store(folders_);
    log_.takeLines();
    EXPECT_FALSE(store.loadCape("en", "letterBadge"));
    EXPECT_THAT(
        log_.takeLines(),
        ElementsAre(
            "[INFO] CursorCapeStore load skipped: cape missing com.tolvane.en.letterbadge.cape"));

    const auto file = capeFile("com.tolvane.en.letterbadge.cape");
    std::filesystem::create_directory(file);
    EXPECT_FALSE(store.loadCape("en", "letterBadge"));
    EXPECT_THAT(
        log_.takeLines(),
        ElementsAre("[ERROR] CursorCapeStore load failed: unreadable file " + file.string()));
    std::filesystem::remove(file);

    const PropertyList frame(png(patternImage(2, 2, 1)));
    const PropertyList goodCursor(
        PropertyList::Dictionary{{"Representations", PropertyList::Array{frame}}});
    std::vector<std::vector<std::uint8_t>> malformed = {
        {'n', 'o', 't', ' ', 'a', ' ', 'p', 'l', 'i', 's', 't'},
        {},
        *PropertyListSerialization::serialize(PropertyList(PropertyList::Array{frame}),
                                              PropertyListFormat::binary),
        *PropertyListSerialization::serialize(PropertyList(PropertyList::Dictionary{}),
                                              PropertyListFormat::binary),
        // No "Cursors", or not a dictionary.
        *PropertyListSerialization::serialize(
            PropertyList(PropertyList::Dictionary{{"TolvanePayloadVersion", 5}}),
            PropertyListFormat::xml),
        *PropertyListSerialization::serialize(
            PropertyList(PropertyList::Dictionary{{"Cursors", PropertyList::Array{goodCursor}}}),
            PropertyListFormat::binary),
    };
    // A valid cape cut short.
    auto whole = *PropertyListSerialization::serialize(capeRoot({{"a", goodCursor}}),
                                                       PropertyListFormat::binary);
    malformed.emplace_back(whole.begin(),
                           whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
    for (std::size_t i = 0; i < malformed.size(); ++i) {
        writeBytes(file, malformed[i]);
        EXPECT_FALSE(store.loadCape("en", "letterBadge")) << "case " << i;
        EXPECT_THAT(
            log_.takeLines(),
            ElementsAre("[ERROR] CursorCapeStore load failed: malformed plist " + file.string()))
            << "case " << i;
    }
}

TEST_F(CapeStoreTest, IncompatibleMetadataIsSkippedAndLeftOnDisk) {
    CursorCapeStore store(folders_);
    const auto file = capeFile("com.tolvane.en.letterbadge.cape");
    const PropertyList::Dictionary cursors{
        {"a", PropertyList::Dictionary{
                  {"Representations", PropertyList::Array{png(patternImage(2, 2, 1))}}}}};

    struct Case {
        const char* name;
        PropertyList root;
        bool compatible;
    };
    auto withEntry = [&](const std::string& key, PropertyList value) {
        PropertyList::Dictionary entries = capeEntries(cursors);
        entries[key] = std::move(value);
        return PropertyList(std::move(entries));
    };
    auto without = [&](const std::string& key) {
        PropertyList::Dictionary entries = capeEntries(cursors);
        entries.erase(key);
        return PropertyList(std::move(entries));
    };
    const Case cases[] = {
        {"as written", capeRoot(cursors), true},
        {"version 4", withEntry("TolvanePayloadVersion", std::int64_t{4}), false},
        {"version as real 5.0", withEntry("TolvanePayloadVersion", 5.0), true},
        {"version as string", withEntry("TolvanePayloadVersion", "5"), false},
        {"no version", without("TolvanePayloadVersion"), false},
        {"other style", capeRoot(cursors, "en", "dotbadge"), false},
        {"other language", capeRoot(cursors, "ru", "letterbadge"), false},
        {"upper-case codes", capeRoot(cursors, "EN", "LetterBadge"), true},
        {"no language", without("TolvaneLanguageCode"), false},
        {"style not a string", withEntry("TolvaneStyleCode", std::int64_t{1}), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writePlist(file, c.root);
        log_.takeLines();
        auto loaded = store.loadCape("en", "letterBadge");
        EXPECT_EQ(loaded.has_value(), c.compatible);
        if (!c.compatible) {
            EXPECT_THAT(log_.takeLines(),
                        ElementsAre("[WARN] CursorCapeStore load skipped: incompatible metadata "
                                    "com.tolvane.en.letterbadge.cape"));
            EXPECT_TRUE(std::filesystem::exists(file));
        }
    }
}

TEST_F(CapeStoreTest, UnusableEntriesAndFramesAreDropped) {
    CursorCapeStore store(folders_);
    const auto file = capeFile("com.tolvane.en.letterbadge.cape");
    const Image first = patternImage(6, 4, 1);
    const Image second = patternImage(12, 8, 2);
    auto corrupt = png(first);
    corrupt[corrupt.size() / 2] ^= 0xff;

    PropertyList::Dictionary cursors{
        // Data and strings mixed: only the decodable data are frames.
        {"mixed", PropertyList::Dictionary{{"Representations",
                                            PropertyList::Array{"a string", png(first), corrupt,
                                                                std::int64_t{7}, png(second)}},
                                           {"PointsWide", 3.0},
                                           {"PointsHigh", std::int64_t{2}}}},
        // Defaults: size of the first frame, frame count of the frames, hot spot 0.
        {"bare", PropertyList::Dictionary{{"Representations",
                                           PropertyList::Array{png(second), png(first)}}}},
        // Lenient numbers: a negative count is 0, a real count is cut, a string is missing.
        {"lenient", PropertyList::Dictionary{{"Representations", PropertyList::Array{png(first)}},
                                             {"FrameCount", std::int64_t{-3}},
                                             {"FrameDuration", std::int64_t{1}},
                                             {"HotSpotX", "12"},
                                             {"HotSpotY", 2.5},
                                             {"PointsWide", std::nan("")},
                                             {"PointsHigh", true}}},
        {"real count",
         PropertyList::Dictionary{{"Representations", PropertyList::Array{png(first)}},
                                  {"FrameCount", 3.7}}},
        // Dropped: no usable frame, empty or missing frames, not a dictionary.
        {"only corrupt",
         PropertyList::Dictionary{{"Representations", PropertyList::Array{corrupt}}}},
        {"empty frames", PropertyList::Dictionary{{"Representations", PropertyList::Array{}}}},
        {"frames not an array", PropertyList::Dictionary{{"Representations", png(first)}}},
        {"no frames", PropertyList::Dictionary{{"PointsWide", 3.0}}},
        {"empty", PropertyList::Dictionary{}},
        {"not a dictionary", PropertyList::Array{png(first)}},
    };
    writePlist(file, capeRoot(cursors));
    auto loaded = store.loadCape("en", "letterBadge");
    ASSERT_TRUE(loaded);
    std::vector<std::string> identifiers;
    for (const auto& entry : *loaded) {
        identifiers.push_back(entry.first);
    }
    EXPECT_THAT(identifiers, ElementsAre("bare", "lenient", "mixed", "real count"));

    const CursorPayload& mixed = loaded->at("mixed");
    ASSERT_EQ(mixed.images.size(), 2u);
    expectSamePixels(mixed.images[0], first);
    expectSamePixels(mixed.images[1], second);
    EXPECT_EQ(mixed.snapshot.size.width, 3.0);
    EXPECT_EQ(mixed.snapshot.size.height, 2.0);
    EXPECT_EQ(mixed.snapshot.frameCount, 2u);

    const CursorPayload& bare = loaded->at("bare");
    EXPECT_EQ(bare.snapshot.size.width, 12.0);
    EXPECT_EQ(bare.snapshot.size.height, 8.0);
    EXPECT_EQ(bare.snapshot.frameCount, 2u);
    EXPECT_EQ(bare.snapshot.frameDuration, 0.0);
    EXPECT_EQ(bare.snapshot.hotSpot.x, 0.0);

    const CursorPayload& lenient = loaded->at("lenient");
    EXPECT_EQ(lenient.snapshot.frameCount, 0u);
    EXPECT_EQ(lenient.snapshot.frameDuration, 1.0);
    EXPECT_EQ(lenient.snapshot.hotSpot.x, 0.0);
    EXPECT_EQ(lenient.snapshot.hotSpot.y, 2.5);
    EXPECT_EQ(lenient.snapshot.size.width, 6.0);  // not a number: the frame's width
    EXPECT_EQ(lenient.snapshot.size.height, 4.0); // a boolean is no number here

    EXPECT_EQ(loaded->at("real count").snapshot.frameCount, 3u);

    // Nothing usable at all.
    writePlist(file, capeRoot({{"only corrupt", cursors.at("only corrupt")},
                               {"empty", cursors.at("empty")}}));
    log_.takeLines();
    EXPECT_FALSE(store.loadCape("en", "letterBadge"));
    EXPECT_THAT(log_.takeLines(),
                ElementsAre("[WARN] CursorCapeStore load result empty: " + file.string()));
}

TEST_F(CapeStoreTest, CapesBeyondTheLimitsAreRefusedWhole) {
    CapeLimits limits;
    limits.maxFileBytes = 4096;
    limits.maxCursors = 3;
    limits.maxFramesPerCursor = 3;
    limits.maxTotalPixels = 100;
    CursorCapeStore store(folders_, limits);
    const auto file = capeFile("com.tolvane.en.letterbadge.cape");
    const auto small = png(patternImage(4, 4, 1)); // 16 pixels
    auto cursorWith = [](PropertyList::Array frames) {
        return PropertyList(PropertyList::Dictionary{{"Representations", std::move(frames)}});
    };
    auto expectRefused = [&](const std::string& reason) {
        log_.takeLines();
        EXPECT_FALSE(store.loadCape("en", "letterBadge"));
        EXPECT_THAT(log_.takeLines(),
                    ElementsAre("[ERROR] CursorCapeStore load failed: cape exceeds limits " +
                                file.string() + " reason=" + reason));
    };

    writePlist(file, capeRoot({{"a", cursorWith({small})}, {"b", cursorWith({small})}}));
    EXPECT_TRUE(store.loadCape("en", "letterBadge"));

    writeBytes(file, std::vector<std::uint8_t>(4097, 'x'));
    log_.takeLines();
    EXPECT_FALSE(store.loadCape("en", "letterBadge"));
    EXPECT_THAT(log_.takeLines()[0],
                HasSubstr("cape exceeds limits " + file.string() + " reason=file too large"));

    writePlist(file, capeRoot({{"a", cursorWith({small})},
                               {"b", cursorWith({small})},
                               {"c", cursorWith({small})},
                               {"d", cursorWith({small})}}));
    expectRefused("4 cursors");

    writePlist(file, capeRoot({{"a", cursorWith({small, small, small, small})}}));
    expectRefused("4 frames for a");

    PropertyList counted = cursorWith({small});
    (*counted.dictionaryValue())["FrameCount"] = std::int64_t{1000000000};
    writePlist(file, capeRoot({{"a", counted}}));
    expectRefused("frame count 1000000000 for a");

    writePlist(file, capeRoot({{"a", cursorWith({small, small, small})},
                               {"b", cursorWith({small, small, small})},
                               {"c", cursorWith({small, small, small})}}));
    expectRefused("more than 100 pixels");
}

TEST_F(CapeStoreTest, HostileFilesCannotExhaustMemory) {
    CursorCapeStore store(folders_);
    const auto file = capeFile("com.tolvane.en.letterbadge.cape");

    // A frame that claims to be 100000 x 100000 pixels (40 GB decoded).
    auto huge = ::tolvane::testing::withClaimedSize(png(patternImage(4, 4, 1)), 100000, 100000);
    writePlist(file, capeRoot({{"a", PropertyList::Dictionary{
                                         {"Representations", PropertyList::Array{huge}}}}}));
    log_.takeLines();
    EXPECT_FALSE(store.loadCape("en", "letterBadge"));
    auto lines = log_.takeLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], HasSubstr("[ERROR] CursorCapeStore load failed: cape exceeds limits " +
                                    file.string() + " reason=frame of a: "));

    // Arrays nested a hundred thousand deep, in both formats.
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict><key>Cursors</key>";
    for (int i = 0; i < 100000; ++i) {
        xml += "<array>";
    }
    for (int i = 0; i < 100000; ++i) {
        xml += "</array>";
    }
    xml += "</dict></plist>";
    writeBytes(file, std::vector<std::uint8_t>(xml.begin(), xml.end()));
    EXPECT_FALSE(store.loadCape("en", "letterBadge"));
    EXPECT_THAT(
        log_.takeLines(),
        ElementsAre("[ERROR] CursorCapeStore load failed: malformed plist " + file.string()));

    // Binary: object i is an array holding object i + 1; four-byte references.
    const std::uint32_t count = 100000;
    std::vector<std::uint8_t> binary = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    std::vector<std::uint32_t> offsets;
    for (std::uint32_t i = 0; i < count; ++i) {
        offsets.push_back(static_cast<std::uint32_t>(binary.size()));
        if (i + 1 == count) {
            binary.push_back(0xa0);
        } else {
            binary.push_back(0xa1);
            binary.resize(binary.size() + 4);
            ::tolvane::testing::putBigEndian(binary, binary.size() - 4, i + 1);
        }
    }
    const auto tableOffset = static_cast<std::uint32_t>(binary.size());
    for (std::uint32_t offset : offsets) {
        binary.resize(binary.size() + 4);
        ::tolvane::testing::putBigEndian(binary, binary.size() - 4, offset);
    }
    std::vector<std::uint8_t> trailer(32, 0);
    trailer[6] = 4; // offset size
    trailer[7] = 4; // reference size
    ::tolvane::testing::putBigEndian(trailer, 12, count);
    ::tolvane::testing::putBigEndian(trailer, 28, tableOffset);
    binary.insert(binary.end(), trailer.begin(), trailer.end());
    writeBytes(file, binary);
    EXPECT_FALSE(store.loadCape("en", "letterBadge"));
    EXPECT_THAT(
        log_.takeLines(),
        ElementsAre("[ERROR] CursorCapeStore load failed: malformed plist " + file.string()));
}

} // namespace
} // namespace tolvane
