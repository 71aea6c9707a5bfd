#include "input/InputLanguage.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(InputLanguage, NormalizedCodeKeepsThePrimarySubtagAndTheChineseScript) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"  EN_us\n", "en"},    {"de", "de"},            {"fil", "fil"},
        {"zh_CN", "zh-hans"},   {"zh-Hant-TW", "zh-hant"}, {"zh-MO", "zh-hant"},
        {"zh-SG", "zh-hans"},   {"zh-Hans-HK", "zh-hans"}, {"zh", "zh"},
        {"zh-Latn", "zh"},      {"-en", "en"},             {"", "unknown"},
        {"---", "unknown"},     {"english", "unknown"},    {"x-private", "unknown"},
        {"\xC3\xA9", "unknown"}, {"e1", "unknown"},         {"\u00A0ru\u2028", "ru"},
    };
    // clang-format on
    for (const auto& [raw, expected] : cases) {
        EXPECT_EQ(InputLanguage::normalizedCode(raw), expected) << "raw '" << raw << "'";
        // Every result is a fixed point.
        EXPECT_EQ(InputLanguage::normalizedCode(expected), expected);
    }
}

TEST(InputLanguage, BadgeTextHasFixedTextsAndCapitalisesOtherCodes) {
    const std::pair<const char*, const char*> cases[] = {
        {"en", "En"},      {"ru", "\u0420\u0443"}, {"zh-hans", "\u7B80"}, {"zh-hant", "\u7E41"},
        {"unknown", "??"}, {"de", "DE"},           {"fil", "FIL"},        {"zh", "ZH"},
        {"", "??"},        {"EN", "??"},           {"-nl-", "NL"},        {"english", "??"},
    };
    for (const auto& [code, expected] : cases) {
        EXPECT_EQ(InputLanguage::badgeText(code), expected) << "code '" << code << "'";
    }
}

TEST(InputLanguage, ConstructionNormalisesTheCodeAndTrimsOrReplacesEmptyNames) {
    auto language = InputLanguage::make("EN-us", " \t ", "");
    EXPECT_EQ(language.code(), "en");
    EXPECT_EQ(language.badgeText(), "En");
    EXPECT_EQ(language.displayName(), "Unknown");
    EXPECT_EQ(language.sourceID(), "unknown");

    EXPECT_EQ(InputLanguage::make("ru", "Russian", "id"),
              InputLanguage::make("ru_RU", " Russian", "id"));
    EXPECT_NE(InputLanguage::make("ru", "Russian", "id"),
              InputLanguage::make("ru", "Russian", "id2"));
    EXPECT_EQ(InputLanguage::unknown(), InputLanguage::make("", "", " "));
}

} // namespace
} // namespace tolvane
