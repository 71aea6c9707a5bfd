#include "app/LogFormat.h"

#include <charconv>
#include <cmath>

namespace tolvane::logformat {

namespace {

template <typename Float> std::string shortest(Float value) {
    if (std::isnan(value)) {
        return "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
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

} // namespace tolvane::logformat
