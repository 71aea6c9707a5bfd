#pragma once

#include <string>

namespace tolvane {

// Case changes of the letters A to Z only: identifiers, codes and environment
// values are ASCII, and other characters must stay exactly as they are.
inline std::string lowercasedASCII(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

inline std::string uppercasedASCII(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

} // namespace tolvane
