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

TEST(SimApplicationTest, RunLaunchesThenTerminatesThroughTheDelegateOnce) {
    TestSession session;
    auto& application = session->application();
    RecordingDelegate delegate(application);
    application.setDelegate(&delegate);

    EXPECT_EQ(application.run(), 0);
    EXPECT_TRUE(application.hasTerminated());
    application.terminate(); // counted, but the delegate hears of it once
    EXPECT_EQ(application.terminationRequests(), 2);
    EXPECT_THAT(delegate.calls, ElementsAre("launched", "terminating"));
}

TEST(SimApplicationTest, AlertsAreAnsweredByTheScriptedUserAndRecordedAsFirstSeen) {
    TestSession session;
    auto& application = session->application();
    auto ask = [&application] {
        Alert alert;
        alert.buttonTitles = {"Save", "Cancel"};
        alert.accessoryTextField = TextField{"10", "Seconds", Rect{{0, 0}, {220, 24}}};
        auto response = application.runModal(alert);
        return std::make_pair(response, alert.accessoryTextField->stringValue);
    };
    EXPECT_EQ(ask(), std::make_pair(Alert::firstButtonReturn, std::string("10"))); // Return
    application.setAlertResponder(SimApplication::answer("Save", " 15 "));
    EXPECT_EQ(ask(), std::make_pair(Alert::firstButtonReturn, std::string(" 15 ")));
    application.setAlertResponder(SimApplication::answer("Cancel", "99"));
    EXPECT_EQ(ask().first, Alert::secondButtonReturn);
    application.setAlertResponder(SimApplication::answer("No such button"));
    EXPECT_EQ(ask().first, 0);

    const auto& shown = application.presentedAlerts();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[1].alert.accessoryTextField->stringValue, "10");
    EXPECT_EQ(shown[2].response, Alert::secondButtonReturn);
}

} // namespace
} // namespace tolvane
