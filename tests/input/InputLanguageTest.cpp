#include "input/InputLanguage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

namespace tolvane {
namespace {

TEST(InputLanguage, NormalizedCodeKeepsThePrimarySubtagAndTheChineseScript) {
    const std::pair<const char*, const char*> cases[] = {
        {"  EN_us\n", "en"},    {"en-GB", "en"},        {"de", "de"},
        {"fil", "fil"},         {"zh_CN", "zh-hans"},   {"zh-Hant-TW", "zh-hant"},
        {"zh-MO", "zh-hant"},   {"zh-SG", "zh-hans"},   {"zh-Hans-HK", "zh-hans"},
        {"zh", "zh"},           {"zh-Latn", "zh"},      {"-en", "en"},
        {"en--US", "en"},       {"", "unknown"},        {"   ", "unknown"},
        {"---", "unknown"},     {"english", "unknown"}, {"x-private", "unknown"},
        {"\xC3\xA9", "unknown"}, {"e1", "unknown"},     {"\u00A0ru\u2028", "ru"},
    };
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

    auto russian = InputLanguage::make("ru", "  Russian \u2013 PC\n", " com.apple.keylayout.Russian ");
    EXPECT_EQ(russian.displayName(), "Russian \u2013 PC");
    EXPECT_EQ(russian.sourceID(), "com.apple.keylayout.Russian");
    EXPECT_NE(russian, language);
    EXPECT_EQ(russian, InputLanguage::make("ru_RU", "Russian \u2013 PC", "com.apple.keylayout.Russian"));

    const InputLanguage& unknown = InputLanguage::unknown();
    EXPECT_EQ(unknown.code(), "unknown");
    EXPECT_EQ(unknown.badgeText(), "??");
    EXPECT_EQ(unknown.displayName(), "Unknown");
    EXPECT_EQ(unknown.sourceID(), "unknown");
}

TEST(InputLanguage, UnknownIsBuiltOnceEvenWhenFirstUsedFromManyThreads) {
    std::vector<const InputLanguage*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] { seen[i] = &InputLanguage::unknown(); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const auto* pointer : seen) {
        EXPECT_EQ(pointer, seen.front());
    }
}

// Hue in degrees of a colour with full alpha, from its RGB components.
double hueDegrees(const Color& color) {
    double maximum = std::max({color.red, color.green, color.blue});
    double minimum = std::min({color.red, color.green, color.blue});
    double chroma = maximum - minimum;
    double hue = maximum == color.red     ? std::fmod((color.green - color.blue) / chroma, 6.0)
                 : maximum == color.green ? (color.blue - color.red) / chroma + 2.0
                                          : (color.red - color.green) / chroma + 4.0;
    return std::fmod(hue * 60.0 + 360.0, 360.0);
}

TEST(InputLanguage, StableColorHashesTheCodeIntoAHue) {
    EXPECT_NEAR(hueDegrees(InputLanguage::stableColor("")), 61.0, 1e-9);
    // 32-bit FNV-1a of "de" is 0x5c1ccea2 = 1545391778; modulo 360 that is 338.
    EXPECT_NEAR(hueDegrees(InputLanguage::stableColor("de")), 338.0, 1e-9);
    // Scalars, not bytes: "简" is one scalar U+7B80.
    std::uint32_t hash = (0x811C9DC5u ^ 0x7B80u) * 16777619u;
    EXPECT_NEAR(hueDegrees(InputLanguage::stableColor("\u7B80")), static_cast<double>(hash % 360u), 1e-9);

    Color german = InputLanguage::stableColor("de");
    EXPECT_EQ(german, InputLanguage::stableColor("de"));
    EXPECT_NEAR(std::max({german.red, german.green, german.blue}), 0.78, 1e-12);
    EXPECT_NEAR(std::min({german.red, german.green, german.blue}), 0.78 * 0.28, 1e-12);
    EXPECT_DOUBLE_EQ(german.alpha, 1.0);
    EXPECT_NE(german, InputLanguage::stableColor("nl"));
}

} // namespace
} // namespace tolvane
