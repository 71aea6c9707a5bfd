#include "log/LogFormat.h"

#include "platform/Utf8.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace tolvane::logformat {

namespace {

template <typename Float> std::string shortest(Float value) {
    if (std::isnan(value)) {
        return "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    // Plain decimals for every magnitude from 1e-4 up to where the type stops
    // holding whole numbers exactly (2^24 for float, 2^53 for double); outside
    // that range the shortest exponent form. Plain shortest to_chars would turn
    // 100000 into "1e+05".
    constexpr Float wholeNumberLimit =
        Float(std::uint64_t{1} << std::numeric_limits<Float>::digits);
    Float magnitude = std::fabs(value);
    bool plain = magnitude == 0 || (magnitude >= Float(1e-4) && magnitude < wholeNumberLimit);
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                plain ? std::chars_format::fixed : std::chars_format::scientific);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".e") == std::string::npos) {
        text += ".0";
    }
    return text;
}

} // namespace

std::string number(double value) { return shortest(value); }
std::string number(float value) { return shortest(value); }
std::string boolean(bool value) { return value ? "true" : "false"; }
std::string optional(const std::optional<std::string>& value) { return value.value_or("nil"); }
std::string optional(const std::optional<std::int32_t>& value) {
    return value ? std::to_string(*value) : "nil";
}

std::string outsideText(std::string_view text, std::size_t limit) {
    const std::u32string characters = unicodeScalars(text);
    std::string result;
    for (std::size_t index = 0; index < characters.size() && index < limit; ++index) {
        const char32_t character = characters[index];
        // C0 and C1 controls, DEL, and the separators some viewers break lines at.
        const bool control = character < 0x20 || (character >= 0x7f && character <= 0x9f) ||
                             character == 0x2028 || character == 0x2029;
        if (character == U'\\') {
            result += "\\\\";
        } else if (character == U'\n') {
            result += "\\n";
        } else if (character == U'\r') {
            result += "\\r";
        } else if (character == U'\t') {
            result += "\\t";
        } else if (control) {
            char code[16];
            const auto value = static_cast<unsigned>(character);
            if (value < 0x80) {
                std::snprintf(code, sizeof code, "\\x%02x", value);
            } else {
                std::snprintf(code, sizeof code, "\\u%04x", value);
            }
            result += code;
        } else {
            result += utf8Encoded(std::u32string_view(&character, 1));
        }
    }
    if (characters.size() > limit) {
        result += "...(" + std::to_string(text.size()) + " bytes)";
    }
    return result;
}

} // namespace tolvane::logformat
