#include "platform/PropertyListSerialization.h"

#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::TemporaryDirectory;

constexpr PropertyListFormat bothFormats[] = {PropertyListFormat::binary, PropertyListFormat::xml};

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::string textOf(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

PropertyList everyKindOfValue() {
    return PropertyList::Dictionary{
        {"empty string", ""},
        {"cyrillic", "Русская раскладка"},
        {"cjk and emoji", "繁體中文 简体 日本語 🙂"},
        {"markup <&> \"quotes\" 'apostrophes'", "a < b && c > d"},
        {"ключ", "a key that is not ASCII"},
        {"largest", std::numeric_limits<std::int64_t>::max()},
        {"smallest", std::numeric_limits<std::int64_t>::min()},
        {"tenth", 0.1},
        {"whole real", 32.0},
        {"tiny", 1e-300},
        {"true", true},
        {"false", false},
        {"before the epoch", PropertyList::Date{-86400.0}},
        {"data", PropertyList::Data{0x00, 0xFF, 0x10, 0x00, 0x7F}},
        {"empty data", PropertyList::Data{}},
        {"array", PropertyList::Array{1, "two", 3.5, false, PropertyList::Array{}}},
        {"nested", PropertyList::Dictionary{{"inner", PropertyList::Dictionary{{"deep", "value"}}},
                                            {"empty", PropertyList::Dictionary{}}}},
    };
}

Bytes serialized(const PropertyList& value, PropertyListFormat format) {
    return PropertyListSerialization::serialize(value, format).value();
}

TEST(PropertyListSerializationTest, EveryValueTypeSurvivesBinaryAndXml) {
    for (auto format : bothFormats) {
        // Any root type, not only dictionaries.
        for (const PropertyList& value :
             {everyKindOfValue(), PropertyList("just a string"), PropertyList(-7)}) {
            auto back = PropertyListSerialization::parse(serialized(value, format));
            ASSERT_TRUE(back.ok()) << back.error();
            EXPECT_EQ(back.value(), value) << (format == PropertyListFormat::xml ? "xml" : "bin");
        }
    }
    EXPECT_EQ(textOf(serialized(everyKindOfValue(), PropertyListFormat::binary)).substr(0, 8),
              "bplist00");

    // The XML date form has no fraction, as on the home platform.
    PropertyList date(PropertyList::Date{1234.5});
    auto binary = PropertyListSerialization::parse(serialized(date, PropertyListFormat::binary));
    EXPECT_EQ(binary->dateValue()->secondsSinceReferenceDate, 1234.5);
    Bytes xml = serialized(date, PropertyListFormat::xml);
    EXPECT_EQ(PropertyListSerialization::parse(xml)->dateValue()->secondsSinceReferenceDate,
              1234.0);
    EXPECT_NE(textOf(xml).find("<date>2001-01-01T00:20:34Z</date>"), std::string::npos);
}

TEST(PropertyListSerializationTest, RefusesToWriteWhatCouldNotBeReadBack) {
    const std::pair<PropertyList, std::string> cases[] = {
        {std::string("a\0b", 3), "string holds a NUL character"},
        {PropertyList::Array{"ok", "\xC3\x28"}, "string is not valid UTF-8"},
        {PropertyList::Dictionary{{"\xED\xA0\x80", 1}}, "dictionary key is not valid UTF-8"},
        {PropertyList::Date{1e12}, "date outside the range a property list can hold"}};
    for (const auto& [value, error] : cases) {
        for (auto format : bothFormats) {
            EXPECT_EQ(PropertyListSerialization::serialize(value, format).error(), error);
        }
    }
}

TEST(PropertyListSerializationTest, MalformedAndTruncatedBytesGiveErrors) {
    for (const char* text : {"garbage", "<plist><integer>12</string></plist>"}) {
        EXPECT_FALSE(PropertyListSerialization::parse(bytesOf(text)).error().empty()) << text;
    }

    // Damage anywhere is the property-list fuzz target's (tests/fuzz).
    for (auto format : bothFormats) {
        Bytes whole = serialized(everyKindOfValue(), format);
        std::size_t complete = format == PropertyListFormat::binary
                                   ? whole.size()
                                   : textOf(whole).find("</plist>") + 8;
        for (std::size_t cut = 0; cut < complete; ++cut) {
            Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
            EXPECT_FALSE(PropertyListSerialization::parse(prefix).ok()) << "cut at " << cut;
        }

    }
}

// A binary property list built by hand from encoded objects, with 4-byte
// offsets and references.
Bytes binaryPlist(const std::vector<Bytes>& objects) {
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
    append(0, 8); // top object
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

Bytes nestedXml(int depth) {
    std::string opening, closing;
    for (int i = 0; i < depth; ++i) {
        opening += "<array>";
        closing += "</array>";
    }
    return bytesOf("<plist version=\"1.0\">" + opening + "<string>x</string>" + closing +
                   "</plist>");
}

TEST(PropertyListSerializationTest, NestingIsLimitedInBothFormats) {
    PropertyListLimits limits;
    limits.maxDepth = 8;
    EXPECT_TRUE(PropertyListSerialization::parse(chainOfArrays(8, 1), limits).ok());
    EXPECT_EQ(PropertyListSerialization::parse(chainOfArrays(9, 1), limits).error(),
              "property list nested deeper than 8 levels");
    EXPECT_TRUE(PropertyListSerialization::parse(nestedXml(8), limits).ok());
    EXPECT_FALSE(PropertyListSerialization::parse(nestedXml(9), limits).ok());

    // Far deeper than the parser's stack would survive, with the usual limits.
    for (const Bytes& deep : {nestedXml(200000), chainOfArrays(200000, 1)}) {
        EXPECT_EQ(PropertyListSerialization::parse(deep).error(),
                  "property list nested deeper than 512 levels");
    }

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
    EXPECT_EQ(PropertyListSerialization::parse(chainOfArrays(60, 2)).error(),
              "property list holds more than 1048576 values");
    // Moderate sharing, as writers do for repeated strings, is fine.
    auto shared = PropertyListSerialization::parse(chainOfArrays(10, 2));
    ASSERT_TRUE(shared.ok()) << shared.error();
    EXPECT_EQ(shared->arrayValue()->size(), 2u);

    EXPECT_EQ(PropertyListSerialization::parse(binaryPlist({arrayOf({1}), arrayOf({0})})).error(),
              "malformed binary property list: reference cycle");
    EXPECT_EQ(PropertyListSerialization::parse(binaryPlist({arrayOf({5})})).error(),
              "malformed binary property list: reference to a missing object");

    std::string manyElements = "<plist><array>";
    for (int i = 0; i < 20; ++i) {
        manyElements += "<true/>";
    }
    PropertyListLimits limits;
    limits.maxValues = 10;
    EXPECT_EQ(PropertyListSerialization::parse(bytesOf(manyElements + "</array></plist>"), limits)
                  .error(),
              "property list holds more than 10 values");
}

TEST(PropertyListSerializationTest, StringsWithNulCharactersAreRefusedAndIdentifiersRead) {
    // As a key the parser would abort the process; as a value it would be cut short.
    Bytes dictionary{0xD1, 0, 0, 0, 1, 0, 0, 0, 2};
    Bytes asciiNul{0x53, 'a', 0, 'b'};
    Bytes utf16Nul{0x62, 0, 'a', 0, 0};
    Bytes value{0x09}; // true
    for (const Bytes& bytes :
         {binaryPlist({dictionary, asciiNul, value}), binaryPlist({dictionary, utf16Nul, value}),
          binaryPlist({arrayOf({1}), asciiNul})}) {
        EXPECT_EQ(PropertyListSerialization::parse(bytes).error(),
                  "malformed binary property list: string holds a NUL character");
    }
    Bytes goodKey{0x51, 'k'};
    auto fine = PropertyListSerialization::parse(binaryPlist({dictionary, goodKey, value}));
    ASSERT_TRUE(fine.ok()) << fine.error();
    EXPECT_EQ(fine.value(), PropertyList(PropertyList::Dictionary{{"k", true}}));
    // A keyed-archive identifier reads as its XML form.
    EXPECT_EQ(PropertyListSerialization::parse(binaryPlist({{0x80, 7}})).value(),
              PropertyList(PropertyList::Dictionary{{"CF$UID", 7}}));
}

TEST(PropertyListSerializationTest, BadFilesAreReportedAndNothingUnreadableIsWritten) {
    TemporaryDirectory folder;
    auto path = folder / "settings.plist";
    testing::writeFile(path, "<plist><dict><key>a</key><true/></plist>");
    auto broken = PropertyListSerialization::readFile(path);
    EXPECT_FALSE(broken.failure().isFileNotFound());
    EXPECT_EQ(broken.error(),
              "not a property list: neither binary nor well-formed XML: " + path.string());

    PropertyListLimits small;
    small.maxBytes = 16;
    EXPECT_EQ(PropertyListSerialization::readFile(path, small)
                  .error()
                  .rfind("file too large: " + path.string(), 0),
              0u);

    auto unwritable = PropertyListSerialization::writeFile(std::string("\xFF"), folder / "x.plist",
                                                           PropertyListFormat::binary);
    EXPECT_EQ(unwritable.error(), "cannot serialise property list for " +
                                      (folder / "x.plist").string() +
                                      ": string is not valid UTF-8");
    EXPECT_FALSE(std::filesystem::exists(folder / "x.plist"));
}

TEST(PropertyListTest, ReadingsAnswerOnlyForTheirOwnTypeAndFindLooksOnlyIntoDictionaries) {
    EXPECT_EQ(*PropertyList("Привет").stringValue(), "Привет");
    EXPECT_FALSE(PropertyList("42").integerValue().has_value());
    EXPECT_FALSE(PropertyList(42).booleanValue().has_value());
    EXPECT_FALSE(PropertyList(1.0).integerValue().has_value());
    EXPECT_FALSE(PropertyList(true).integerValue().has_value());

    PropertyList root; // an empty dictionary
    ASSERT_NE(root.dictionaryValue(), nullptr);
    (*root.dictionaryValue())["values"] = PropertyList::Dictionary{{"cursorIsCustomized", true}};
    EXPECT_EQ(root.find("values")->find("cursorIsCustomized")->booleanValue(), true);
    EXPECT_EQ(root.find("missing"), nullptr);
    EXPECT_EQ(PropertyList("text").find("values"), nullptr);
    EXPECT_NE(PropertyList(3), PropertyList(3.0));
}

} // namespace
} // namespace tolvane
