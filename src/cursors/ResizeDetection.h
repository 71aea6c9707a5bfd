#pragma once

#include "cursors/CursorSnapshot.h"

namespace tolvane {

// What a cursor of no role looks like from its proportions alone: a wide one
// resizes horizontally, a tall one vertically, and a square one of resize-cursor
// size diagonally.
struct ResizeDetection {
    bool horizontal = false;
    bool vertical = false;
    bool diagonal = false;

    bool any() const { return horizontal || vertical || diagonal; }
};

constexpr ResizeDetection detectResize(const CursorSize& size) {
    ResizeDetection resize;
    resize.horizontal = size.width > 1.3 * size.height;
    resize.vertical = size.height > 1.3 * size.width;
    resize.diagonal = !resize.horizontal && !resize.vertical && size.width > 15 &&
                      size.width < 35 && size.height > 15 && size.height < 35;
    return resize;
}

} // namespace tolvane
