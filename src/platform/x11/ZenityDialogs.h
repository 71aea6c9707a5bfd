#pragma once

#include "platform/Alert.h"
#include "platform/Environment.h"
#include "platform/RunLoop.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// Alerts shown as desktop windows by zenity, a child process whose answer
// comes back on a pipe read by the main run loop, so that timers and other
// work go on while a dialog is open. An alert with a text field is an entry
// dialog; any other a message dialog. The first button is zenity's OK, the
// second its Cancel, the others extra buttons. Every text goes in its own
// argument, shown as plain text.
class ZenityDialogs {
  public:
    // Exit status zenity gives for Escape, a closed window and an extra
    // button (which also prints its label), set through ZENITY_ESC so that
    // it differs from Cancel's.
    static constexpr int escapeStatus = 3;

    // environment: what the dialog runs with (DISPLAY, PATH to find zenity in).
    ZenityDialogs(std::shared_ptr<RunLoop> loop, Environment environment);

    // Shows the alert until it is answered, running the loop meanwhile; puts
    // the entered text in its field on the first button. Ends the dialog
    // unanswered (no button's response) once abandoned() holds. Without
    // zenity the answer is Cancel's, or none when the alert has no Cancel.
    ModalResponse run(Alert& alert, const std::function<bool()>& abandoned);

    // zenity's arguments for the alert, after the program name.
    static std::vector<std::string> arguments(const Alert& alert);

  private:
    static ModalResponse response(Alert& alert, int status, const std::string& output);
    std::optional<std::filesystem::path> program() const;

    std::shared_ptr<RunLoop> loop_;
    Environment environment_;
    bool missingProgramReported_ = false;
};

} // namespace tolvane
