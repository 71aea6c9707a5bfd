#pragma once

#include "platform/Image.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tolvane {

// The largest image a PNG decode accepts.
struct PngLimits {
    std::uint32_t maxWidth = 4096;
    std::uint32_t maxHeight = 4096;
    std::uint64_t maxPixelCount = 4096ull * 4096ull;
};

// PNG files to and from images. Decoding treats its input as untrusted: it
// refuses images larger than the limits before allocating their pixels.
class Png {
  public:
    struct Decoded {
        std::optional<Image> image;
        std::string failure;   // why there is no image; empty on success
        bool tooLarge = false; // the failure is the limits, not damage
    };

    struct Header {
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        std::string failure;   // empty when the header is sound and within the limits
        bool tooLarge = false; // the failure is the limits, not damage
    };

    // An 8-bit RGBA PNG with straight (not premultiplied) alpha; nothing when
    // encoding fails.
    static std::optional<std::vector<std::uint8_t>> encode(const Image& image);
    // Any PNG colour type and bit depth, converted to premultiplied ARGB.
    static Decoded decode(std::span<const std::uint8_t> bytes,
                          const PngLimits& limits = PngLimits{});
    // The image size from the header alone, checked as decode checks it; the
    // pixel data is not read, so damage there goes unnoticed.
    static Header readHeader(std::span<const std::uint8_t> bytes,
                             const PngLimits& limits = PngLimits{});
};

} // namespace tolvane
