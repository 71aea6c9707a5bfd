#include "platform/sim/SimApplication.h"

#include "support/TestSession.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::TestSession;

// Running and terminating once is proven by the real program (tests/e2e).
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
