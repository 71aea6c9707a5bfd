#pragma once

#include "artwork/CursorArtwork.h"
#include "server/CursorRecord.h"

#include <vector>

namespace tolvane {

// The system's own cursors as the window server holds them: every frame of the
// artwork at each representation scale.
class SystemArtwork {
  public:
    // The pixel densities of a real window server's cursors.
    static const std::vector<double>& defaultRepresentationScales();

    // Null only when drawing failed.
    static CursorRecordPtr make(CursorShape shape, const std::vector<double>& representationScales);
};

} // namespace tolvane
