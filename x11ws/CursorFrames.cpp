#include "CursorFrames.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tolvane {

namespace {

int pixelHotSpot(double points, double pixelsPerPoint, std::size_t side) {
    const double pixels = std::round(points * pixelsPerPoint);
    const double last = static_cast<double>(side) - 1;
    return static_cast<int>(std::clamp(std::isfinite(pixels) ? pixels : 0.0, 0.0, last));
}

} // namespace

std::shared_ptr<const CursorFrames> CursorFrames::fromXcursor(const XcursorImages& images) {
    auto cursor = std::make_shared<CursorFrames>();
    for (int index = 0; index < images.nimage; ++index) {
        const XcursorImage* image = images.images[index];
        const auto width = static_cast<std::size_t>(image->width);
        WindowServerObject copy(
            TVWSImageCreate(width, image->height, width * sizeof(XcursorPixel), image->pixels));
        if (!copy) {
            return nullptr;
        }
        cursor->frames.push_back({std::move(copy), static_cast<int>(image->xhot),
                                  static_cast<int>(image->yhot), image->delay});
    }
    return cursor->frames.empty() ? nullptr : cursor;
}

std::shared_ptr<const CursorFrames>
CursorFrames::fromRegistration(TVWSArrayRef images, std::size_t frameCount, double width,
                               double hotSpotX, double hotSpotY, double frameDuration) {
    auto cursor = std::make_shared<CursorFrames>();
    const std::size_t count = std::min(std::max<std::size_t>(frameCount, 1),
                                       TVWSArrayGetCount(images));
    const double delay = std::isfinite(frameDuration) ? std::clamp(frameDuration, 0.0, 60.0) : 0;
    for (std::size_t index = 0; index < count; ++index) {
        TVWSObjectRef image = TVWSArrayGetValueAtIndex(images, index);
        if (!TVWSObjectIsImage(image)) {
            return nullptr;
        }
        const std::size_t pixelWidth = TVWSImageGetWidth(image);
        const double pixelsPerPoint = width > 0 ? static_cast<double>(pixelWidth) / width : 1.0;
        cursor->frames.push_back({WindowServerObject(TVWSRetain(image)),
                                  pixelHotSpot(hotSpotX, pixelsPerPoint, pixelWidth),
                                  pixelHotSpot(hotSpotY, pixelsPerPoint, TVWSImageGetHeight(image)),
                                  static_cast<unsigned>(std::lround(delay * 1000))});
    }
    return cursor->frames.empty() ? nullptr : cursor;
}

bool CursorFrames::sameAs(const CursorFrames& other) const {
    return std::equal(frames.begin(), frames.end(), other.frames.begin(), other.frames.end(),
                      [](const Frame& one, const Frame& another) {
                          return one.hotSpotX == another.hotSpotX &&
                                 one.hotSpotY == another.hotSpotY &&
                                 one.delayMilliseconds == another.delayMilliseconds &&
                                 (one.image.get() == another.image.get() ||
                                  (TVWSImageGetWidth(one.image.get()) ==
                                       TVWSImageGetWidth(another.image.get()) &&
                                   packedPixels(one.image.get()) ==
                                       packedPixels(another.image.get())));
                      });
}

WindowServerObject CursorFrames::copyImages() const {
    std::vector<TVWSObjectRef> images;
    for (const Frame& frame : frames) {
        images.push_back(frame.image.get());
    }
    return WindowServerObject(TVWSArrayCreate(images.data(), images.size()));
}

std::vector<std::uint32_t> CursorFrames::packedPixels(TVWSImageRef image) {
    const std::size_t width = TVWSImageGetWidth(image);
    const std::size_t height = TVWSImageGetHeight(image);
    const std::size_t stride = TVWSImageGetBytesPerRow(image);
    const unsigned char* bytes = TVWSImageGetBytes(image);
    std::vector<std::uint32_t> pixels(width * height);
    for (std::size_t row = 0; row < height && bytes != nullptr; ++row) {
        std::memcpy(pixels.data() + row * width, bytes + row * stride, width * 4);
    }
    return pixels;
}

bool CursorFrames::shows(const XFixesCursorImage& displayed) const {
    const auto width = static_cast<std::size_t>(displayed.width);
    const auto height = static_cast<std::size_t>(displayed.height);
    return std::any_of(frames.begin(), frames.end(), [&](const Frame& frame) {
        if (TVWSImageGetWidth(frame.image.get()) != width ||
            TVWSImageGetHeight(frame.image.get()) != height || frame.hotSpotX != displayed.xhot ||
            frame.hotSpotY != displayed.yhot) {
            return false;
        }
        const std::vector<std::uint32_t> pixels = packedPixels(frame.image.get());
        // The server's pixels arrive one per unsigned long, sign-extended on
        // 64-bit systems: only the low 32 bits are the pixel.
        return std::equal(pixels.begin(), pixels.end(), displayed.pixels,
                          [](std::uint32_t own, unsigned long shown) {
                              return own == static_cast<std::uint32_t>(shown);
                          });
    });
}

} // namespace tolvane
