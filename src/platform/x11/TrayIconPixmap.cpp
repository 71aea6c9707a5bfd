#include "platform/x11/TrayIconPixmap.h"

#include <algorithm>

namespace tolvane {

std::array<std::uint8_t, 4> TrayIconPixmap::networkBytes(std::uint32_t premultiplied) {
    const std::uint32_t alpha = premultiplied >> 24;
    if (alpha == 0) {
        return {0, 0, 0, 0};
    }
    const auto straight = [&](int shift) {
        const std::uint32_t channel = (premultiplied >> shift) & 0xff;
        return static_cast<std::uint8_t>(
            std::min<std::uint32_t>(255, (channel * 255 + alpha / 2) / alpha));
    };
    return {static_cast<std::uint8_t>(alpha), straight(16), straight(8), straight(0)};
}

TrayIconPixmap TrayIconPixmap::fromImage(const Image& image) {
    TrayIconPixmap pixmap{image.width(), image.height(), {}};
    pixmap.bytes.reserve(static_cast<std::size_t>(image.width() * image.height()) * 4);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const auto pixel = networkBytes(image.pixel(x, y));
            pixmap.bytes.insert(pixmap.bytes.end(), pixel.begin(), pixel.end());
        }
    }
    return pixmap;
}

} // namespace tolvane
