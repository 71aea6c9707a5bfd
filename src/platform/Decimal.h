#pragma once

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

namespace tolvane {

// A whole base-10 number and nothing else: an optional "+" or "-", then ASCII
// digits only, within the range of the type.
template <typename Integer> std::optional<Integer> parseSignedDecimal(std::string_view text) {
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        digits.remove_prefix(1);
    }
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    // from_chars takes a minus sign but no plus sign.
    const std::string_view number = text.front() == '+' ? digits : text;
    Integer value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace tolvane
