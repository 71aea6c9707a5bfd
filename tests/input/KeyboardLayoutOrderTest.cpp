#include "input/KeyboardLayoutController.h"
#include "platform/sim/SimInputSourceServices.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using ::testing::ElementsAre;

// The names, each with its identifier, in menu order.
std::vector<std::string> ordered(const std::vector<std::pair<std::string, std::string>>& layouts,
                                 const std::locale& locale = std::locale::classic()) {
    std::vector<KeyboardInputSourceChoice> choices;
    for (const auto& [sourceID, name] : layouts) {
        choices.push_back({sourceID, name, "en", "En"});
    }
    std::vector<std::string> result;
    for (const auto& choice : KeyboardLayoutController::menuOrder(choices, locale)) {
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
        auto key = [](const wchar_t* low, const wchar_t* high) {
            std::wstring folded(low, high);
            for (auto& c : folded) {
                c = c == L'\u00E4' || c == L'\u00C4' ? L'a' : c;
            }
            return folded;
        };
        return key(low1, high1).compare(key(low2, high2));
    }
};

TEST(KeyboardLayoutOrder, IgnoresCaseKeepsTheOrderOfEqualNamesAndTheFirstOfEachIdentifier) {
    EXPECT_THAT(ordered({{"1", "Abd"}, {"2", "abc"}, {"3", "ABC"}}),
                ElementsAre("abc/2", "ABC/3", "Abd/1"));
    // An input mode and its parent may be listed under one identifier.
    EXPECT_THAT(
        ordered({{"com.example.im", "Zhuyin"},
                 {"com.apple.keylayout.US", "U.S."},
                 {"com.example.im", "Alpha"},
                 {"com.example.IM", "Beta"}}),
        ElementsAre("Beta/com.example.IM", "U.S./com.apple.keylayout.US", "Zhuyin/com.example.im"));
}

TEST(KeyboardLayoutOrder, FollowsTheLocalesCollationAndCaseRules) {
    const std::vector<std::pair<std::string, std::string>> german = {
        {"1", "Zulu"}, {"2", "\u00C4rmel"}, {"3", "Apfel"}, {"4", "Ost"}};
    EXPECT_THAT(ordered(german, std::locale(std::locale::classic(), new UmlautCollate)),
                ElementsAre("Apfel/3", "\u00C4rmel/2", "Ost/4", "Zulu/1"));
    EXPECT_THAT(ordered(german), ElementsAre("Apfel/3", "Ost/4", "Zulu/1", "\u00C4rmel/2"));

    std::locale utf8;
    try {
        utf8 = std::locale("C.UTF-8");
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "no C.UTF-8 locale installed";
    }
    // Cyrillic capitals fold to their small letters too.
    EXPECT_THAT(ordered({{"1", "\u0421\u0435\u0440\u0431\u0441\u043A\u0430\u044F"},
                         {"2", "\u0440\u0443\u0441\u0441\u043A\u0430\u044F"},
                         {"3", "\u0420\u0423\u0421\u0421\u041A\u0410\u042F"}},
                        utf8),
                ElementsAre("\u0440\u0443\u0441\u0441\u043A\u0430\u044F/2",
                            "\u0420\u0423\u0421\u0421\u041A\u0410\u042F/3",
                            "\u0421\u0435\u0440\u0431\u0441\u043A\u0430\u044F/1"));
}

TEST(KeyboardInputSourceChoice, DescribesASourceByItsFirstLanguage) {
    auto choiceOf = [](std::optional<std::vector<std::string>> languages) {
        return KeyboardLayoutController::choice(
                   SimInputSourceServices::keyboardSource("com.apple.keylayout.US", "U.S.",
                                                          std::move(languages)))
            .value();
    };
    EXPECT_EQ(choiceOf({{"en-US", "fr"}}),
              (KeyboardInputSourceChoice{"com.apple.keylayout.US", "U.S.", "en", "En"}));
    EXPECT_EQ(choiceOf(std::vector<std::string>{}).menuTitle(), "U.S. [??]");
    // A choice built without a badge still shows the one of its language.
    EXPECT_EQ((KeyboardInputSourceChoice{"id", "Russian", "ru", ""}.menuTitle()),
              "Russian [\u0420\u0443]");
}

} // namespace
} // namespace tolvane
