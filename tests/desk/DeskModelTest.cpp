#include "desk/DeskModel.h"

#include "support/TestSession.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

// The messages of the alerts the page shows, with their ids.
std::vector<std::pair<std::uint64_t, std::string>> shownAlerts(const DeskChannel& channel) {
    const nlohmann::json state = nlohmann::json::parse(channel.latest().text);
    std::vector<std::pair<std::uint64_t, std::string>> shown;
    for (const nlohmann::json& alert : state.value("alerts", nlohmann::json::array())) {
        shown.emplace_back(alert.at("id").get<std::uint64_t>(),
                           alert.at("message").get<std::string>());
    }
    return shown;
}

TEST(DeskModel, AnAlertOpenedOverAnotherLeavesBothAnswerableAndEachModalLoopReturns) {
    testing::TestSession session;
    DeskChannel channel;
    DeskModel model(*session, channel, session.home() / "Tolvane.log");
    SimApplication& application = session->application();
    application.setAlertResponder([&](Alert& alert) { return model.presentAlert(alert); });

    Alert dialog;
    dialog.messageText = "Custom auto-return delay";
    dialog.buttonTitles = {"Save", "Cancel"};
    dialog.accessoryTextField.emplace().stringValue = "5";
    Alert update;
    update.messageText = "A new version of Tolvane is available!";
    update.buttonTitles = {"OK"};
    std::optional<ModalResponse> dialogResponse;
    std::optional<ModalResponse> updateResponse;
    // The update alert comes while the dialog waits; the user answers the dialog first.
    RunLoop& loop = *session->loop();
    loop.after(0, [&] { dialogResponse = application.runModal(dialog); });
    loop.after(1, [&] { updateResponse = application.runModal(update); });
    loop.after(2, [&] {
        EXPECT_EQ(shownAlerts(channel), (std::vector<std::pair<std::uint64_t, std::string>>{
                                            {1, "Custom auto-return delay"},
                                            {2, "A new version of Tolvane is available!"}}));
        EXPECT_EQ(model.answerAlert(1, 0, "15"), std::nullopt);
        EXPECT_EQ(model.answerAlert(1, 1, ""), "no such alert");
        EXPECT_EQ(model.chooseMenuItem({0}), "an alert is open");
    });
    loop.after(3, [&] {
        EXPECT_EQ(shownAlerts(channel), (std::vector<std::pair<std::uint64_t, std::string>>{
                                            {2, "A new version of Tolvane is available!"}}));
        EXPECT_EQ(model.answerAlert(2, 0, ""), std::nullopt);
    });
    // Whatever still waits then ends with the application.
    loop.after(4, [&] { application.terminate(); });
    loop.run();

    EXPECT_EQ(updateResponse, Alert::firstButtonReturn);
    EXPECT_EQ(dialogResponse, Alert::firstButtonReturn);
    EXPECT_EQ(dialog.accessoryTextField->stringValue, "15");
    EXPECT_EQ(shownAlerts(channel).size(), 0u);
}

} // namespace
} // namespace tolvane
