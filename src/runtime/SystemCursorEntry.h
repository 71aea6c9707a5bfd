#pragma once

#include <cstdint>
#include <string>

namespace tolvane {

// A numbered system cursor and the name the window server reports for it.
struct SystemCursorEntry {
    std::int32_t id = 0;
    std::string name;

    bool operator==(const SystemCursorEntry&) const = default;
};

} // namespace tolvane
