#include "platform/sim/SimApplication.h"

#include "support/TestSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using testing::TestSession;

class RecordingDelegate : public ApplicationDelegate {
  public:
    explicit RecordingDelegate(Application& application) : application_(application) {}
    void applicationDidFinishLaunching() override {
        calls.push_back("launched");
        application_.terminate();
    }
    void applicationWillTerminate() override { calls.push_back("terminating"); }
    std::vector<std::string> calls;

  private:
    Application& application_;
};

TEST(SimApplicationTest, RunLaunchesThenTerminatesThroughTheDelegate) {
    TestSession session;
    auto& application = session->application();
    RecordingDelegate delegate(application);
    application.setDelegate(&delegate);
    application.setActivationPolicy(ActivationPolicy::accessory);

    EXPECT_EQ(application.run(), 0);
    EXPECT_THAT(delegate.calls, ElementsAre("launched", "terminating"));
    EXPECT_TRUE(application.hasFinishedLaunching());
    EXPECT_TRUE(application.hasTerminated());
    EXPECT_EQ(application.activationPolicy(), ActivationPolicy::accessory);

    application.terminate(); // counted, but the delegate hears of it once
    EXPECT_EQ(application.terminationRequests(), 2);
    EXPECT_THAT(delegate.calls, ElementsAre("launched", "terminating"));
}

Alert delayAlert() {
    Alert alert;
    alert.messageText = "Auto-return timer";
    alert.informativeText = "Enter delay in seconds.";
    alert.style = AlertStyle::informational;
    alert.buttonTitles = {"Save", "Cancel"};
    alert.accessoryTextField = TextField{"10", "Seconds", Rect{{0, 0}, {220, 24}}};
    return alert;
}

TEST(SimApplicationTest, AlertsAreAnsweredByTheScriptedUser) {
    TestSession session;
    auto& application = session->application();

    Alert untouched = delayAlert();
    EXPECT_EQ(application.runModal(untouched), Alert::firstButtonReturn); // Return pressed
    EXPECT_EQ(untouched.accessoryTextField->stringValue, "10");

    application.setAlertResponder(SimApplication::answer("Save", " 15 "));
    Alert saved = delayAlert();
    EXPECT_EQ(application.runModal(saved), Alert::firstButtonReturn);
    EXPECT_EQ(saved.accessoryTextField->stringValue, " 15 ");

    application.setAlertResponder(SimApplication::answer("Cancel", "99"));
    Alert cancelled = delayAlert();
    EXPECT_EQ(application.runModal(cancelled), Alert::secondButtonReturn);

    application.setAlertResponder(SimApplication::answer("No such button"));
    Alert dismissed = delayAlert();
    EXPECT_EQ(application.runModal(dismissed), 0);

    // The record shows each alert as the user first saw it.
    const auto& shown = application.presentedAlerts();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[1].alert.messageText, "Auto-return timer");
    EXPECT_EQ(shown[1].alert.accessoryTextField->stringValue, "10");
    EXPECT_EQ(shown[1].alert.accessoryTextField->placeholderString, "Seconds");
    EXPECT_EQ(shown[1].response, Alert::firstButtonReturn);
    EXPECT_EQ(shown[2].response, Alert::secondButtonReturn);
}

TEST(SimApplicationTest, TheRunLoopGoesOnWhileAnAlertIsOpenAndBeepsAreCounted) {
    TestSession session;
    auto& application = session->application();
    int ticks = 0;
    session->loop()->every(0.25, [&] { ++ticks; });
    application.setAlertResponder([&](Alert&) {
        session->loop()->advance(1.0); // the user takes a second to answer
        return Alert::secondButtonReturn;
    });
    Alert alert = delayAlert();
    EXPECT_EQ(application.runModal(alert), Alert::secondButtonReturn);
    EXPECT_EQ(ticks, 4);

    EXPECT_EQ(application.beepCount(), 0);
    application.beep();
    application.beep();
    EXPECT_EQ(application.beepCount(), 2);
}

} // namespace
} // namespace tolvane
