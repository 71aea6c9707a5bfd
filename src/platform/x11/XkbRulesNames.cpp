#include "platform/x11/XkbRulesNames.h"

#include <string_view>

namespace tolvane {

namespace {

std::vector<std::string> commaSeparated(std::string_view text) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        pieces.emplace_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos) {
            return pieces;
        }
        start = comma + 1;
    }
}

// "de(neo)" is layout "de" with variant "neo"; a parenthesis left open keeps the text as a layout.
XkbLayout splitInlineVariant(const std::string& text) {
    const std::size_t open = text.find('(');
    if (open == std::string::npos || text.back() != ')' || open + 1 >= text.size()) {
        return {text, ""};
    }
    return {text.substr(0, open), text.substr(open + 1, text.size() - open - 2)};
}

} // namespace

std::string XkbLayout::name() const {
    return variant.empty() ? layout : layout + "(" + variant + ")";
}

XkbRulesNames XkbRulesNames::parse(std::span<const std::uint8_t> bytes) {
    XkbRulesNames names;
    std::optional<std::string>* const order[] = {&names.rules, &names.model, &names.layout,
                                                  &names.variant, &names.options};
    std::size_t field = 0;
    std::string current;
    bool started = false;
    for (const std::uint8_t byte : bytes) {
        if (field == std::size(order)) {
            break;
        }
        if (byte == 0) {
            *order[field++] = std::move(current);
            current.clear();
            started = false;
            continue;
        }
        current.push_back(static_cast<char>(byte));
        started = true;
    }
    if (started && field < std::size(order)) {
        *order[field] = std::move(current);
    }
    return names;
}

std::vector<XkbLayout> XkbRulesNames::layouts() const {
    if (!layout) {
        return {};
    }
    const std::vector<std::string> variants = variant ? commaSeparated(*variant)
                                                      : std::vector<std::string>{};
    std::vector<XkbLayout> result;
    const std::vector<std::string> layoutNames = commaSeparated(*layout);
    for (std::size_t i = 0; i < layoutNames.size(); ++i) {
        XkbLayout entry = splitInlineVariant(layoutNames[i]);
        if (entry.variant.empty() && i < variants.size()) {
            entry.variant = variants[i];
        }
        result.push_back(std::move(entry));
    }
    return result;
}

} // namespace tolvane
