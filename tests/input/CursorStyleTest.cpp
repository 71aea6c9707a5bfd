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

// With Caps Lock on, the text goes to capitals where its script has case and the
// style adds its mark; colours and sizes stay those of the plain marker.
TEST(CursorStyle, CapsLockCapitalizesTheTextAndAddsTheStylesMark) {
    struct Row {
        CursorStyle::Value style;
        const char* code;
        std::optional<std::string> text;
        CapsLockMark mark;
    };
    const Row rows[] = {
        {CursorStyle::letterBadge, "en", "EN", CapsLockMark::bar},
        {CursorStyle::letterBadge, "ru", "\u0420\u0423", CapsLockMark::bar},
        {CursorStyle::letterBadge, "zh-hans", "\u7B80", CapsLockMark::bar},
        {CursorStyle::letterBadge, "de", "DE", CapsLockMark::bar},
        {CursorStyle::letterBadge, "unknown", "??", CapsLockMark::bar},
        {CursorStyle::highContrast, "ru", "\u0420\u0423", CapsLockMark::bar},
        {CursorStyle::dotBadge, "en", std::nullopt, CapsLockMark::ring},
    };
    for (const Row& row : rows) {
        const InputLanguage language = InputLanguage::make(row.code, "Name", "id");
        const auto plain = CursorStyle(row.style).marker(language);
        const auto caps = CursorStyle(row.style).marker(language, true);
        ASSERT_TRUE(plain && caps) << row.code;
        EXPECT_EQ(plain->capsLockMark, CapsLockMark::none) << row.code;
        EXPECT_EQ(caps->text, row.text) << row.code;
        EXPECT_EQ(caps->capsLockMark, row.mark) << row.code;
        EXPECT_EQ(caps->fillColor, plain->fillColor) << row.code;
        EXPECT_EQ(caps->textColor, plain->textColor) << row.code;
        EXPECT_EQ(caps->diameter, plain->diameter) << row.code;
    }
    EXPECT_FALSE(CursorStyle(CursorStyle::system).marker(InputLanguage::make("en", "", ""), true));
}

} // namespace
} // namespace tolvane
