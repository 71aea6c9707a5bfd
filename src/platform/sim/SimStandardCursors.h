#pragma once

#include "platform/StandardCursors.h"

namespace tolvane {

// The simulated desktop's standard cursors, drawn from the same artwork as the
// simulated window server's arrow (system cursor 0), I-beam (1) and pointing
// hand (13), so that both agree pixel for pixel.
class SimStandardCursors final : public StandardCursors {
  public:
    std::optional<StandardCursor> cursor(StandardCursorKind kind, double scale) const override;
};

} // namespace tolvane
