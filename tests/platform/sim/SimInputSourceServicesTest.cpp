#include "platform/sim/SimInputSourceServices.h"

#include "support/TestSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using testing::TestSession;

std::string currentID(SimInputSourceServices& services) {
    auto current = services.currentKeyboardInputSource();
    return current ? current->sourceID.value_or("<none>") : "<no source>";
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
    EXPECT_TRUE(heard.empty()); // asynchronous, like the distributed notification
    EXPECT_TRUE(services.switchTo("com.apple.keylayout.Russian")); // no change, no notification
    session->loop()->drain();
    EXPECT_THAT(heard, ElementsAre("first com.apple.keylayout.Russian",
                                   "second com.apple.keylayout.Russian"));

    heard.clear();
    EXPECT_TRUE(services.switchWithoutNotification("com.apple.keylayout.German"));
    session->loop()->drain();
    EXPECT_TRUE(heard.empty());

    // Removed after the change but before delivery: not called.
    services.switchTo("com.apple.keylayout.Dutch");
    services.removeObserver(first);
    session->loop()->drain();
    EXPECT_THAT(heard, ElementsAre("second com.apple.keylayout.Dutch"));
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

TEST(SimInputSourceServicesTest, SelectionFollowsTheHandleReportsStatusesAndCanMisbehave) {
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
    services.setSelectionOutcome(SimInputSourceServices::SelectionOutcome::doesNotSwitch);
    EXPECT_EQ(select("com.apple.keylayout.German"), 0);
    EXPECT_EQ(currentID(services), "com.apple.keylayout.ABC");
    services.setSelectionOutcome(SimInputSourceServices::SelectionOutcome::switchesSilently);
    EXPECT_EQ(select("com.apple.keylayout.German"), 0);
    EXPECT_EQ(currentID(services), "com.apple.keylayout.German");
    session->loop()->drain();
    EXPECT_EQ(notifications, 0);

    // Two sources may share an identifier.
    auto twin = SimInputSourceServices::keyboardSource("org.example.Twin", "Twin A", std::nullopt);
    services.install(twin);
    twin.localizedName = "Twin B";
    ASSERT_EQ(services.selectInputSource(services.install(twin)), 0);
    EXPECT_EQ(services.currentKeyboardInputSource().value().localizedName, "Twin B");
    EXPECT_TRUE(services.uninstall("org.example.Twin"));
    EXPECT_FALSE(services.currentKeyboardInputSource().has_value());
}

} // namespace
} // namespace tolvane
