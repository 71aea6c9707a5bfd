#pragma once

#include "cursors/CursorRole.h"
#include "cursors/CursorSnapshot.h"

#include <optional>

namespace tolvane {

// Whether a captured cursor looks like the framework's cursor of its role.
struct BaselineCheck {
    bool keep = false;
    // Set when the hot spot lies too far from the reference's, in parts of the size.
    std::optional<double> hotSpotDeviation;
};

// Broken sizes are replaced; against a broken reference the capture is kept.
// Otherwise the hot spot, as a fraction of the size, may lie at most 0.4 from
// the reference's, and the shape must fit the role: an arrow's hot spot in its
// upper left 0.6 and at most twice as wide as high, an I-beam at least as high
// as wide, a pointing hand's hot spot in its upper 0.7.
BaselineCheck checkBaselineSnapshot(CursorRole role, const CursorSnapshot& captured,
                                    const CursorSnapshot& reference);

} // namespace tolvane
