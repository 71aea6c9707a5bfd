#include "systemcursors/SystemCursorTable.h"

#include <algorithm>
#include <array>

namespace tolvane {

namespace {

using enum CursorShape;

// Animated cursors sit at 4, 14, 15 and 16; 37 and 102 are animated too but
// are recognisable only by their names ("progress", "wait"), 103 by "busy".
constexpr std::array numberedCursors{
    NumberedSystemCursor{0, "com.apple.coregraphics.Arrow", arrow},
    NumberedSystemCursor{1, "com.apple.coregraphics.IBeam", iBeam},
    NumberedSystemCursor{2, "com.apple.coregraphics.MakeAlias", aliasArrow},
    NumberedSystemCursor{3, "com.apple.coregraphics.NotAllowed", notAllowedArrow},
    NumberedSystemCursor{4, "com.apple.coregraphics.Wait", wait},
    NumberedSystemCursor{5, "com.apple.coregraphics.Copy", copyArrow},
    NumberedSystemCursor{6, "com.apple.coregraphics.ArrowCtx", contextMenuArrow},
    NumberedSystemCursor{7, "com.apple.coregraphics.Crosshair", crosshair},
    NumberedSystemCursor{8, "com.apple.coregraphics.ClosedHand", closedHand},
    NumberedSystemCursor{9, "com.apple.coregraphics.OpenHand", openHand},
    NumberedSystemCursor{10, "com.apple.coregraphics.Poof", poofArrow},
    NumberedSystemCursor{11, "com.apple.coregraphics.IBeamVertical", verticalIBeam},
    NumberedSystemCursor{12, "com.apple.coregraphics.Help", helpArrow},
    NumberedSystemCursor{13, "com.apple.coregraphics.PointingHand", pointingHand},
    NumberedSystemCursor{14, "com.apple.coregraphics.BusyButClickable", busyArrow},
    NumberedSystemCursor{15, "com.apple.coregraphics.CountingUp", countingUpHand},
    NumberedSystemCursor{16, "com.apple.coregraphics.CountingDown", countingDownHand},
    NumberedSystemCursor{17, "com.apple.coregraphics.ResizeLeft", resizeLeft},
    NumberedSystemCursor{18, "com.apple.coregraphics.ResizeRight", resizeRight},
    NumberedSystemCursor{19, "com.apple.coregraphics.ResizeLeftRight", resizeLeftRight},
    NumberedSystemCursor{20, "com.apple.coregraphics.ResizeUp", resizeUp},
    NumberedSystemCursor{21, "com.apple.coregraphics.ResizeDown", resizeDown},
    NumberedSystemCursor{22, "com.apple.coregraphics.ResizeUpDown", resizeUpDown},
    NumberedSystemCursor{23, "com.apple.coregraphics.ResizeNorthWestSouthEast",
                         resizeNorthWestSouthEast},
    NumberedSystemCursor{24, "com.apple.coregraphics.ResizeNorthEastSouthWest",
                         resizeNorthEastSouthWest},
    NumberedSystemCursor{25, "com.apple.coregraphics.ResizeNorthWest", resizeNorthWest},
    NumberedSystemCursor{26, "com.apple.coregraphics.ResizeNorthEast", resizeNorthEast},
    NumberedSystemCursor{27, "com.apple.coregraphics.ResizeSouthWest", resizeSouthWest},
    NumberedSystemCursor{28, "com.apple.coregraphics.ResizeSouthEast", resizeSouthEast},
    NumberedSystemCursor{29, "com.apple.coregraphics.ResizeColumn", resizeColumn},
    NumberedSystemCursor{30, "com.apple.coregraphics.ResizeRow", resizeRow},
    NumberedSystemCursor{31, "com.apple.coregraphics.DragLink", linkArrow},
    NumberedSystemCursor{32, "com.apple.coregraphics.Move", move},
    NumberedSystemCursor{33, "com.apple.coregraphics.ZoomIn", zoomIn},
    NumberedSystemCursor{34, "com.apple.coregraphics.ZoomOut", zoomOut},
    NumberedSystemCursor{35, "com.apple.coregraphics.Cell", cell},
    NumberedSystemCursor{36, "com.apple.coregraphics.ScreenshotSelection", crosshair},
    NumberedSystemCursor{37, "com.apple.coregraphics.Progress", busyArrow},
    NumberedSystemCursor{38, "com.apple.coregraphics.DragCopy", copyArrow},
    NumberedSystemCursor{39, "com.apple.coregraphics.DragNotAllowed", notAllowedArrow},
    NumberedSystemCursor{40, "com.apple.coregraphics.ResizeColumnLeft", resizeLeft},
    NumberedSystemCursor{41, "com.apple.coregraphics.ResizeColumnRight", resizeRight},
    NumberedSystemCursor{42, "com.apple.coregraphics.ResizeRowUp", resizeUp},
    NumberedSystemCursor{43, "com.apple.coregraphics.ResizeRowDown", resizeDown},
    NumberedSystemCursor{44, "com.apple.coregraphics.ContextualMenu", contextMenuArrow},
    NumberedSystemCursor{100, "com.apple.coregraphics.ArrowS", arrow},
    NumberedSystemCursor{101, "com.apple.coregraphics.IBeamS", iBeam},
    NumberedSystemCursor{102, "com.apple.coregraphics.WaitS", wait},
    NumberedSystemCursor{103, "com.apple.coregraphics.Busy", wait},
};

constexpr std::array namedOnlyCursors{
    NamedSystemCursor{"com.apple.coregraphics.GlobalCurrent", arrow},
    NamedSystemCursor{"com.apple.coregraphics.ConnectionCurrent", arrow},
    NamedSystemCursor{"com.apple.coregraphics.IBeamXOR", iBeam},
};

constexpr std::string_view numberedPrefix = "com.apple.cursor.";

} // namespace

std::span<const NumberedSystemCursor> SystemCursorTable::numbered() {
    return numberedCursors;
}

std::span<const NamedSystemCursor> SystemCursorTable::namedOnly() {
    return namedOnlyCursors;
}

const NumberedSystemCursor* SystemCursorTable::find(std::int32_t number) {
    auto found = std::find_if(numberedCursors.begin(), numberedCursors.end(),
                              [number](const auto& cursor) { return cursor.number == number; });
    return found == numberedCursors.end() ? nullptr : &*found;
}

std::string SystemCursorTable::numberedName(std::int32_t number) {
    return std::string(numberedPrefix) + std::to_string(number);
}

std::optional<CursorShape> SystemCursorTable::shapeForName(std::string_view name) {
    for (const auto& cursor : numberedCursors) {
        if (cursor.name == name || numberedName(cursor.number) == name) {
            return cursor.shape;
        }
    }
    for (const auto& cursor : namedOnlyCursors) {
        if (cursor.name == name) {
            return cursor.shape;
        }
    }
    return std::nullopt;
}

} // namespace tolvane
