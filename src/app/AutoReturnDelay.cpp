#include "app/AutoReturnDelay.h"

#include "platform/Decimal.h"

namespace tolvane {

std::string autoReturnDelayLabel(std::int64_t seconds) {
    if (seconds < 1) {
        return "Off";
    }
    return seconds == 1 ? "1 second" : std::to_string(seconds) + " seconds";
}

std::optional<std::int64_t> parseAutoReturnDelay(const std::string& text) {
    const std::optional<std::int64_t> value = parseSignedDecimal<std::int64_t>(text);
    if (!value || *value < 0) {
        return std::nullopt;
    }
    return value;
}

} // namespace tolvane
