#pragma once

#include "artwork/CursorArtwork.h"
#include "server/CursorRecord.h"

#include <array>

namespace tolvane {

// The system's own cursors as the window server holds them: every frame of the
// artwork at each representation scale.
class SystemArtwork {
  public:
    static constexpr std::array<double, 4> representationScales{1.0, 2.0, 5.0, 10.0};

    // Null only when drawing failed.
    static CursorRecordPtr make(CursorShape shape);
};

} // namespace tolvane
