#include "platform/x11/XdgAutostartEntry.h"

#include "platform/FileIO.h"

#include <cstdint>
#include <span>

namespace tolvane {

namespace {

// One argument of an Exec key, quoted as the desktop entry rules want: inside
// double quotes a backslash goes before ", `, $ and \, and % is doubled
// because it would start a field code.
std::string quotedArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (char character : argument) {
        if (character == '"' || character == '`' || character == '$' || character == '\\') {
            quoted += '\\';
        } else if (character == '%') {
            quoted += '%';
        }
        quoted += character;
    }
    return quoted + "\"";
}

// A value of string type: the key file's own escapes, applied over the
// quoting above (so one backslash in the path becomes four).
std::string escapedValue(const std::string& value) {
    std::string escaped;
    for (char character : value) {
        switch (character) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\r':
            escaped += "\\r";
            break;
        default:
            escaped += character;
        }
    }
    return escaped;
}

} // namespace

XdgAutostartEntry::XdgAutostartEntry(const std::filesystem::path& autostartDirectory,
                                     std::filesystem::path executable)
    : LoginItem(autostartDirectory / "tolvane.desktop"), executable_(std::move(executable)) {}

std::string XdgAutostartEntry::content() const {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tolvane\n"
           "Comment=Shows the keyboard layout on the mouse pointer\n"
           "Exec=" +
           escapedValue(quotedArgument(executable_.string()) + " --session=x11") +
           "\n"
           "Icon=tolvane\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

Result<void> XdgAutostartEntry::install() const {
    std::error_code error;
    std::filesystem::create_directories(path().parent_path(), error);
    if (error) {
        return Failure{"cannot make " + path().parent_path().string() + ": " + error.message(),
                       error.value()};
    }
    const std::string text = content();
    return atomicWrite(path(),
                       std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

} // namespace tolvane
