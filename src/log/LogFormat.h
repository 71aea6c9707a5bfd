#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// Text that came from outside the program (a request, a file, another
// process), fit for one log line: control characters, line and paragraph
// separators and backslashes written as escapes ("\n", "\x1b", "\u2028",
// "\\"), ill-formed UTF-8 as U+FFFD, and cut after `limit` characters with
// the whole length noted: "abc...(5000 bytes)".
std::string outsideText(std::string_view text, std::size_t limit = 120);

} // namespace logformat
} // namespace tolvane
