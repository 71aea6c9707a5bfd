#pragma once

#include <string>

namespace tolvane {

// One keyboard input source as the menu offers it.
struct KeyboardInputSourceChoice {
    std::string sourceID;      // as the platform reports it, untrimmed
    std::string localizedName; // the identifier when the source has no name
    std::string languageCode;  // normalised first declared language, or "unknown"
    std::string badgeText;

    // "Name [En]".
    std::string menuTitle() const;

    bool operator==(const KeyboardInputSourceChoice&) const = default;
};

} // namespace tolvane
