#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tolvane {

// One keyboard layout of the XKB keymap: a layout and its variant, such as
// "de" and "neo". The variant is empty for the layout's own.
struct XkbLayout {
    std::string layout;
    std::string variant;

    // "de(neo)", or "us" without a variant.
    std::string name() const;
    bool operator==(const XkbLayout&) const = default;
};

// The root window's _XKB_RULES_NAMES property: the rules, model, layout,
// variant and options the keymap was made from, as NUL-separated strings.
// The property comes from whichever client last set the keymap, so any field
// may be missing, empty or cut short.
struct XkbRulesNames {
    std::optional<std::string> rules;
    std::optional<std::string> model;
    std::optional<std::string> layout;
    std::optional<std::string> variant;
    std::optional<std::string> options;

    // Reads the property's bytes without reading past them. A last field
    // without its terminating NUL is kept as far as it goes.
    static XkbRulesNames parse(std::span<const std::uint8_t> bytes);

    // The keymap's layouts, one for each group in group order: the
    // comma-separated layouts with the variant at the same position. A layout
    // written as "de(neo)" brings its own variant. A position left empty stays
    // empty; none when there is no layout field.
    std::vector<XkbLayout> layouts() const;

    bool operator==(const XkbRulesNames&) const = default;
};

} // namespace tolvane
