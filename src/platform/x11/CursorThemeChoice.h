#pragma once

#include <optional>
#include <string>

// Xlib's own name, without its macros for every includer.
typedef struct _XDisplay Display;

namespace tolvane {

// The cursor theme and size the user chose: the desktop's from XSETTINGS (what
// toolkits follow), else Xcursor's from the resources and the environment.
struct CursorThemeChoice {
    // None: Xcursor's default theme.
    std::optional<std::string> name;
    int size = 0;
    // Why the desktop's settings were passed over; empty when they were used
    // or there were none.
    std::string settingsProblem;

    static CursorThemeChoice of(Display* display);
};

} // namespace tolvane
