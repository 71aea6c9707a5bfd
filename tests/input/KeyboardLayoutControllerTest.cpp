#include "input/KeyboardLayoutController.h"

#include "support/LogCapture.h"
#include "support/TestSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> menuTitles(const std::vector<KeyboardInputSourceChoice>& choices) {
    std::vector<std::string> titles;
    for (const auto& choice : choices) {
        titles.push_back(choice.menuTitle());
    }
    return titles;
}

class KeyboardLayoutControllerTest : public ::testing::Test {
  protected:
    SimInputSourceServices& sources() { return *session->inputSources(); }
    std::optional<std::string> currentSourceID() {
        auto current = sources().currentKeyboardInputSource();
        return current ? current->sourceID : std::nullopt;
    }

    testing::TestSession session;
    testing::LogCapture log;
    KeyboardLayoutController controller{*session->inputSources()};
};

TEST_F(KeyboardLayoutControllerTest, ListsEnabledSelectableKeyboardSourcesAsAMenuShowsThem) {
    // Not listed: the disabled French layout, the Japanese parent that cannot
    // be selected and the emoji palette.
    EXPECT_THAT(menuTitles(controller.enabledSelectableSources()),
                ElementsAre("ABC [En]", "Dutch [NL]", "Dutch Special [??]", "German [DE]",
                            "Hiragana [JA]", "Pinyin - Simplified [\u7B80]",
                            "Russian [\u0420\u0443]", "Ukrainian [UK]",
                            "Zhuyin - Traditional [\u7E41]"));
    EXPECT_THAT(log.lines(), IsEmpty());
}

TEST_F(KeyboardLayoutControllerTest, ListsEachIdentifierOnceUnderItsNameOrIdentifier) {
    sources().install(SimInputSourceServices::keyboardSource(
        "com.apple.keylayout.German", "Aardvark", std::vector<std::string>{"de"}));
    sources().install(SimInputSourceServices::keyboardSource("com.example.nameless", std::nullopt,
                                                             std::vector<std::string>{"fr-CA"}));
    sources().install(SimInputSourceServices::keyboardSource("", "Empty identifier",
                                                             std::vector<std::string>{"fr"}));
    sources().install(SimInputSourceServices::keyboardSource(std::nullopt, "No identifier",
                                                             std::vector<std::string>{"fr"}));
    sources().install(SimInputSourceServices::keyboardSource("com.example.lower", "abc",
                                                             std::vector<std::string>{"en"}));
    sources().install(
        SimInputSourceServices::keyboardSource("com.example.disabled", "Off", std::nullopt, false));
    sources().install(SimInputSourceServices::keyboardSource("com.example.unknownEnabled", "Maybe",
                                                             std::nullopt, std::nullopt));

    auto listed = controller.enabledSelectableSources();
    EXPECT_THAT(menuTitles(listed),
                ElementsAre("ABC [En]", "abc [En]", "com.example.nameless [FR]", "Dutch [NL]",
                            "Dutch Special [??]", "German [DE]", "Hiragana [JA]",
                            "Pinyin - Simplified [\u7B80]", "Russian [\u0420\u0443]",
                            "Ukrainian [UK]", "Zhuyin - Traditional [\u7E41]"));
    EXPECT_EQ(controller.sourceChoice("com.apple.keylayout.German"),
              (KeyboardInputSourceChoice{"com.apple.keylayout.German", "German", "de", "DE"}));
    EXPECT_EQ(controller.sourceChoice("com.example.keylayout.Dutch_Special"),
              (KeyboardInputSourceChoice{"com.example.keylayout.Dutch_Special", "Dutch Special",
                                         "unknown", "??"}));
}

