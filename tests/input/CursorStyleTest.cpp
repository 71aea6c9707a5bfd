#include "render/CursorStyle.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

InputLanguage language(const std::string& code) {
    return InputLanguage::make(code, "Name", "id");
}

// The hashed colour a language gets: its hue in degrees, fixed saturation and brightness.
Color hashedColor(double degrees) {
    return Color::calibratedHSB(degrees / 360.0, 0.72, 0.78, 1.0);
}

void expectMarker(const std::optional<CursorMarker>& marker, const std::optional<std::string>& text,
                  Color fill, Color textColor, Color border, double borderWidth) {
    ASSERT_TRUE(marker.has_value());
    EXPECT_EQ(marker->text, text);
    EXPECT_EQ(marker->fillColor, fill);
    EXPECT_EQ(marker->textColor, textColor);
    EXPECT_EQ(marker->borderColor, border);
    EXPECT_EQ(marker->diameter, 18.0);
    EXPECT_EQ(marker->borderWidth, borderWidth);
}

TEST(CursorStyle, RawValuesRoundTripAndOnlyExactSpellingsAreStyles) {
    for (auto value : CursorStyle::allCases) {
        auto parsed = CursorStyle::fromRawValue(CursorStyle(value).rawValue());
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(*parsed, value);
    }
    EXPECT_EQ(CursorStyle(CursorStyle::letterBadge).rawValue(), "letterBadge");
    EXPECT_EQ(CursorStyle(CursorStyle::highContrast).rawValue(), "highContrast");
    for (const char* text : {"LetterBadge", "dotbadge", "system ", "", "high-contrast", "none"}) {
        EXPECT_FALSE(CursorStyle::fromRawValue(text).has_value()) << text;
    }
}

TEST(CursorStyle, SystemStyleDrawsNothingForAnyLanguage) {
    for (const char* code : {"en", "ru", "de", "zh-hans", "unknown"}) {
        EXPECT_FALSE(CursorStyle(CursorStyle::system).marker(language(code)).has_value()) << code;
    }
}

TEST(CursorStyle, EachStyleDrawsItsOwnLook) {
    const Color englishBlue = Color::calibratedRGB(0.0, 0.2, 0.7, 1.0);
    expectMarker(CursorStyle(CursorStyle::letterBadge).marker(language("en")), "En", englishBlue,
                 Color::white(), Color::white().withAlpha(0.85), 1.0);
    expectMarker(CursorStyle(CursorStyle::dotBadge).marker(language("ru")), std::nullopt,
                 Color::systemRed(), Color::clear(), Color::black().withAlpha(0.85), 1.4);
    // High contrast ignores the language's colour.
    for (const char* code : {"de", "en", "ru"}) {
        expectMarker(CursorStyle(CursorStyle::highContrast).marker(language(code)),
                     InputLanguage::badgeText(code), Color::systemYellow(), Color::black(),
                     Color::black().withAlpha(0.9), 1.2);
    }
    expectMarker(CursorStyle(CursorStyle::dotBadge).marker(language("en")), std::nullopt,
                 englishBlue, Color::clear(), Color::black().withAlpha(0.85), 1.4);
    expectMarker(CursorStyle(CursorStyle::letterBadge).marker(language("ru")), "\u0420\u0443",
                 Color::systemRed(), Color::white(), Color::white().withAlpha(0.85), 1.0);
}

TEST(CursorStyle, OtherLanguagesGetTheirStableHashedColour) {
    struct Case {
        const char* code;
        const char* badge;
        double hueDegrees;
    };
    // "eng" is not "en": only whole codes get the fixed colours.
    const Case cases[] = {{"de", "DE", 338},
                          {"zh-hans", "\u7B80", 194},
                          {"unknown", "??", 121},
                          {"eng", "ENG", 191},
                          {"fr", "FR", 81}};
    for (const auto& entry : cases) {
        auto letter = CursorStyle(CursorStyle::letterBadge).marker(language(entry.code));
        expectMarker(letter, entry.badge, hashedColor(entry.hueDegrees), Color::white(),
                     Color::white().withAlpha(0.85), 1.0);
        auto dot = CursorStyle(CursorStyle::dotBadge).marker(language(entry.code));
        expectMarker(dot, std::nullopt, hashedColor(entry.hueDegrees), Color::clear(),
                     Color::black().withAlpha(0.85), 1.4);
        auto again = CursorStyle(CursorStyle::letterBadge).marker(language(entry.code));
        ASSERT_TRUE(again.has_value());
        EXPECT_EQ(again->fillColor, letter->fillColor) << entry.code;
    }
}

} // namespace
} // namespace tolvane
