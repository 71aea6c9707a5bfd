#include "cursors/CursorIdentifier.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace tolvane {

namespace {

// A whole signed 32-bit decimal: optional sign, then only digits, no overflow.
std::optional<std::int32_t> parseInt32(std::string_view text) {
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        digits.remove_prefix(1);
    }
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    // from_chars takes a minus sign but no plus sign.
    std::string_view number = text.front() == '+' ? digits : text;
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<std::int32_t> numberedCursorID(std::string_view identifier) {
    if (!identifier.starts_with(numberedCursorPrefix)) {
        return std::nullopt;
    }
    while (identifier.ends_with('.')) {
        identifier.remove_suffix(1);
    }
    auto lastDot = identifier.rfind('.');
    return parseInt32(lastDot == std::string_view::npos ? identifier
                                                        : identifier.substr(lastDot + 1));
}

std::string numberedCursorIdentifier(std::int32_t cursorID) {
    return std::string(numberedCursorPrefix) + std::to_string(cursorID);
}

std::vector<std::string> deduplicated(const std::vector<std::string>& identifiers) {
    std::vector<std::string> result;
    std::set<std::string_view> seen;
    for (const std::string& identifier : identifiers) {
        if (!identifier.empty() && seen.insert(identifier).second) {
            result.push_back(identifier);
        }
    }
    return result;
}

} // namespace tolvane
