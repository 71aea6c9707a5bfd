#include "app/CommandLine.h"

#include <optional>

namespace tolvane {

namespace {

constexpr std::string_view sessionOption = "--session=";

std::optional<SessionChoice> sessionNamed(std::string_view name) {
    if (name == "x11") {
        return SessionChoice::x11;
    }
    if (name == "sim") {
        return SessionChoice::simulated;
    }
    return std::nullopt;
}

} // namespace

Result<CommandLine> parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine commandLine;
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            commandLine.action = CommandLine::Action::help;
            return commandLine;
        }
        if (argument == "--version") {
            commandLine.action = CommandLine::Action::version;
            return commandLine;
        }
        if (argument == "--restore") {
            commandLine.action = CommandLine::Action::restore;
        } else if (argument.starts_with(sessionOption)) {
            auto name = std::string_view(argument).substr(sessionOption.size());
            auto session = sessionNamed(name);
            if (!session) {
                return Failure{"unknown session '" + std::string(name) + "' (x11 or sim)"};
            }
            commandLine.session = *session;
        } else {
            return Failure{"unknown option '" + argument + "'"};
        }
    }
    return commandLine;
}

std::string commandLineUsage(const std::string& programName) {
    return "Usage: " + programName +
           " [--session=x11|sim] [--restore]\n"
           "Shows the keyboard layout on the mouse pointer.\n"
           "\n"
           "  --session=x11   run on the X display named by DISPLAY\n"
           "  --session=sim   run on the simulated session\n"
           "                  (without --session: X11 when a display answers and the\n"
           "                  session is not Wayland, else the simulated session)\n"
           "  --restore       put the cursor theme's own pointers back (after a crash) and exit\n"
           "  --help          print this help and exit\n"
           "  --version       print the version and exit\n";
}

} // namespace tolvane
