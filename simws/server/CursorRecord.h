#pragma once

#include "server/ObjectHandle.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace tolvane {

// One registered cursor. Immutable once made: registrations replace records.
struct CursorRecord {
    TVWSSize size{};     // points
    TVWSPoint hotSpot{}; // points from the top-left corner
    std::size_t frameCount = 1;
    double frameDuration = 0;
    // Grouped by representation: frameCount frames of the first, then of the next.
    std::vector<ObjectHandle> images;
    bool isSystemArtwork = false;

    std::size_t representationCount() const { return images.size() / frameCount; }
    // The first frame of a representation.
    TVWSImageRef representation(std::size_t index) const {
        return images[index * frameCount].get();
    }
};

using CursorRecordPtr = std::shared_ptr<const CursorRecord>;

} // namespace tolvane
