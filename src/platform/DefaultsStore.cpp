#include "platform/DefaultsStore.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

namespace tolvane {

namespace {

bool equalsIgnoringCase(std::string_view text, std::string_view word) {
    if (text.size() != word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        char letter = text[i];
        if (letter >= 'A' && letter <= 'Z') {
            letter = static_cast<char>(letter - 'A' + 'a');
        }
        if (letter != word[i]) {
            return false;
        }
    }
    return true;
}

// The integer at the start of the text after white space: an optional sign
// and decimal digits, clamped to the 64-bit range; 0 when there is none.
std::int64_t leadingInteger(std::string_view text) {
    std::size_t position = text.find_first_not_of(" \t\n\r\f\v");
    if (position == std::string_view::npos) {
        return 0;
    }
    bool negative = false;
    if (text[position] == '+' || text[position] == '-') {
        negative = text[position] == '-';
        ++position;
    }
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    std::uint64_t magnitude = 0;
    const std::uint64_t limit = negative ? std::uint64_t{largest} + 1 : std::uint64_t{largest};
    for (; position < text.size() && text[position] >= '0' && text[position] <= '9'; ++position) {
        auto digit = static_cast<std::uint64_t>(text[position] - '0');
        if (magnitude > (limit - digit) / 10) {
            magnitude = limit;
            break;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (negative) {
        return magnitude == limit ? std::numeric_limits<std::int64_t>::min()
                                  : -static_cast<std::int64_t>(magnitude);
    }
    return static_cast<std::int64_t>(magnitude);
}

std::string shortestText(double value) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

} // namespace

std::optional<PropertyList> DefaultsStore::objectForKey(const std::string& key) const {
    auto stored = dictionaryRepresentation();
    const PropertyList* value = stored ? PropertyList::find(stored.value(), key) : nullptr;
    return value ? std::optional<PropertyList>(*value) : std::nullopt;
}

std::optional<std::string> DefaultsStore::stringForKey(const std::string& key) const {
    auto value = objectForKey(key);
    return value ? stringReading(*value) : std::nullopt;
}

bool DefaultsStore::boolForKey(const std::string& key) const {
    auto value = objectForKey(key);
    return value && booleanReading(*value);
}

std::int64_t DefaultsStore::integerForKey(const std::string& key) const {
    auto value = objectForKey(key);
    return value ? integerReading(*value) : 0;
}

std::optional<std::string> DefaultsStore::stringReading(const PropertyList& value) {
    if (const auto* text = value.stringValue()) {
        return *text;
    }
    if (auto integer = value.integerValue()) {
        return std::to_string(*integer);
    }
    if (auto real = value.realValue()) {
        return shortestText(*real);
    }
    if (auto boolean = value.booleanValue()) {
        return *boolean ? "1" : "0";
    }
    return std::nullopt;
}

bool DefaultsStore::booleanReading(const PropertyList& value) {
    if (auto boolean = value.booleanValue()) {
        return *boolean;
    }
    if (auto integer = value.integerValue()) {
        return *integer != 0;
    }
    if (auto real = value.realValue()) {
        return !std::isnan(*real) && *real != 0.0;
    }
    if (const auto* text = value.stringValue()) {
        if (equalsIgnoringCase(*text, "yes") || equalsIgnoringCase(*text, "true")) {
            return true;
        }
        if (equalsIgnoringCase(*text, "no") || equalsIgnoringCase(*text, "false")) {
            return false;
        }
        return leadingInteger(*text) != 0;
    }
    return false;
}

std::int64_t DefaultsStore::integerReading(const PropertyList& value) {
    if (auto integer = value.integerValue()) {
        return *integer;
    }
    if (auto real = value.realValue()) {
        constexpr double limit = 9223372036854775808.0; // 2^63
        if (std::isnan(*real)) {
            return 0;
        }
        if (*real >= limit) {
            return std::numeric_limits<std::int64_t>::max();
        }
        if (*real < -limit) {
            return std::numeric_limits<std::int64_t>::min();
        }
        return static_cast<std::int64_t>(*real);
    }
    if (auto boolean = value.booleanValue()) {
        return *boolean ? 1 : 0;
    }
    if (const auto* text = value.stringValue()) {
        return leadingInteger(*text);
    }
    return 0;
}

} // namespace tolvane
