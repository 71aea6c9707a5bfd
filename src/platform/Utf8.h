#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// The Unicode scalars of UTF-8 bytes: every ill-formed sequence (each maximal
// invalid subpart) becomes U+FFFD.
std::u32string unicodeScalars(std::string_view bytes);
std::string utf8Encoded(std::u32string_view scalars);

// The bytes as well-formed UTF-8 text, repaired as unicodeScalars() reads them.
std::string repairedUTF8(std::string_view bytes);

} // namespace tolvane
