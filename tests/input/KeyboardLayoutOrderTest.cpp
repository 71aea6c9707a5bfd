#include "input/KeyboardLayoutController.h"

#include "platform/sim/SimInputSourceServices.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using ::testing::ElementsAre;

KeyboardInputSourceChoice layout(const std::string& sourceID, const std::string& name) {
    return KeyboardInputSourceChoice{sourceID, name, "en", "En"};
}

std::vector<std::string> names(const std::vector<KeyboardInputSourceChoice>& choices) {
    std::vector<std::string> result;
    for (const auto& choice : choices) {
        result.push_back(choice.localizedName + "/" + choice.sourceID);
    }
    return result;
}

// A collation in which umlauts sort with their base letters, as many
// European locales do; the classic locale puts them after z.
class UmlautCollate final : public std::collate<wchar_t> {
  protected:
    int do_compare(const wchar_t* low1, const wchar_t* high1, const wchar_t* low2,
                   const wchar_t* high2) const override {
        auto base = [](wchar_t c) {
            return c == L'\u00E4' || c == L'\u00C4' ? L'a' : c == L'\u00F6' ? L'o' : c;
        };
        return std::lexicographical_compare(low1, high1, low2, high2,
                                            [&](wchar_t a, wchar_t b) { return base(a) < base(b); })
                   ? -1
               : std::lexicographical_compare(
                     low2, high2, low1, high1,
                     [&](wchar_t a, wchar_t b) { return base(a) < base(b); })
                   ? 1
                   : 0;
    }
};

TEST(KeyboardLayoutOrder, IgnoresCaseAndKeepsTheOrderOfEqualNames) {
    const auto classic = std::locale::classic();
    EXPECT_THAT(names(KeyboardLayoutController::menuOrder(
                    {layout("1", "Abd"), layout("2", "abc"), layout("3", "ABC")}, classic)),
                ElementsAre("abc/2", "ABC/3", "Abd/1"));
    EXPECT_THAT(names(KeyboardLayoutController::menuOrder(
                    {layout("1", "ABC"), layout("2", "Abd"), layout("3", "abc")}, classic)),
                ElementsAre("ABC/1", "abc/3", "Abd/2"));
    EXPECT_THAT(
        names(KeyboardLayoutController::menuOrder({layout("1", "russian"), layout("2", "German"),
                                                   layout("3", "ABC"), layout("4", "U.S.")},
                                                  classic)),
        ElementsAre("ABC/3", "German/2", "russian/1", "U.S./4"));
    EXPECT_TRUE(KeyboardLayoutController::menuOrder({}, classic).empty());
}

TEST(KeyboardLayoutOrder, KeepsTheFirstChoiceOfEachIdentifier) {
    // An input mode and its parent may be listed under one identifier.
    auto ordered = KeyboardLayoutController::menuOrder(
        {layout("com.example.im", "Zhuyin"), layout("com.apple.keylayout.US", "U.S."),
         layout("com.example.im", "Alpha"), layout("com.example.IM", "Beta")},
        std::locale::classic());
    EXPECT_THAT(names(ordered), ElementsAre("Beta/com.example.IM", "U.S./com.apple.keylayout.US",
                                            "Zhuyin/com.example.im"));
}

TEST(KeyboardLayoutOrder, FollowsTheLocalesCollationAndCaseRules) {
    std::locale umlauts(std::locale::classic(), new UmlautCollate);
    const std::vector<KeyboardInputSourceChoice> german = {
        layout("1", "Zulu"), layout("2", "\u00C4rmel"), layout("3", "Apfel"), layout("4", "Ost")};
    EXPECT_THAT(names(KeyboardLayoutController::menuOrder(german, umlauts)),
                ElementsAre("Apfel/3", "\u00C4rmel/2", "Ost/4", "Zulu/1"));
    EXPECT_THAT(names(KeyboardLayoutController::menuOrder(german, std::locale::classic())),
                ElementsAre("Apfel/3", "Ost/4", "Zulu/1", "\u00C4rmel/2"));

    std::locale utf8;
    try {
        utf8 = std::locale("C.UTF-8");
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "no C.UTF-8 locale installed";
    }
    // Cyrillic capitals fold to their small letters too.
    EXPECT_THAT(names(KeyboardLayoutController::menuOrder(
                    {layout("1", "\u0421\u0435\u0440\u0431\u0441\u043A\u0430\u044F"),
                     layout("2", "\u0440\u0443\u0441\u0441\u043A\u0430\u044F"),
                     layout("3", "\u0420\u0423\u0421\u0421\u041A\u0410\u042F")},
                    utf8)),
                ElementsAre("\u0440\u0443\u0441\u0441\u043A\u0430\u044F/2",
                            "\u0420\u0423\u0421\u0421\u041A\u0410\u042F/3",
                            "\u0421\u0435\u0440\u0431\u0441\u043A\u0430\u044F/1"));
}

TEST(KeyboardInputSourceChoice, DescribesASourceForTheMenu) {
    auto english = KeyboardLayoutController::choice(SimInputSourceServices::keyboardSource(
        "com.apple.keylayout.US", "U.S.", std::vector<std::string>{"en-US", "fr"}));
    ASSERT_TRUE(english.has_value());
    EXPECT_EQ(*english, (KeyboardInputSourceChoice{"com.apple.keylayout.US", "U.S.", "en", "En"}));
    EXPECT_EQ(english->menuTitle(), "U.S. [En]");

    // No languages: unknown; no name: listed under its identifier, which stays untrimmed.
    auto bare = KeyboardLayoutController::choice(
        SimInputSourceServices::keyboardSource(" com.example.x", std::nullopt, std::nullopt));
    ASSERT_TRUE(bare.has_value());
    EXPECT_EQ(*bare,
              (KeyboardInputSourceChoice{" com.example.x", " com.example.x", "unknown", "??"}));
    EXPECT_EQ(bare->menuTitle(), " com.example.x [??]");

    auto empty = KeyboardLayoutController::choice(SimInputSourceServices::keyboardSource(
        "com.example.y", "Empty", std::vector<std::string>{}));
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->languageCode, "unknown");

    // A choice built without a badge still shows the one of its language.
    EXPECT_EQ((KeyboardInputSourceChoice{"id", "Russian", "ru", ""}.menuTitle()),
              "Russian [\u0420\u0443]");
    EXPECT_EQ((KeyboardInputSourceChoice{"id", "Traditional", "zh-hant", ""}.menuTitle()),
              "Traditional [\u7E41]");
}

} // namespace
} // namespace tolvane
