#pragma once

#include "artwork/CursorArtwork.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tolvane {

// A numbered system cursor: the name CGSCursorNameForSystemCursor reports for
// the number, and the artwork it shows.
struct NumberedSystemCursor {
    std::int32_t number;
    std::string_view name;
    CursorShape shape;
};

// A system cursor known only by name.
struct NamedSystemCursor {
    std::string_view name;
    CursorShape shape;
};

// The system's cursors. Numbers 0 to 44 are core cursors (CoreCursorSet and
// friends); every number also names a registered cursor "com.apple.cursor.<n>",
// and its name from the table is registered too. See simws/README.md.
class SystemCursorTable {
  public:
    static constexpr std::int32_t maxCoreCursor = 44;

    static std::span<const NumberedSystemCursor> numbered();
    static std::span<const NamedSystemCursor> namedOnly();
    static const NumberedSystemCursor* find(std::int32_t number);
    static bool isCoreCursor(std::int32_t number) { return number >= 0 && number <= maxCoreCursor; }
    // "com.apple.cursor." followed by the number.
    static std::string numberedName(std::int32_t number);
    // The artwork a system cursor name shows, for every name the table registers.
    static std::optional<CursorShape> shapeForName(std::string_view name);
};

} // namespace tolvane
