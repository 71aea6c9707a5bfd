#include "platform/sim/SimInputSourceServices.h"

#include "support/TestSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using testing::TestSession;

// The filter the keyboard layout list uses.
const InputSourceFilter selectableKeyboards{InputSourceCategory::keyboardInputSource, true, true,
                                            std::nullopt};

std::vector<std::string> idsOf(const std::optional<std::vector<InputSource>>& sources) {
    std::vector<std::string> ids;
    for (const auto& source : sources.value()) {
        ids.push_back(source.sourceID.value_or("<none>"));
    }
    return ids;
}

std::string currentID(SimInputSourceServices& services) {
    auto current = services.currentKeyboardInputSource();
    return current ? current->sourceID.value_or("<none>") : "<no source>";
}

InputSource installedSource(SimInputSourceServices& services, const std::string& sourceID) {
    InputSourceFilter filter;
    filter.sourceID = sourceID;
    return services.inputSourceList(filter, true).value().at(0);
}

TEST(SimInputSourceServicesTest, DefaultSourcesAndTheListFilters) {
    TestSession session;
    auto& services = *session->inputSources();
    auto current = services.currentKeyboardInputSource();
    ASSERT_TRUE(current.has_value());
    EXPECT_EQ(current->sourceID, "com.apple.keylayout.ABC");
    EXPECT_EQ(current->localizedName, "ABC");
    EXPECT_EQ(current->languages, std::vector<std::string>{"en"});

    EXPECT_THAT(idsOf(services.inputSourceList(selectableKeyboards, false)),
                ElementsAre("com.apple.keylayout.ABC", "com.apple.keylayout.Russian",
                            "com.apple.keylayout.German", "com.apple.keylayout.Dutch",
                            "com.apple.keylayout.Ukrainian", "com.apple.inputmethod.SCIM.ITABC",
                            "com.apple.inputmethod.TCIM.Zhuyin",
                            "com.apple.inputmethod.Kotoeri.RomajiTyping.Japanese",
                            "com.example.keylayout.Dutch_Special"));

    // Without the include-all flag only enabled sources are listed, whatever the filter.
    InputSourceFilter french;
    french.sourceID = "com.apple.keylayout.French";
    EXPECT_TRUE(services.inputSourceList(french, false)->empty());
    auto allFrench = services.inputSourceList(french, true);
    ASSERT_EQ(allFrench->size(), 1u);
    EXPECT_EQ(allFrench->front().isEnabled, false);

    InputSourceFilter notSelectable;
    notSelectable.isSelectCapable = false;
    EXPECT_THAT(idsOf(services.inputSourceList(notSelectable, false)),
                ElementsAre("com.apple.inputmethod.Kotoeri.RomajiTyping"));
    InputSourceFilter palettes;
    palettes.category = InputSourceCategory::paletteInputSource;
    EXPECT_THAT(idsOf(services.inputSourceList(palettes, false)),
                ElementsAre("com.apple.CharacterPaletteIM"));

    auto special = installedSource(services, "com.example.keylayout.Dutch_Special");
    EXPECT_FALSE(special.languages.has_value());
    EXPECT_EQ(installedSource(services, "com.apple.inputmethod.TCIM.Zhuyin").languages,
              std::vector<std::string>{"zh-Hant"});

    services.setListCreationFails(true);
    EXPECT_FALSE(services.inputSourceList(selectableKeyboards, false).has_value());
}

TEST(SimInputSourceServicesTest, ChangesReachObserversOnTheRunLoopOnly) {
    TestSession session;
    auto& services = *session->inputSources();
    std::vector<std::string> heard;
    auto first = services.addSelectedKeyboardInputSourceObserver(
        [&] { heard.push_back("first " + currentID(services)); });
    services.addSelectedKeyboardInputSourceObserver(
        [&] { heard.push_back("second " + currentID(services)); });

    ASSERT_TRUE(services.switchTo("com.apple.keylayout.Russian"));
    EXPECT_EQ(currentID(services), "com.apple.keylayout.Russian");
    EXPECT_TRUE(heard.empty()); // asynchronous, like the distributed notification
    session->loop()->drain();
    EXPECT_THAT(heard, ElementsAre("first com.apple.keylayout.Russian",
                                   "second com.apple.keylayout.Russian"));

    heard.clear();
    EXPECT_TRUE(services.switchTo("com.apple.keylayout.Russian")); // no change, no notification
    EXPECT_TRUE(services.switchWithoutNotification("com.apple.keylayout.German"));
    session->loop()->drain();
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(currentID(services), "com.apple.keylayout.German");

    // Removed after the change but before delivery: not called.
    services.switchTo("com.apple.keylayout.Dutch");
    services.removeObserver(first);
    session->loop()->drain();
    EXPECT_THAT(heard, ElementsAre("second com.apple.keylayout.Dutch"));
    EXPECT_EQ(services.observerCount(), 1u);
    EXPECT_EQ(services.notificationsPosted(), 2);

    // Sources that cannot be switched to change nothing.
    EXPECT_FALSE(services.switchTo("com.apple.keylayout.French"));
    EXPECT_FALSE(services.switchTo("com.apple.inputmethod.Kotoeri.RomajiTyping"));
    EXPECT_FALSE(services.switchTo("com.apple.CharacterPaletteIM"));
    EXPECT_FALSE(services.switchTo("com.apple.keylayout.dutch")); // identifiers are case sensitive
    EXPECT_EQ(currentID(services), "com.apple.keylayout.Dutch");
}

