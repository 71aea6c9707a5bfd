#include "platform/x11/CursorThemeChoice.h"

#include "platform/x11/X11ErrorTrap.h"
#include "XSettings.h"

#include <X11/Xcursor/Xcursor.h>
#include <X11/Xlib.h>

#include <climits>
#include <memory>
#include <span>

namespace tolvane {

namespace {

struct XFreeDeleter {
    void operator()(unsigned char* data) const { XFree(data); }
};

// The settings of the screen's XSETTINGS manager; none without a manager or,
// with the reason in `problem`, when its property cannot be read.
std::optional<XSettings> readXSettings(Display* display, std::string& problem) {
    const std::string selection = "_XSETTINGS_S" + std::to_string(DefaultScreen(display));
    const Window owner = XGetSelectionOwner(display, XInternAtom(display, selection.c_str(), False));
    if (owner == None) {
        return std::nullopt;
    }
    const Atom property = XInternAtom(display, "_XSETTINGS_SETTINGS", False);
    X11ErrorTrap trap(display);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, owner, property, 0, LONG_MAX / 4, False,
                                          property, &type, &format, &count, &remaining, &data);
    std::unique_ptr<unsigned char, XFreeDeleter> owned(data);
    if (status != Success || trap.failed() || data == nullptr || format != 8) {
        problem = "XSETTINGS unreadable: the manager's property is missing or not 8-bit";
        return std::nullopt;
    }
    XSettings settings = XSettings::parse(std::span<const std::uint8_t>(data, count));
    if (!settings.failure.empty()) {
        problem = "XSETTINGS ignored: " + settings.failure;
        return std::nullopt;
    }
    return settings;
}

} // namespace

CursorThemeChoice CursorThemeChoice::of(Display* display) {
    CursorThemeChoice choice;
    if (const char* resourceTheme = XcursorGetTheme(display)) {
        choice.name = resourceTheme;
    }
    choice.size = XcursorGetDefaultSize(display);
    if (const std::optional<XSettings> settings = readXSettings(display, choice.settingsProblem)) {
        if (auto theme = settings->strings.find("Gtk/CursorThemeName");
            theme != settings->strings.end() && !theme->second.empty()) {
            choice.name = theme->second;
        }
        if (auto themeSize = settings->integers.find("Gtk/CursorThemeSize");
            themeSize != settings->integers.end() && themeSize->second > 0) {
            choice.size = themeSize->second;
        }
    }
    return choice;
}

} // namespace tolvane
