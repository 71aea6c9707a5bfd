#pragma once

#include "platform/Image.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tolvane {

// One picture of a tray icon as the tray protocol carries it: ARGB, 8 bits
// per channel, in network byte order and not premultiplied.
struct TrayIconPixmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;

    static TrayIconPixmap fromImage(const Image& image);
    // One pixel of ours (premultiplied ARGB in a native word) as the four bytes A, R, G, B.
    static std::array<std::uint8_t, 4> networkBytes(std::uint32_t premultiplied);

    bool operator==(const TrayIconPixmap&) const = default;
};

} // namespace tolvane
