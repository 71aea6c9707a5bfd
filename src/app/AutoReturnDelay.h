#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tolvane {

// How the menu names a return delay: "Off" below 1, "1 second", "45 seconds".
std::string autoReturnDelayLabel(std::int64_t seconds);

// A delay the user typed: a whole base-10 number, optionally signed, not
// negative, within 64 bits; nothing for anything else. Trim it first.
std::optional<std::int64_t> parseAutoReturnDelay(const std::string& text);

} // namespace tolvane
