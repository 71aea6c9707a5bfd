#pragma once

#include "server/CursorRecord.h"
#include "server/ObjectHandle.h"

namespace tolvane {

// The cursor as it is on screen: pixels at the current scale.
struct DisplayedImage {
    ObjectHandle image;
    TVWSPoint hotSpot{}; // pixels

    // Draws the record for the scale: the first frame of the representation
    // that is the smallest at least as wide as the cursor at that scale (else
    // the widest), resampled when its size differs. A scale that is not a
    // positive number draws at 1.0; no side grows beyond maxPixelSide.
    static DisplayedImage render(const CursorRecord& record, float scale);
    static constexpr double maxPixelSide = 1024;

    // Same pixels and hot spot.
    bool looksLike(const DisplayedImage& other) const;
};

} // namespace tolvane