TEST_F(KeyboardLayoutControllerTest, FindsSourcesByExactIdentifier) {
    EXPECT_TRUE(controller.sourceExists("com.apple.keylayout.Russian"));
    EXPECT_FALSE(controller.sourceExists("com.apple.keylayout.russian"));
    EXPECT_FALSE(controller.sourceExists(" com.apple.keylayout.Russian"));
    EXPECT_FALSE(controller.sourceExists("com.apple.keylayout.French"));
    EXPECT_FALSE(controller.sourceChoice("com.apple.inputmethod.Kotoeri.RomajiTyping").has_value());

    sources().setEnabled("com.apple.keylayout.French", true);
    EXPECT_TRUE(controller.sourceExists("com.apple.keylayout.French"));
    sources().uninstall("com.apple.keylayout.Russian");
    EXPECT_FALSE(controller.sourceExists("com.apple.keylayout.Russian"));
}

TEST_F(KeyboardLayoutControllerTest, SelectsOnlyEnabledSelectableSources) {
    EXPECT_TRUE(controller.selectSource("com.apple.keylayout.Russian"));
    EXPECT_EQ(currentSourceID(), "com.apple.keylayout.Russian");

    // Installed but disabled, installed but not selectable, not installed.
    EXPECT_FALSE(controller.selectSource("com.apple.keylayout.French"));
    EXPECT_FALSE(controller.selectSource("com.apple.inputmethod.Kotoeri.RomajiTyping"));
    EXPECT_FALSE(controller.selectSource("com.apple.keylayout.Klingon"));
    EXPECT_EQ(currentSourceID(), "com.apple.keylayout.Russian");
    EXPECT_THAT(sources().selectionRequests(), ElementsAre("com.apple.keylayout.Russian"));

    // Of two sources with one identifier, the selectable one is chosen.
    sources().install(
        SimInputSourceServices::keyboardSource("com.apple.inputmethod.Kotoeri.RomajiTyping",
                                               "Romaji mode", std::vector<std::string>{"ja"}));
    EXPECT_TRUE(controller.selectSource("com.apple.inputmethod.Kotoeri.RomajiTyping"));
    ASSERT_TRUE(sources().currentKeyboardInputSource().has_value());
    EXPECT_EQ(sources().currentKeyboardInputSource()->localizedName, "Romaji mode");

    EXPECT_THAT(
        log.lines(),
        ElementsAre(
            "[INFO] KeyboardLayoutController: selected input source com.apple.keylayout.Russian",
            "[WARN] KeyboardLayoutController: source not found for selection: "
            "com.apple.keylayout.French",
            "[WARN] KeyboardLayoutController: source not found for selection: "
            "com.apple.inputmethod.Kotoeri.RomajiTyping",
            "[WARN] KeyboardLayoutController: source not found for selection: "
            "com.apple.keylayout.Klingon",
            "[INFO] KeyboardLayoutController: selected input source "
            "com.apple.inputmethod.Kotoeri.RomajiTyping"));
}

TEST_F(KeyboardLayoutControllerTest, ReportsFailuresOfTheServices) {
    sources().setSelectionStatus(InputSourceServices::paramErr);
    EXPECT_FALSE(controller.selectSource("com.apple.keylayout.German"));
    EXPECT_EQ(currentSourceID(), "com.apple.keylayout.ABC");

    sources().setListCreationFails(true);
    EXPECT_THAT(controller.enabledSelectableSources(), IsEmpty());
    EXPECT_FALSE(controller.sourceExists("com.apple.keylayout.ABC"));
    EXPECT_FALSE(controller.selectSource("com.apple.keylayout.German"));

    EXPECT_THAT(log.lines(),
                ElementsAre("[ERROR] KeyboardLayoutController: TISSelectInputSource failed "
                            "sourceID=com.apple.keylayout.German status=-50",
                            "[WARN] KeyboardLayoutController: failed to create input source list",
                            "[WARN] KeyboardLayoutController: failed to create input source list",
                            "[WARN] KeyboardLayoutController: source not found for selection: "
                            "com.apple.keylayout.German"));
}

} // namespace
} // namespace tolvane
