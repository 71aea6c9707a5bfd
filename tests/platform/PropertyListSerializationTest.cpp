#include "platform/PropertyListSerialization.h"

#include "support/TemporaryDirectory.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <plist/plist.h>
#include <random>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::TemporaryDirectory;

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::string textOf(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

PropertyList everyKindOfValue() {
    PropertyList::Data binary{0x00, 0xFF, 0x10, 0x00, 0x7F};
    return PropertyList::Dictionary{
        {"string", "plain"},
        {"empty string", ""},
        {"cyrillic", "Русская раскладка"},
        {"cjk and emoji", "繁體中文 简体 日本語 🙂"},
        {"markup <&> \"quotes\" 'apostrophes'", "a < b && c > d"},
        {"ключ", "a key that is not ASCII"},
        {"integer", 42},
        {"zero", 0},
        {"negative", -5},
        {"largest", std::numeric_limits<std::int64_t>::max()},
        {"smallest", std::numeric_limits<std::int64_t>::min()},
        {"real", 1.08},
        {"tenth", 0.1},
        {"whole real", 32.0},
        {"tiny", 1e-300},
        {"huge", -1.5e300},
        {"true", true},
        {"false", false},
        {"date", PropertyList::Date{7.0 * 86400.0}},
        {"before the epoch", PropertyList::Date{-86400.0}},
        {"data", binary},
        {"empty data", PropertyList::Data{}},
        {"array", PropertyList::Array{1, "two", 3.5, false, PropertyList::Array{}}},
        {"nested", PropertyList::Dictionary{{"inner", PropertyList::Dictionary{{"deep", "value"}}},
                                            {"empty", PropertyList::Dictionary{}}}},
    };
}

Result<PropertyList> roundTrip(const PropertyList& value, PropertyListFormat format) {
    auto bytes = PropertyListSerialization::serialize(value, format);
    if (!bytes) {
        return bytes.failure();
    }
    return PropertyListSerialization::parse(bytes.value());
}

TEST(PropertyListSerializationTest, EveryValueTypeSurvivesBinaryAndXml) {
    for (auto format : {PropertyListFormat::binary, PropertyListFormat::xml}) {
        auto back = roundTrip(everyKindOfValue(), format);
        ASSERT_TRUE(back.ok()) << back.error();
        EXPECT_EQ(back.value(), everyKindOfValue())
            << (format == PropertyListFormat::xml ? "xml" : "binary");
    }
    // Any root type, not only dictionaries.
    for (const PropertyList& root :
         {PropertyList("just a string"), PropertyList(PropertyList::Array{1, 2}), PropertyList(-7),
          PropertyList(true)}) {
        for (auto format : {PropertyListFormat::binary, PropertyListFormat::xml}) {
            auto back = roundTrip(root, format);
            ASSERT_TRUE(back.ok()) << back.error();
            EXPECT_EQ(back.value(), root);
        }
    }
}

TEST(PropertyListSerializationTest, BinaryKeepsFractionsOfSecondsXmlKeepsWholeSeconds) {
    PropertyList date(PropertyList::Date{1234.5});
    auto binary = roundTrip(date, PropertyListFormat::binary);
    ASSERT_TRUE(binary.ok());
    EXPECT_EQ(binary->dateValue()->secondsSinceReferenceDate, 1234.5);

    // The XML date form has no fraction, as on the home platform.
    auto xml = roundTrip(date, PropertyListFormat::xml);
    ASSERT_TRUE(xml.ok());
    EXPECT_EQ(xml->dateValue()->secondsSinceReferenceDate, 1234.0);
    auto text = PropertyListSerialization::serialize(date, PropertyListFormat::xml);
    EXPECT_NE(textOf(text.value()).find("<date>2001-01-01T00:20:34Z</date>"), std::string::npos);
}

TEST(PropertyListSerializationTest, WritesTheFormatAskedFor) {
    auto binary =
        PropertyListSerialization::serialize(everyKindOfValue(), PropertyListFormat::binary);
    auto xml = PropertyListSerialization::serialize(everyKindOfValue(), PropertyListFormat::xml);
    ASSERT_TRUE(binary.ok());
    ASSERT_TRUE(xml.ok());
    EXPECT_EQ(textOf(binary.value()).substr(0, 8), "bplist00");
    EXPECT_EQ(PropertyListSerialization::formatOf(binary.value()), PropertyListFormat::binary);
    std::string text = textOf(xml.value());
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    EXPECT_NE(text.find("<plist version=\"1.0\">"), std::string::npos);
    EXPECT_NE(text.find("<string>Русская раскладка</string>"),
              std::string::npos); // UTF-8, not escaped
    EXPECT_NE(text.find("<string>a &lt; b &amp;&amp; c &gt; d</string>"), std::string::npos);
    EXPECT_EQ(PropertyListSerialization::formatOf(xml.value()), PropertyListFormat::xml);
}

TEST(PropertyListSerializationTest, RefusesToWriteWhatCouldNotBeReadBack) {
    auto nul =
        PropertyListSerialization::serialize(std::string("a\0b", 3), PropertyListFormat::xml);
    ASSERT_FALSE(nul.ok());
    EXPECT_EQ(nul.error(), "string holds a NUL character");

    auto badText = PropertyListSerialization::serialize(PropertyList::Array{"ok", "\xC3\x28"},
                                                        PropertyListFormat::binary);
    ASSERT_FALSE(badText.ok());
    EXPECT_EQ(badText.error(), "string is not valid UTF-8");

    PropertyList::Dictionary badKey{{"\xED\xA0\x80", 1}}; // an encoded surrogate
    auto key = PropertyListSerialization::serialize(badKey, PropertyListFormat::binary);
    ASSERT_FALSE(key.ok());
    EXPECT_EQ(key.error(), "dictionary key is not valid UTF-8");

    auto farDate =
        PropertyListSerialization::serialize(PropertyList::Date{1e12}, PropertyListFormat::binary);
    ASSERT_FALSE(farDate.ok());
    EXPECT_EQ(farDate.error(), "date outside the range a property list can hold");
}

TEST(PropertyListSerializationTest, MalformedAndTruncatedBytesGiveErrors) {
    for (const std::string& text : {std::string(), std::string("garbage"), std::string("bplist00"),
                                    std::string("<plist version=\"1.0\"><dict><key>a</key>"),
                                    std::string("<plist><integer>12</string></plist>")}) {
        auto parsed = PropertyListSerialization::parse(bytesOf(text));
        ASSERT_FALSE(parsed.ok()) << text;
        EXPECT_FALSE(parsed.error().empty());
    }

    for (auto format : {PropertyListFormat::binary, PropertyListFormat::xml}) {
        Bytes whole = PropertyListSerialization::serialize(everyKindOfValue(), format).value();
        std::size_t complete = format == PropertyListFormat::binary
                                   ? whole.size()
                                   : textOf(whole).find("</plist>") + 8;
        for (std::size_t cut = 0; cut < complete; ++cut) {
            Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
            EXPECT_FALSE(PropertyListSerialization::parse(prefix).ok()) << "cut at " << cut;
        }
    }
}

TEST(PropertyListSerializationTest, DamagedBytesNeverCrashTheReader) {
    std::mt19937 random(20240601);
    for (auto format : {PropertyListFormat::binary, PropertyListFormat::xml}) {
        Bytes whole = PropertyListSerialization::serialize(everyKindOfValue(), format).value();
        int failures = 0;
        for (int round = 0; round < 3000; ++round) {
            Bytes damaged = whole;
            for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips) {
                damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
            }
            auto parsed = PropertyListSerialization::parse(damaged);
            if (!parsed.ok()) {
                EXPECT_FALSE(parsed.error().empty());
                ++failures;
            }
        }
        EXPECT_GT(failures, 0); // the damage was noticed at least sometimes
    }
}

