#include "platform/sim/SimApplication.h"

namespace tolvane {

ModalResponse SimApplication::runModal(Alert& alert) {
    PresentedAlert presented{alert, Alert::firstButtonReturn};
    if (responder_) {
        AlertResponder responder = responder_; // it may replace itself
        presented.response = responder(alert);
    }
    if (hasTerminated()) {
        presented.response = 0; // the alert went with the application, unanswered
    }
    presentedAlerts_.push_back(std::move(presented));
    return presentedAlerts_.back().response;
}

SimApplication::AlertResponder SimApplication::answer(std::string buttonTitle,
                                                      std::optional<std::string> fieldText) {
    return [buttonTitle = std::move(buttonTitle), fieldText = std::move(fieldText)](Alert& alert) {
        if (fieldText && alert.accessoryTextField) {
            alert.accessoryTextField->stringValue = *fieldText;
        }
        // A button the alert does not have cannot be clicked: the user
        // dismisses the alert with Escape instead, which no button answers.
        return alert.responseOfButton(buttonTitle).value_or(0);
    };
}

} // namespace tolvane
