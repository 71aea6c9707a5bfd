#include "render/CursorStyle.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

// Every marker style's look for en, zh-hans, de and ru is pinned pixel for
// pixel by the decoration record (tests/render); here, the colours it never draws.
TEST(CursorStyle, FixedAndHashedColoursTheRecordDoesNotDraw) {
    const auto fill = [](CursorStyle::Value style, const std::string& code) {
        return CursorStyle(style).marker(InputLanguage::make(code, "Name", "id"))->fillColor;
    };
    EXPECT_EQ(fill(CursorStyle::letterBadge, "ru"), Color::systemRed());
    // The hue in degrees; "eng" is not "en": only whole codes get the fixed colours.
    for (const auto& [code, hue] : {std::pair{"unknown", 121.0}, std::pair{"eng", 191.0}}) {
        const Color hashed = Color::calibratedHSB(hue / 360.0, 0.72, 0.78, 1.0);
        EXPECT_EQ(fill(CursorStyle::letterBadge, code), hashed) << code;
        EXPECT_EQ(fill(CursorStyle::dotBadge, code), hashed) << code;
        EXPECT_EQ(fill(CursorStyle::highContrast, code), Color::systemYellow()) << code;
    }
    EXPECT_FALSE(CursorStyle(CursorStyle::system).marker(InputLanguage::make("en", "", "")));
}

} // namespace
} // namespace tolvane