// A binary property list built by hand from encoded objects, with 4-byte
// offsets and references.
Bytes binaryPlist(const std::vector<Bytes>& objects, std::uint64_t top = 0) {
    Bytes out = bytesOf("bplist00");
    std::vector<std::uint64_t> offsets;
    for (const auto& object : objects) {
        offsets.push_back(out.size());
        out.insert(out.end(), object.begin(), object.end());
    }
    auto append = [&out](std::uint64_t value, int width) {
        for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) {
            out.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    };
    std::uint64_t table = out.size();
    for (auto offset : offsets) {
        append(offset, 4);
    }
    out.insert(out.end(), 6, 0);
    out.push_back(4); // offset size
    out.push_back(4); // reference size
    append(objects.size(), 8);
    append(top, 8);
    append(table, 8);
    return out;
}

Bytes arrayOf(std::initializer_list<std::uint32_t> references) {
    Bytes object{static_cast<std::uint8_t>(0xA0 | references.size())};
    for (auto reference : references) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            object.push_back(static_cast<std::uint8_t>(reference >> shift));
        }
    }
    return object;
}

// count arrays, each holding `width` references to the next one.
Bytes chainOfArrays(std::uint32_t count, int width) {
    std::vector<Bytes> objects;
    for (std::uint32_t i = 0; i + 1 < count; ++i) {
        objects.push_back(width == 1 ? arrayOf({i + 1}) : arrayOf({i + 1, i + 1}));
    }
    objects.push_back(arrayOf({}));
    return binaryPlist(objects);
}

