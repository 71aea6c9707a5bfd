#include "platform/sim/SimInputSourceServices.h"

#include "support/TestSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using testing::TestSession;

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

TEST(SimInputSourceServicesTest, DefaultSourcesAndTheListFilters) {
    TestSession session;
    auto& services = *session->inputSources();
    EXPECT_EQ(currentID(services), "com.apple.keylayout.ABC");

    const InputSourceFilter selectableKeyboards{InputSourceCategory::keyboardInputSource, true,
                                                true, std::nullopt};
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
    EXPECT_EQ(services.inputSourceList(french, true)->at(0).isEnabled, false);

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

    // Removed after the change but before delivery: not called.
    services.switchTo("com.apple.keylayout.Dutch");
    services.removeObserver(first);
    session->loop()->drain();
    EXPECT_THAT(heard, ElementsAre("second com.apple.keylayout.Dutch"));

    // Sources that cannot be switched to change nothing; identifiers are case sensitive.
    for (const char* sourceID :
         {"com.apple.keylayout.French", "com.apple.inputmethod.Kotoeri.RomajiTyping",
          "com.apple.CharacterPaletteIM", "com.apple.keylayout.dutch"}) {
        EXPECT_FALSE(services.switchTo(sourceID)) << sourceID;
    }
    EXPECT_EQ(currentID(services), "com.apple.keylayout.Dutch");
    EXPECT_EQ(services.notificationsPosted(), 2);
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
    auto select = [&](const std::string& sourceID) {
        InputSourceFilter filter;
        filter.sourceID = sourceID;
        return services.selectInputSource(services.inputSourceList(filter, true)->at(0));
    };

    EXPECT_EQ(select("com.apple.keylayout.French"), InputSourceServices::paramErr); // disabled
    EXPECT_EQ(select("com.apple.keylayout.Russian"), InputSourceServices::noErr);
    session->loop()->drain();
    EXPECT_EQ(notifications, 1);

    services.setSelectionOutcome(SimInputSourceServices::SelectionOutcome::doesNotSwitch);
    EXPECT_EQ(select("com.apple.keylayout.German"), 0);
    EXPECT_EQ(currentID(services), "com.apple.keylayout.Russian");
    services.setSelectionOutcome(SimInputSourceServices::SelectionOutcome::switchesSilently);
    EXPECT_EQ(select("com.apple.keylayout.German"), 0);
    EXPECT_EQ(currentID(services), "com.apple.keylayout.German");
    session->loop()->drain();
    EXPECT_EQ(notifications, 1);
}

TEST(SimInputSourceServicesTest, InstallingRemovingAndEnablingSources) {
    TestSession session;
    auto& services = *session->inputSources();
    // Two sources may share an identifier; selection follows the handle.
    auto mode = SimInputSourceServices::keyboardSource("org.example.Twin", "Twin A", std::nullopt);
    services.install(mode);
    mode.localizedName = "Twin B";
    ASSERT_EQ(services.selectInputSource(services.install(mode)), 0);
    EXPECT_EQ(services.currentKeyboardInputSource().value().localizedName, "Twin B");

    EXPECT_TRUE(services.setEnabled("com.apple.keylayout.French", true));
    EXPECT_TRUE(services.switchTo("com.apple.keylayout.French"));
    EXPECT_TRUE(services.setEnabled("com.apple.keylayout.French", false));
    EXPECT_EQ(currentID(services), "com.apple.keylayout.French"); // stays selected
    EXPECT_TRUE(services.uninstall("com.apple.keylayout.French"));
    EXPECT_FALSE(services.currentKeyboardInputSource().has_value());
    EXPECT_TRUE(services.uninstall("org.example.Twin"));
    EXPECT_EQ(services.installedSources().size(),
              SimInputSourceServices::defaultSources().size() - 1);
}

} // namespace
} // namespace tolvane
