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
    void install(std::optional<std::string> sourceID, std::optional<std::string> name,
                 std::optional<std::vector<std::string>> languages,
                 std::optional<bool> enabled = true) {
        sources().install(
            SimInputSourceServices::keyboardSource(sourceID, name, languages, enabled));
    }

    testing::TestSession session;
    testing::LogCapture log;
    KeyboardLayoutController controller{*session->inputSources()};
};

TEST_F(KeyboardLayoutControllerTest, ListsEnabledSelectableSourcesOnceEachInMenuOrder) {
    // Not listed: the disabled French layout, the Japanese parent that cannot
    // be selected, the emoji palette and sources without an identifier or
    // not known to be enabled. A second German is listed once, as the first.
    install("com.apple.keylayout.German", "Aardvark", std::vector<std::string>{"de"});
    install("com.example.nameless", std::nullopt, std::vector<std::string>{"fr-CA"});
    install("", "Empty identifier", std::vector<std::string>{"fr"});
    install(std::nullopt, "No identifier", std::vector<std::string>{"fr"});
    install("com.example.lower", "abc", std::vector<std::string>{"en"});
    install("com.example.unknownEnabled", "Maybe", std::nullopt, std::nullopt);

    EXPECT_THAT(menuTitles(controller.enabledSelectableSources()),
                ElementsAre("ABC [En]", "abc [En]", "com.example.nameless [FR]", "Dutch [NL]",
                            "Dutch Special [??]", "German [DE]", "Hiragana [JA]",
                            "Pinyin - Simplified [\u7B80]", "Russian [\u0420\u0443]",
                            "Ukrainian [UK]", "Zhuyin - Traditional [\u7E41]"));
    EXPECT_EQ(controller.sourceChoice("com.example.keylayout.Dutch_Special"),
              (KeyboardInputSourceChoice{"com.example.keylayout.Dutch_Special", "Dutch Special",
                                         "unknown", "??"}));
    EXPECT_THAT(log.lines(), IsEmpty());
}

TEST_F(KeyboardLayoutControllerTest, FindsAndSelectsOnlyEnabledSelectableSourcesByExactIdentifier) {
    EXPECT_TRUE(controller.sourceExists("com.apple.keylayout.Russian"));
    EXPECT_FALSE(controller.sourceExists("com.apple.keylayout.russian"));
    EXPECT_FALSE(controller.sourceExists(" com.apple.keylayout.Russian"));
    EXPECT_FALSE(controller.sourceExists("com.apple.keylayout.French"));
    EXPECT_FALSE(controller.sourceExists("com.apple.inputmethod.Kotoeri.RomajiTyping"));

    EXPECT_TRUE(controller.selectSource("com.apple.keylayout.Russian"));
    // Installed but disabled, installed but not selectable, not installed.
    EXPECT_FALSE(controller.selectSource("com.apple.keylayout.French"));
    EXPECT_FALSE(controller.selectSource("com.apple.inputmethod.Kotoeri.RomajiTyping"));
    EXPECT_FALSE(controller.selectSource("com.apple.keylayout.Klingon"));
    EXPECT_EQ(currentSourceID(), "com.apple.keylayout.Russian");
    EXPECT_THAT(sources().selectionRequests(), ElementsAre("com.apple.keylayout.Russian"));

    // Of two sources with one identifier, the selectable one is chosen.
    install("com.apple.inputmethod.Kotoeri.RomajiTyping", "Romaji mode",
            std::vector<std::string>{"ja"});
    EXPECT_TRUE(controller.selectSource("com.apple.inputmethod.Kotoeri.RomajiTyping"));
    EXPECT_EQ(sources().currentKeyboardInputSource().value().localizedName, "Romaji mode");

    auto selected = [](const std::string& sourceID) {
        return "[INFO] KeyboardLayoutController: selected input source " + sourceID;
    };
    auto notFound = [](const std::string& sourceID) {
        return "[WARN] KeyboardLayoutController: source not found for selection: " + sourceID;
    };
    EXPECT_THAT(log.lines(), ElementsAre(selected("com.apple.keylayout.Russian"),
                                         notFound("com.apple.keylayout.French"),
                                         notFound("com.apple.inputmethod.Kotoeri.RomajiTyping"),
                                         notFound("com.apple.keylayout.Klingon"),
                                         selected("com.apple.inputmethod.Kotoeri.RomajiTyping")));
}

TEST_F(KeyboardLayoutControllerTest, ReportsFailuresOfTheServices) {
    sources().setSelectionStatus(InputSourceServices::paramErr);
    EXPECT_FALSE(controller.selectSource("com.apple.keylayout.German"));
    EXPECT_EQ(currentSourceID(), "com.apple.keylayout.ABC");

    sources().setListCreationFails(true);
    EXPECT_THAT(controller.enabledSelectableSources(), IsEmpty());
    EXPECT_FALSE(controller.selectSource("com.apple.keylayout.German"));

    EXPECT_THAT(log.lines(),
                ElementsAre("[ERROR] KeyboardLayoutController: TISSelectInputSource failed "
                            "sourceID=com.apple.keylayout.German status=-50",
                            "[WARN] KeyboardLayoutController: failed to create input source list",
                            "[WARN] KeyboardLayoutController: source not found for selection: "
                            "com.apple.keylayout.German"));
}

} // namespace
} // namespace tolvane
