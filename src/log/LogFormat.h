#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tolvane {

// Field values as log lines print them.
namespace logformat {

// Shortest decimal that reads back to the same value, always with a fraction:
// 32.0, 1.08, 100000.0, 0.0001; an exponent only for magnitudes below 1e-4 or
// beyond whole-number precision: 1e-05, 1e+20; and nan, inf.
std::string number(double value);
std::string number(float value);
std::string boolean(bool value);
// "nil" when absent.
std::string optional(const std::optional<std::string>& value);
std::string optional(const std::optional<std::int32_t>& value);

} // namespace logformat
} // namespace tolvane
