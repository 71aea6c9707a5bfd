#pragma once

#include "platform/Image.h"

#include <optional>

namespace tolvane {

// The application framework's own cursors.
enum class StandardCursorKind { arrow, iBeam, pointingHand };

// One standard cursor: its image at a chosen pixel density, with its size and
// hot spot in points (the hot spot measured from the top-left corner).
struct StandardCursor {
    Image image;
    double width = 0;
    double height = 0;
    double hotSpotX = 0;
    double hotSpotY = 0;
};

class StandardCursors {
  public:
    virtual ~StandardCursors() = default;
    // The cursor drawn at `scale` pixels per point; nothing when it cannot be drawn.
    virtual std::optional<StandardCursor> cursor(StandardCursorKind kind, double scale) const = 0;
};

} // namespace tolvane
