#pragma once

#include "platform/Color.h"
#include "platform/Image.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace tolvane::testing {

struct Argb {
    int alpha, red, green, blue;
};

inline Argb argb(const Image& image, int x, int y) {
    const std::uint32_t word = image.pixel(x, y);
    return {static_cast<int>(word >> 24), static_cast<int>((word >> 16) & 0xff),
            static_cast<int>((word >> 8) & 0xff), static_cast<int>(word & 0xff)};
}

// The opaque pixels of the fill colour (within rounding): how many, and their centre.
struct Fill {
    int count = 0;
    double centreX = 0;
    double centreY = 0;
};
// An opaque pixel of the colour, within rounding.
inline bool isOpaque(const Argb& pixel, const Color& colour) {
    const auto near = [](int actual, double expected) {
        return std::abs(actual - expected * 255) <= 1.5;
    };
    return pixel.alpha == 255 && near(pixel.red, colour.red) && near(pixel.green, colour.green) &&
           near(pixel.blue, colour.blue);
}

inline Fill fillPixels(const Image& image, const Color& fill) {
    Fill found;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (isOpaque(argb(image, x, y), fill)) {
                ++found.count;
                found.centreX += x + 0.5;
                found.centreY += y + 0.5;
            }
        }
    }
    if (found.count > 0) {
        found.centreX /= found.count;
        found.centreY /= found.count;
    }
    return found;
}

// How many opaque pixels of the colour premultiplied ARGB words hold, little
// endian as the window server hands out the displayed cursor: blue, green, red, alpha.
inline int opaquePixelsOf(const std::vector<unsigned char>& bytes, const Color& colour) {
    int count = 0;
    for (std::size_t offset = 0; offset + 3 < bytes.size(); offset += 4) {
        const unsigned char* pixel = &bytes[offset];
        count += isOpaque({pixel[3], pixel[2], pixel[1], pixel[0]}, colour) ? 1 : 0;
    }
    return count;
}

// The input's solid (at least half opaque) pixels, and how many of them the
// output changed, the input drawn `offsetX` pixels to the right.
struct SolidPixels {
    int solid = 0;
    int changed = 0;
};
inline SolidPixels solidPixels(const Image& input, const Image& output, int offsetX) {
    SolidPixels result;
    for (int y = 0; y < input.height(); ++y) {
        for (int x = 0; x < input.width(); ++x) {
            if (input.alphaAt(x, y) >= 128) {
                ++result.solid;
                result.changed += output.pixel(x + offsetX, y) != input.pixel(x, y) ? 1 : 0;
            }
        }
    }
    return result;
}

} // namespace tolvane::testing
