#pragma once

#include "platform/AsciiCase.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace tolvane {

// Checks on text that came from outside: the feed and its configured location.

inline bool startsWithIgnoringCase(std::string_view text, std::string_view lowercasePrefix) {
    return text.size() >= lowercasePrefix.size() &&
           lowercasedASCII(std::string(text.substr(0, lowercasePrefix.size()))) == lowercasePrefix;
}

// C0 controls and DEL; line feeds, carriage returns and tabs only when they
// are not allowed.
inline bool holdsControlCharacters(std::string_view text, bool lineBreaksAllowed = false) {
    return std::any_of(text.begin(), text.end(), [&](char c) {
        if (lineBreaksAllowed && (c == '\n' || c == '\r' || c == '\t')) {
            return false;
        }
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    });
}

} // namespace tolvane
