// The keymap's layouts as the X11 desktop reads them: the bytes of the root
// window's _XKB_RULES_NAMES property, then each layout's languages from the
// XKB layout registry and the ISO 639 tables installed on the machine.
#include "platform/x11/XkbLayoutRegistry.h"
#include "platform/x11/XkbRulesNames.h"

#include <gtest/gtest.h>

#include <string_view>

using namespace tolvane;

namespace {

XkbRulesNames parsed(std::string_view bytes) {
    return XkbRulesNames::parse(
        {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

using namespace std::string_view_literals;

TEST(XkbLayoutsTest, RulesNamesPropertyIsReadWhateverItHolds) {
    struct Case {
        std::string_view name;
        std::string_view bytes;
        XkbRulesNames expected;
        std::vector<std::string> layouts;
    };
    const Case cases[] = {
        {"all five fields", "evdev\0pc105\0us,ru,de\0,,neo\0grp:alt_shift_toggle\0"sv,
         {"evdev", "pc105", "us,ru,de", ",,neo", "grp:alt_shift_toggle"},
         {"us", "ru", "de(neo)"}},
        {"empty fields", "evdev\0\0us\0\0\0"sv, {"evdev", "", "us", "", ""}, {"us"}},
        {"three strings only", "evdev\0pc105\0us,ru\0"sv,
         {"evdev", "pc105", "us,ru", std::nullopt, std::nullopt}, {"us", "ru"}},
        {"last field cut short", "evdev\0pc105\0us,r"sv,
         {"evdev", "pc105", "us,r", std::nullopt, std::nullopt}, {"us", "r"}},
        {"no NUL at all", "evdev"sv, {"evdev", std::nullopt, std::nullopt, std::nullopt, std::nullopt}, {}},
        {"empty property", ""sv, {}, {}},
        {"bytes after the fifth field", "a\0b\0us\0\0o\0trailing\0"sv, {"a", "b", "us", "", "o"}, {"us"}},
        {"variant in the layout field", "\0\0us,de(neo),fr(\0,nodeadkeys,bepo\0"sv,
         {"", "", "us,de(neo),fr(", ",nodeadkeys,bepo", std::nullopt},
         {"us", "de(neo)", "fr((bepo)"}},
        {"more variants than layouts, gap kept", "\0\0us,,ru\0a,b,c,d\0"sv,
         {"", "", "us,,ru", "a,b,c,d", std::nullopt}, {"us(a)", "(b)", "ru(c)"}},
    };
    for (const Case& c : cases) {
        const XkbRulesNames names = parsed(c.bytes);
        EXPECT_EQ(names, c.expected) << c.name;
        std::vector<std::string> layouts;
        for (const XkbLayout& layout : names.layouts()) {
            layouts.push_back(layout.name());
        }
        EXPECT_EQ(layouts, c.layouts) << c.name;
    }
}

TEST(XkbLayoutsTest, LayoutsSpeakTheLanguagesTheRegistryAndOurMendsGive) {
    const XkbLayoutRegistry registry;
    const std::pair<XkbLayout, std::string> cases[] = {
        {{"us", ""}, "en"},         {{"ru", ""}, "ru"},          {{"de", "neo"}, "de"},
        {{"ua", ""}, "uk"},         {{"fr", ""}, "fr"},          {{"by", ""}, "be"},
        {{"kz", ""}, "kk"},         {{"gb", ""}, "en"},          {{"il", ""}, "he"},
        {{"jp", ""}, "ja"},         {{"cn", ""}, "zh"},          {{"kr", ""}, "ko"},
        {{"am", ""}, "hy"},         {{"de", "no-such"}, "de"},
        // The registry's own entries name another language first.
        {{"by", "ru"}, "ru"},       {{"ua", "rstu_ru"}, "ru"},   {{"kz", "ruskaz"}, "ru"},
        {{"gb", "gla"}, "gd"},      {{"tw", ""}, "zh"},          {{"my", ""}, "ms"},
        {{"ma", ""}, "ar"},         {{"sy", ""}, "ar"},          {{"af", ""}, "fa"},
    };
    for (const auto& [layout, language] : cases) {
        const auto description = registry.describe(layout);
        ASSERT_TRUE(description) << layout.name();
        ASSERT_FALSE(description->languages.empty()) << layout.name();
        EXPECT_EQ(description->languages.front(), language) << layout.name();
        EXPECT_FALSE(description->localizedName.empty()) << layout.name();
    }
    EXPECT_EQ(registry.describe({"us", ""})->localizedName, "English (US)");
    EXPECT_EQ(registry.describe({"kz", "ruskaz"})->languages, (std::vector<std::string>{"ru", "kk"}));
    EXPECT_FALSE(registry.describe({"no-such-layout", ""}));

    // Codes without a two-letter form stay as they are; a table that cannot be read maps nothing.
    const Iso639Codes codes = Iso639Codes::parse(
        R"({"639-2": [{"alpha_2": "de", "alpha_3": "deu", "bibliographic": "ger"}, {"alpha_3": "chr"}, 7]})");
    const std::string registryCodes[] = {"ger", "CHR", "deu"};
    EXPECT_EQ(XkbLayoutRegistry::languages({"x", ""}, registryCodes, codes),
              (std::vector<std::string>{"de", "chr"}));
    EXPECT_EQ(XkbLayoutRegistry::languages({"x", ""}, registryCodes, Iso639Codes::parse("{")),
              (std::vector<std::string>{"ger", "chr", "deu"}));
}

} // namespace
