#pragma once

#include "platform/Color.h"
#include "platform/Image.h"

#include <cmath>
#include <cstdint>

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
inline Fill fillPixels(const Image& image, const Color& fill) {
    const auto near = [](int actual, double expected) {
        return std::abs(actual - expected * 255) <= 1.5;
    };
    Fill found;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const Argb p = argb(image, x, y);
            if (p.alpha == 255 && near(p.red, fill.red) && near(p.green, fill.green) &&
                near(p.blue, fill.blue)) {
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
