#pragma once

#include "input/InputLanguage.h"
#include "platform/Color.h"

#include <optional>
#include <string>

namespace tolvane {

// How a marker shows that Caps Lock is on.
enum class CapsLockMark {
    none,
    bar,  // a short bar under the text
    ring, // a ring inside the disc
};

// What the renderer draws onto the pointer: a disc with an optional text.
struct CursorMarker {
    std::optional<std::string> text;
    Color fillColor;
    Color textColor;
    Color borderColor;
    double diameter = 0.0;    // points at 1x, before the renderer's scaling
    double borderWidth = 0.0; // points at 1x, before the renderer's scaling
    CapsLockMark capsLockMark = CapsLockMark::none;

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
    // Nothing for the system style: its cursors stay undecorated. With Caps
    // Lock on, the text is in capitals and the marker carries the style's mark.
    std::optional<CursorMarker> marker(const InputLanguage& language, bool capsLock = false) const;

    // The text in capitals; scripts without case keep theirs.
    static std::string capsLockText(const std::string& text);

    constexpr operator Value() const { return value_; }

private:
    std::optional<CursorMarker> plainMarker(const InputLanguage& language) const;

    Value value_;
};

} // namespace tolvane
