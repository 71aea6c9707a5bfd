#include "render/CursorStyle.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

std::optional<CursorMarker> marker(CursorStyle::Value style, const std::string& code) {
    return CursorStyle(style).marker(InputLanguage::make(code, "Name", "id"));
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

TEST(CursorStyle, EachStyleDrawsItsOwnLook) {
    const Color englishBlue = Color::calibratedRGB(0.0, 0.2, 0.7, 1.0);
    for (const char* code : {"en", "ru", "zh-hans", "unknown"}) {
        EXPECT_FALSE(marker(CursorStyle::system, code).has_value()) << code;
        // High contrast ignores the language's colour.
        expectMarker(marker(CursorStyle::highContrast, code), InputLanguage::badgeText(code),
                     Color::systemYellow(), Color::black(), Color::black().withAlpha(0.9), 1.2);
    }
    expectMarker(marker(CursorStyle::letterBadge, "en"), "En", englishBlue, Color::white(),
                 Color::white().withAlpha(0.85), 1.0);
    expectMarker(marker(CursorStyle::letterBadge, "ru"), "\u0420\u0443", Color::systemRed(),
                 Color::white(), Color::white().withAlpha(0.85), 1.0);
    expectMarker(marker(CursorStyle::dotBadge, "en"), std::nullopt, englishBlue, Color::clear(),
                 Color::black().withAlpha(0.85), 1.4);
}

TEST(CursorStyle, OtherLanguagesGetTheirStableHashedColour) {
    // The hue in degrees, at fixed saturation and brightness. "eng" is not
    // "en": only whole codes get the fixed colours.
    const std::tuple<const char*, const char*, double> cases[] = {
        {"de", "DE", 338}, {"zh-hans", "\u7B80", 194}, {"unknown", "??", 121}, {"eng", "ENG", 191}};
    for (const auto& [code, badge, hue] : cases) {
        Color hashed = Color::calibratedHSB(hue / 360.0, 0.72, 0.78, 1.0);
        expectMarker(marker(CursorStyle::letterBadge, code), badge, hashed, Color::white(),
                     Color::white().withAlpha(0.85), 1.0);
        expectMarker(marker(CursorStyle::dotBadge, code), std::nullopt, hashed, Color::clear(),
                     Color::black().withAlpha(0.85), 1.4);
    }
}

} // namespace
} // namespace tolvane
