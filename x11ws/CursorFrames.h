#pragma once

#include "runtime/WindowServerObject.h"

#include "XHeaders.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tolvane {

// One cursor as pixels: its frames (premultiplied ARGB, 32-bit native order,
// the layout of the window-server images), each with its hot spot in pixels and
// how long it shows. A still cursor has one frame.
struct CursorFrames {
    struct Frame {
        WindowServerObject image;
        int hotSpotX = 0;
        int hotSpotY = 0;
        unsigned delayMilliseconds = 0;
    };
    std::vector<Frame> frames;

    // A theme's cursor as Xcursor loaded it; null when it has no usable frame.
    static std::shared_ptr<const CursorFrames> fromXcursor(const XcursorImages& images);
    // What a caller registers: the first frameCount images (the images of one
    // representation), the hot spot given in points over a cursor `width`
    // points wide; null when there is no image. The images are shared.
    static std::shared_ptr<const CursorFrames> fromRegistration(TVWSArrayRef images,
                                                                std::size_t frameCount,
                                                                double width, double hotSpotX,
                                                                double hotSpotY,
                                                                double frameDuration);
    // The frames' images in a new array the caller owns.
    WindowServerObject copyImages() const;
    // The frame's pixels, rows without padding.
    static std::vector<std::uint32_t> packedPixels(TVWSImageRef image);
    // The same frames: images (the same ones, or pixel for pixel), hot spots and delays.
    bool sameAs(const CursorFrames& other) const;
    // True when the server shows one of the frames, pixel for pixel, at its hot spot.
    bool shows(const XFixesCursorImage& displayed) const;
};

} // namespace tolvane
