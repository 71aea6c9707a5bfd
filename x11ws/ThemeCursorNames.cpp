#include "ThemeCursorNames.h"

#include <vector>

namespace tolvane {

namespace {

using enum CursorShape;

struct ShapeAliases {
    CursorShape shape;
    std::vector<std::string_view> names;
};

// Shapes that are missing draw nothing in an X theme (poof, counting hands).
const std::vector<ShapeAliases>& table() {
    static const std::vector<ShapeAliases> aliases{
        {arrow, {"left_ptr", "default", "arrow", "top_left_arrow"}},
        {contextMenuArrow, {"context-menu"}},
        {aliasArrow, {"alias", "link"}},
        {copyArrow, {"copy", "dnd-copy"}},
        {notAllowedArrow,
         {"not-allowed", "crossed_circle", "forbidden", "circle", "no-drop", "dnd-no-drop"}},
        {helpArrow, {"help", "question_arrow", "whats_this", "left_ptr_help"}},
        {linkArrow, {"dnd-link"}},
        {busyArrow, {"left_ptr_watch", "progress", "half-busy"}},
        {iBeam, {"xterm", "text", "ibeam"}},
        {verticalIBeam, {"vertical-text"}},
        {pointingHand, {"hand2", "pointer", "hand1", "hand", "pointing_hand"}},
        {openHand, {"openhand", "grab"}},
        {closedHand, {"closedhand", "grabbing"}},
        {crosshair, {"crosshair", "cross", "tcross", "cross_reverse", "diamond_cross"}},
        {cell, {"cell", "plus"}},
        {move, {"fleur", "move", "all-scroll", "size_all"}},
        {zoomIn, {"zoom-in"}},
        {zoomOut, {"zoom-out"}},
        {resizeLeft, {"left_side", "w-resize"}},
        {resizeRight, {"right_side", "e-resize"}},
        {resizeLeftRight, {"sb_h_double_arrow", "ew-resize", "h_double_arrow", "size_hor"}},
        {resizeColumn, {"col-resize", "split_h"}},
        {resizeUp, {"top_side", "n-resize"}},
        {resizeDown, {"bottom_side", "s-resize"}},
        {resizeUpDown,
         {"sb_v_double_arrow", "ns-resize", "v_double_arrow", "size_ver", "double_arrow"}},
        {resizeRow, {"row-resize", "split_v"}},
        {resizeNorthWestSouthEast, {"nwse-resize", "size_fdiag", "fd_double_arrow"}},
        {resizeNorthEastSouthWest, {"nesw-resize", "size_bdiag", "bd_double_arrow"}},
        {resizeNorthWest, {"top_left_corner", "nw-resize"}},
        {resizeNorthEast, {"top_right_corner", "ne-resize"}},
        {resizeSouthWest, {"bottom_left_corner", "sw-resize"}},
        {resizeSouthEast, {"bottom_right_corner", "se-resize"}},
        {wait, {"watch", "wait"}},
    };
    return aliases;
}

} // namespace

std::span<const std::string_view> ThemeCursorNames::aliases(CursorShape shape) {
    for (const ShapeAliases& entry : table()) {
        if (entry.shape == shape) {
            return entry.names;
        }
    }
    return {};
}

std::optional<CursorShape> ThemeCursorNames::shapeForAlias(std::string_view alias) {
    for (int index = 0; index < cursorShapeCount; ++index) {
        const auto shape = static_cast<CursorShape>(index);
        for (std::string_view name : aliases(shape)) {
            if (name == alias) {
                return shape;
            }
        }
    }
    return std::nullopt;
}

} // namespace tolvane
