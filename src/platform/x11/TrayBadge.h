#pragma once

#include "render/CursorStyle.h"

#include <string>

namespace tolvane {

// What the tray icon shows: the badge of the language being typed, and that
// layout's name for the tooltip.
struct TrayBadge {
    CursorMarker marker;
    std::string layoutName;

    bool operator==(const TrayBadge&) const = default;
};

} // namespace tolvane
