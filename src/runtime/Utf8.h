#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// The bytes as UTF-8 text: every ill-formed sequence (each maximal invalid
// subpart) becomes U+FFFD.
std::string repairedUTF8(std::string_view bytes);

} // namespace tolvane
