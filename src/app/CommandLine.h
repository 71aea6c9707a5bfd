#pragma once

#include "platform/Result.h"

#include <string>
#include <vector>

namespace tolvane {

// Which desktop the program runs on.
enum class SessionChoice {
    automatic, // X11 when a display answers and the session is not Wayland, else simulated
    x11,
    simulated,
};

// What the command line asks for.
struct CommandLine {
    enum class Action {
        run,
        restore, // put the system's own cursors back, as after a crash, and exit
        help,
        version,
    };
    Action action = Action::run;
    SessionChoice session = SessionChoice::automatic;
};

// Reads the arguments after the program's name. An option it does not know,
// a value an option does not take, or a stray argument is a failure that says
// which; "--help" and "--version" win over anything after them.
Result<CommandLine> parseCommandLine(const std::vector<std::string>& arguments);

// The options, one per line, for --help and for a refused command line.
std::string commandLineUsage(const std::string& programName);

} // namespace tolvane
