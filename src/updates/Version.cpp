#include "updates/Version.h"

#include <algorithm>
#include <charconv>

namespace tolvane {

std::optional<Version> Version::parse(std::string_view text) {
    if (!text.empty() && (text.front() == 'v' || text.front() == 'V')) {
        text.remove_prefix(1);
    }
    std::vector<std::uint32_t> components;
    for (;;) {
        std::size_t digits = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
            ++digits;
        }
        if (digits == 0 || digits > maximumComponentDigits ||
            components.size() == maximumComponents) {
            return std::nullopt;
        }
        std::uint32_t number = 0;
        std::from_chars(text.data(), text.data() + digits, number); // nine digits always fit
        components.push_back(number);
        text.remove_prefix(digits);
        if (text.empty()) {
            return Version(std::move(components));
        }
        if (text.front() != '.') {
            return std::nullopt;
        }
        text.remove_prefix(1);
    }
}

std::string Version::text() const {
    std::string result;
    for (std::uint32_t number : components_) {
        if (!result.empty()) {
            result += '.';
        }
        result += std::to_string(number);
    }
    return result;
}

std::strong_ordering Version::operator<=>(const Version& other) const {
    std::size_t count = std::max(components_.size(), other.components_.size());
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t mine = i < components_.size() ? components_[i] : 0;
        std::uint32_t theirs = i < other.components_.size() ? other.components_[i] : 0;
        if (mine != theirs) {
            return mine <=> theirs;
        }
    }
    return std::strong_ordering::equal;
}

} // namespace tolvane
