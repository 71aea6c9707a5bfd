#pragma once

#include <optional>
#include <string>

namespace tolvane {

// Field values as log lines print them.
namespace logformat {

// Shortest decimal that reads back to the same value, always with a fraction
// or an exponent: 32.0, 1.08, 1e+20, nan, inf.
std::string number(double value);
std::string number(float value);
std::string boolean(bool value);
// "nil" when absent.
std::string optional(const std::optional<std::string>& value);

} // namespace logformat
} // namespace tolvane
