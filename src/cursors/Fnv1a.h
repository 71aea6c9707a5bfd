#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace tolvane {

// FNV-1a, 64 bits: the cursor fingerprint and the unchanged-cape check.
constexpr std::uint64_t fnv1a64(std::span<const unsigned char> bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char byte : bytes) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

// Exactly 16 lower-case hexadecimal digits.
inline std::string hexDigest(std::uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

} // namespace tolvane
