#include "platform/sim/SimApplication.h"

namespace tolvane {

int SimApplication::run() {
    // Launching finishes before the loop handles anything, a signal already
    // pending included: termination then undoes a launch that has run, never
    // the other way round.
    if (!terminated_) {
        launched_ = true;
        if (delegate_ != nullptr) {
            delegate_->applicationDidFinishLaunching();
        }
    }
    if (!terminated_) {
        loop_->run();
    }
    return 0;
}

void SimApplication::terminate() {
    ++terminationRequests_;
    if (terminated_) {
        return;
    }
    terminated_ = true;
    if (delegate_ != nullptr) {
        delegate_->applicationWillTerminate();
    }
    loop_->stop();
}

ModalResponse SimApplication::runModal(Alert& alert) {
    PresentedAlert presented{alert, Alert::firstButtonReturn};
    if (responder_) {
        AlertResponder responder = responder_; // it may replace itself
        presented.response = responder(alert);
    }
    if (terminated_) {
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
