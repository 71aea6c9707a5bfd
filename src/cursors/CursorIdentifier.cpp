#include "cursors/CursorIdentifier.h"

#include "platform/Decimal.h"

#include <set>

namespace tolvane {

std::optional<std::int32_t> numberedCursorID(std::string_view identifier) {
    if (!identifier.starts_with(numberedCursorPrefix)) {
        return std::nullopt;
    }
    while (identifier.ends_with('.')) {
        identifier.remove_suffix(1);
    }
    auto lastDot = identifier.rfind('.');
    return parseSignedDecimal<std::int32_t>(
        lastDot == std::string_view::npos ? identifier : identifier.substr(lastDot + 1));
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
