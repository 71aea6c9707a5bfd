#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// Identifiers of the form "com.apple.cursor." + decimal number name the numbered
// system cursors.
inline constexpr std::string_view numberedCursorPrefix = "com.apple.cursor.";

// The number of a numbered identifier: it must begin with the prefix (case
// matters); the last non-empty piece between dots is read as a signed 32-bit
// decimal with an optional "+" or "-". "com.apple.cursor.+7" gives 7;
// "com.apple.cursor.x13", "com.apple.cursor." and an overflowing number give nothing.
std::optional<std::int32_t> numberedCursorID(std::string_view identifier);

std::string numberedCursorIdentifier(std::int32_t cursorID);

// The first occurrence of each string, in order, without empty strings.
std::vector<std::string> deduplicated(const std::vector<std::string>& identifiers);

} // namespace tolvane
