#pragma once

#include "platform/RunLoopApplication.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// The shared application of the simulated session, driven by a RunLoop.
// Alerts are answered by a scripted responder standing in for the user.
class SimApplication final : public RunLoopApplication {
  public:
    // Plays the user in front of a modal alert: may edit the alert's text
    // field and returns the response of the button it clicks.
    using AlertResponder = std::function<ModalResponse(Alert& alert)>;

    // An alert as it was presented, and how it was answered.
    struct PresentedAlert {
        Alert alert;
        ModalResponse response = 0;
    };

    using RunLoopApplication::RunLoopApplication;

    ModalResponse runModal(Alert& alert) override;
    void beep() override { ++beeps_; }

    int beepCount() const { return beeps_; }

    // Without a responder the user presses Return: the first button, the
    // text field as it was.
    void setAlertResponder(AlertResponder responder) { responder_ = std::move(responder); }
    // A user who types fieldText into the text field (when given) and clicks
    // the button with this title.
    static AlertResponder answer(std::string buttonTitle,
                                 std::optional<std::string> fieldText = std::nullopt);
    const std::vector<PresentedAlert>& presentedAlerts() const { return presentedAlerts_; }

  private:
    int beeps_ = 0;
    AlertResponder responder_;
    std::vector<PresentedAlert> presentedAlerts_;
};

} // namespace tolvane
