#pragma once

#include "platform/TextField.h"

#include <optional>
#include <string>
#include <vector>

namespace tolvane {

enum class AlertStyle { warning = 0, informational = 1, critical = 2 };

// Which button ended a modal session.
using ModalResponse = long;

// A modal alert: a message, an explanation, buttons (the first is the
// default) and an optional text field for the user to fill in. Presenting it
// (Application::runModal) lets the user edit the field in place.
struct Alert {
    static constexpr ModalResponse firstButtonReturn = 1000;
    static constexpr ModalResponse secondButtonReturn = 1001;
    static constexpr ModalResponse thirdButtonReturn = 1002;

    std::string messageText;
    std::string informativeText;
    AlertStyle style = AlertStyle::warning;
    std::vector<std::string> buttonTitles;
    std::optional<TextField> accessoryTextField;

    // The response of the button with this title; none when there is none.
    std::optional<ModalResponse> responseOfButton(const std::string& title) const {
        for (std::size_t i = 0; i < buttonTitles.size(); ++i) {
            if (buttonTitles[i] == title) {
                return firstButtonReturn + static_cast<ModalResponse>(i);
            }
        }
        return std::nullopt;
    }
};

} // namespace tolvane
