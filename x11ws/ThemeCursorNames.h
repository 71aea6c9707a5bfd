#pragma once

#include "artwork/CursorArtwork.h"

#include <optional>
#include <span>
#include <string_view>

namespace tolvane {

// The names X cursor themes give each shape: the freedesktop name, the CSS
// name and the legacy X font-cursor names. Clients load a cursor by any of
// them, so a decorated shape is installed under all of them.
class ThemeCursorNames {
  public:
    // Every name of the shape, the one themes ship as a file first; empty for
    // a shape no theme draws.
    static std::span<const std::string_view> aliases(CursorShape shape);
    // The shape a theme name draws; every name belongs to one shape.
    static std::optional<CursorShape> shapeForAlias(std::string_view alias);
};

} // namespace tolvane
