#pragma once

#include "input/InputLanguage.h"
#include "platform/Color.h"

#include <optional>
#include <string>

namespace tolvane {

// What the renderer draws onto the pointer: a disc with an optional text.
struct CursorMarker {
    std::optional<std::string> text;
    Color fillColor;
    Color textColor;
    Color borderColor;
    double diameter = 0.0;    // points at 1x, before the renderer's scaling
    double borderWidth = 0.0; // points at 1x, before the renderer's scaling

    bool operator==(const CursorMarker&) const = default;
};

// The one marker style the user chooses for all languages.
class CursorStyle {
public:
    enum Value { system, letterBadge, dotBadge, highContrast };

    constexpr CursorStyle(Value value) : value_(value) {}
    // Exact, case-sensitive match of a stored raw value.
    static std::optional<CursorStyle> fromRawValue(const std::string& rawValue);
    static constexpr Value allCases[] = {system, letterBadge, dotBadge, highContrast};

    std::string rawValue() const;
    // Nothing for the system style: its cursors stay undecorated.
    std::optional<CursorMarker> marker(const InputLanguage& language) const;

    constexpr operator Value() const { return value_; }

private:
    Value value_;
};

} // namespace tolvane
