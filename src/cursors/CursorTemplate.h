#pragma once

#include <string_view>

namespace tolvane {

// The kind of cursor the renderer draws or decorates. Optional wherever it is
// passed: no template means an identifier of no role (a resize cursor, a
// crosshair and the like).
enum class CursorTemplate { arrow, iBeam, pointingHand };

// The case name, as log lines print it.
constexpr std::string_view caseName(CursorTemplate cursorTemplate) {
    switch (cursorTemplate) {
    case CursorTemplate::arrow:
        return "arrow";
    case CursorTemplate::iBeam:
        return "iBeam";
    case CursorTemplate::pointingHand:
        return "pointingHand";
    }
    return {};
}

} // namespace tolvane
