#pragma once

#include "platform/Image.h"

#include <cstddef>
#include <vector>

namespace tolvane {

struct CursorSize {
    double width = 0;
    double height = 0;
};

// Measured from the top-left corner of the image.
struct CursorPoint {
    double x = 0;
    double y = 0;
};

// One cursor's images and geometry, in points. An empty image list is legal and
// means geometry only. Snapshots have no equality: compare image bytes instead.
struct CursorSnapshot {
    CursorSize size;
    CursorPoint hotSpot;
    std::size_t frameCount = 0;
    double frameDuration = 0;
    std::vector<Image> images;
};

} // namespace tolvane
