#pragma once

#include "platform/StandardCursors.h"
#include "platform/x11/CursorThemeChoice.h"

namespace tolvane {

// The user's cursor theme's own arrow (left_ptr), I-beam (xterm) and pointing
// hand (hand2). A point is one pixel of the theme's nominal size, so a theme
// drawn at twice that size holds the cursor at two pixels per point.
class X11StandardCursors final : public StandardCursors {
  public:
    // The theme and size the user chose on this display.
    explicit X11StandardCursors(Display* display);
    explicit X11StandardCursors(CursorThemeChoice theme);

    // The theme's image nearest to `scale` pixels per point; nothing when the
    // theme (and its fallbacks) has no such cursor.
    std::optional<StandardCursor> cursor(StandardCursorKind kind, double scale) const override;

  private:
    CursorThemeChoice theme_;
};

} // namespace tolvane
