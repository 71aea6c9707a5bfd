#pragma once

#include "cursors/CursorRole.h"
#include "platform/StandardCursors.h"

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

// The template a role's cursors are drawn from.
constexpr CursorTemplate templateFor(CursorRole role) {
    switch (role) {
    case CursorRole::arrow:
        return CursorTemplate::arrow;
    case CursorRole::iBeam:
        return CursorTemplate::iBeam;
    case CursorRole::pointingHand:
        return CursorTemplate::pointingHand;
    }
    return CursorTemplate::arrow;
}

// The framework's standard cursor of the template's kind.
constexpr StandardCursorKind standardCursorKind(CursorTemplate cursorTemplate) {
    switch (cursorTemplate) {
    case CursorTemplate::arrow:
        return StandardCursorKind::arrow;
    case CursorTemplate::iBeam:
        return StandardCursorKind::iBeam;
    case CursorTemplate::pointingHand:
        return StandardCursorKind::pointingHand;
    }
    return StandardCursorKind::arrow;
}

} // namespace tolvane