TEST(SimInputSourceServicesTest, NotificationInFlightOutlivingTheServicesIsHarmless) {
    TestSession session;
    bool called = false;
    {
        SimInputSourceServices services(session->loop());
        services.installDefaultSources();
        services.addSelectedKeyboardInputSourceObserver([&] { called = true; });
        services.switchTo("com.apple.keylayout.German");
    }
    session->loop()->drain();
    EXPECT_FALSE(called);
}

TEST(SimInputSourceServicesTest, SelectionReportsStatusesAndCanMisbehave) {
    TestSession session;
    auto& services = *session->inputSources();
    int notifications = 0;
    services.addSelectedKeyboardInputSourceObserver([&] { ++notifications; });

    EXPECT_EQ(services.selectInputSource(installedSource(services, "com.apple.keylayout.French")),
              InputSourceServices::paramErr);
    EXPECT_EQ(services.selectInputSource(
                  installedSource(services, "com.apple.inputmethod.Kotoeri.RomajiTyping")),
              InputSourceServices::paramErr);
    InputSource stranger;
    stranger.handle = 9999;
    EXPECT_EQ(services.selectInputSource(stranger), InputSourceServices::paramErr);
    EXPECT_EQ(currentID(services), "com.apple.keylayout.ABC");

    EXPECT_EQ(services.selectInputSource(installedSource(services, "com.apple.keylayout.Russian")),
              InputSourceServices::noErr);
    EXPECT_EQ(currentID(services), "com.apple.keylayout.Russian");
    session->loop()->drain();
    EXPECT_EQ(notifications, 1);

    services.setSelectionStatus(-25);
    EXPECT_EQ(services.selectInputSource(installedSource(services, "com.apple.keylayout.German")),
              -25);
    EXPECT_EQ(currentID(services), "com.apple.keylayout.Russian");
    services.setSelectionStatus(InputSourceServices::noErr);

    services.setSelectionOutcome(SimInputSourceServices::SelectionOutcome::doesNotSwitch);
    EXPECT_EQ(services.selectInputSource(installedSource(services, "com.apple.keylayout.German")),
              0);
    EXPECT_EQ(currentID(services), "com.apple.keylayout.Russian");

    services.setSelectionOutcome(SimInputSourceServices::SelectionOutcome::switchesSilently);
    EXPECT_EQ(services.selectInputSource(installedSource(services, "com.apple.keylayout.German")),
              0);
    EXPECT_EQ(currentID(services), "com.apple.keylayout.German");
    session->loop()->drain();
    EXPECT_EQ(notifications, 1);

    EXPECT_THAT(services.selectionRequests(),
                ElementsAre("com.apple.keylayout.French",
                            "com.apple.inputmethod.Kotoeri.RomajiTyping", "",
                            "com.apple.keylayout.Russian", "com.apple.keylayout.German",
                            "com.apple.keylayout.German", "com.apple.keylayout.German"));
}

TEST(SimInputSourceServicesTest, InstallingRemovingAndEnablingSources) {
    TestSession session;
    auto& services = *session->inputSources();
    auto mode = SimInputSourceServices::keyboardSource("org.example.inputmethod.Twin", "Twin A",
                                                       std::nullopt);
    auto firstTwin = services.install(mode);
    mode.localizedName = "Twin B";
    auto secondTwin = services.install(mode);
    EXPECT_NE(firstTwin.handle, secondTwin.handle);

    // Two sources may share an identifier; selection follows the handle.
    ASSERT_EQ(services.selectInputSource(secondTwin), 0);
    EXPECT_EQ(services.currentKeyboardInputSource()->localizedName, "Twin B");

    EXPECT_TRUE(services.setEnabled("com.apple.keylayout.French", true));
    EXPECT_TRUE(services.switchTo("com.apple.keylayout.French"));
    EXPECT_TRUE(services.setEnabled("com.apple.keylayout.French", false));
    EXPECT_EQ(currentID(services), "com.apple.keylayout.French"); // stays selected
    EXPECT_FALSE(services.setEnabled("org.example.missing", true));

    EXPECT_TRUE(services.uninstall("com.apple.keylayout.French"));
    EXPECT_FALSE(services.currentKeyboardInputSource().has_value());
    EXPECT_FALSE(services.uninstall("com.apple.keylayout.French"));
    EXPECT_TRUE(services.uninstall("org.example.inputmethod.Twin"));
    EXPECT_EQ(services.installedSources().size(),
              SimInputSourceServices::defaultSources().size() - 1);

    services.switchWithoutNotification("com.apple.keylayout.ABC");
    services.clearCurrentSource();
    EXPECT_FALSE(services.currentKeyboardInputSource().has_value());
}

TEST(SimInputSourceServicesTest, ASessionMayStartWithoutSources) {
    SimSession::Options options;
    options.installDefaultInputSources = false;
    TestSession session(options);
    EXPECT_TRUE(session->inputSources()->installedSources().empty());
    EXPECT_FALSE(session->inputSources()->currentKeyboardInputSource().has_value());
    EXPECT_TRUE(session->inputSources()->inputSourceList(selectableKeyboards, false)->empty());
}

} // namespace
} // namespace tolvane