TEST(PropertyListSerializationTest, NestingIsLimitedInBothFormats) {
    PropertyListLimits limits;
    limits.maxDepth = 8;
    auto atLimit = PropertyListSerialization::parse(chainOfArrays(8, 1), limits);
    ASSERT_TRUE(atLimit.ok()) << atLimit.error();
    const PropertyList* level = &atLimit.value();
    for (int depth = 1; depth < 8; ++depth) {
        ASSERT_EQ(level->arrayValue()->size(), 1u);
        level = &level->arrayValue()->front();
    }
    EXPECT_TRUE(level->arrayValue()->empty());

    auto beyond = PropertyListSerialization::parse(chainOfArrays(9, 1), limits);
    ASSERT_FALSE(beyond.ok());
    EXPECT_EQ(beyond.error(), "property list nested deeper than 8 levels");

    auto nestedXml = [](int depth) {
        std::string text = "<plist version=\"1.0\">";
        for (int i = 0; i < depth; ++i) {
            text += "<array>";
        }
        text += "<string>x</string>";
        for (int i = 0; i < depth; ++i) {
            text += "</array>";
        }
        return bytesOf(text + "</plist>");
    };
    EXPECT_TRUE(PropertyListSerialization::parse(nestedXml(8), limits).ok());
    EXPECT_FALSE(PropertyListSerialization::parse(nestedXml(9), limits).ok());

    // Far deeper than the parser's stack would survive, with the usual limits.
    auto deepXml = PropertyListSerialization::parse(nestedXml(200000));
    ASSERT_FALSE(deepXml.ok());
    EXPECT_EQ(deepXml.error(), "property list nested deeper than 512 levels");
    auto deepBinary = PropertyListSerialization::parse(chainOfArrays(200000, 1));
    ASSERT_FALSE(deepBinary.ok());
    EXPECT_EQ(deepBinary.error(), "property list nested deeper than 512 levels");

    // Writing refuses what reading would refuse.
    PropertyList deep = PropertyList::Array{};
    for (int i = 0; i < 8; ++i) {
        deep = PropertyList::Array{deep};
    }
    EXPECT_FALSE(
        PropertyListSerialization::serialize(deep, PropertyListFormat::binary, limits).ok());
}

TEST(PropertyListSerializationTest, SharedObjectsCannotExpandBeyondTheValueLimit) {
    // 60 arrays each referring twice to the next expand to 2^60 values.
    auto bomb = PropertyListSerialization::parse(chainOfArrays(60, 2));
    ASSERT_FALSE(bomb.ok());
    EXPECT_EQ(bomb.error(), "property list holds more than 1048576 values");

    // Moderate sharing, as writers do for repeated strings, is fine.
    auto shared = PropertyListSerialization::parse(chainOfArrays(10, 2));
    ASSERT_TRUE(shared.ok()) << shared.error();
    EXPECT_EQ(shared->arrayValue()->size(), 2u);

    Bytes cycle = binaryPlist({arrayOf({1}), arrayOf({0})});
    auto cyclic = PropertyListSerialization::parse(cycle);
    ASSERT_FALSE(cyclic.ok());
    EXPECT_EQ(cyclic.error(), "malformed binary property list: reference cycle");

    Bytes dangling = binaryPlist({arrayOf({5})});
    EXPECT_EQ(PropertyListSerialization::parse(dangling).error(),
              "malformed binary property list: reference to a missing object");

    std::string manyElements = "<plist><array>";
    for (int i = 0; i < 20; ++i) {
        manyElements += "<true/>";
    }
    PropertyListLimits limits;
    limits.maxValues = 10;
    auto tooMany =
        PropertyListSerialization::parse(bytesOf(manyElements + "</array></plist>"), limits);
    ASSERT_FALSE(tooMany.ok());
    EXPECT_EQ(tooMany.error(), "property list holds more than 10 values");
}

TEST(PropertyListSerializationTest, StringsWithNulCharactersAreRefused) {
    // The parser would abort the process on such a key.
    Bytes dictionary{0xD1, 0, 0, 0, 1, 0, 0, 0, 2};
    Bytes asciiKey{0x53, 'a', 0, 'b'};
    Bytes utf16Key{0x62, 0, 'a', 0, 0};
    Bytes value{0x09}; // true
    for (const Bytes& key : {asciiKey, utf16Key}) {
        auto parsed = PropertyListSerialization::parse(binaryPlist({dictionary, key, value}));
        ASSERT_FALSE(parsed.ok());
        EXPECT_EQ(parsed.error(), "malformed binary property list: string holds a NUL character");
    }
    // As a value it would silently be cut short.
    auto asValue = PropertyListSerialization::parse(binaryPlist({arrayOf({1}), asciiKey}));
    ASSERT_FALSE(asValue.ok());
    EXPECT_EQ(asValue.error(), "malformed binary property list: string holds a NUL character");

    Bytes goodKey{0x51, 'k'};
    auto fine = PropertyListSerialization::parse(binaryPlist({dictionary, goodKey, value}));
    ASSERT_TRUE(fine.ok()) << fine.error();
    EXPECT_EQ(fine.value(), PropertyList(PropertyList::Dictionary{{"k", true}}));
}

TEST(PropertyListSerializationTest, KeyedArchiveIdentifiersReadAsTheirXmlForm) {
    plist_t uid = plist_new_uid(7);
    char* raw = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(uid, &raw, &length);
    plist_free(uid);
    ASSERT_NE(raw, nullptr);
    Bytes bytes(raw, raw + length);
    std::free(raw);

    auto parsed = PropertyListSerialization::parse(bytes);
    ASSERT_TRUE(parsed.ok()) << parsed.error();
    EXPECT_EQ(parsed.value(), PropertyList(PropertyList::Dictionary{{"CF$UID", 7}}));
}

TEST(PropertyListSerializationTest, FilesAreWrittenAtomicallyAndReadWithinTheSizeLimit) {
    TemporaryDirectory folder;
    auto path = folder / "settings.plist";
    ASSERT_TRUE(
        PropertyListSerialization::writeFile(everyKindOfValue(), path, PropertyListFormat::xml)
            .ok());
    auto back = PropertyListSerialization::readFile(path);
    ASSERT_TRUE(back.ok()) << back.error();
    EXPECT_EQ(back.value(), everyKindOfValue());

    PropertyListLimits small;
    small.maxBytes = 64;
    auto tooLarge = PropertyListSerialization::readFile(path, small);
    ASSERT_FALSE(tooLarge.ok());
    EXPECT_NE(tooLarge.error().find("file too large: " + path.string()), std::string::npos);

    auto missing = PropertyListSerialization::readFile(folder / "missing.plist");
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.failure().isFileNotFound());

    testing::writeFile(folder / "broken.plist", "<plist><dict><key>a</key><true/></plist>");
    auto broken = PropertyListSerialization::readFile(folder / "broken.plist");
    ASSERT_FALSE(broken.ok());
    EXPECT_FALSE(broken.failure().isFileNotFound());
    EXPECT_EQ(broken.error(), "not a property list: neither binary nor well-formed XML: " +
                                  (folder / "broken.plist").string());

    auto unwritable = PropertyListSerialization::writeFile(std::string("\xFF"), folder / "x.plist",
                                                           PropertyListFormat::binary);
    ASSERT_FALSE(unwritable.ok());
    EXPECT_EQ(unwritable.error(), "cannot serialise property list for " +
                                      (folder / "x.plist").string() +
                                      ": string is not valid UTF-8");
    EXPECT_FALSE(std::filesystem::exists(folder / "x.plist"));
}

} // namespace
} // namespace tolvane
