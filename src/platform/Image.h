#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <optional>

namespace tolvane {

// An immutable bitmap shared by reference: copying an Image copies a reference,
// never the pixels. Pixels are premultiplied ARGB, 32 bits per pixel in native
// byte order (cairo's CAIRO_FORMAT_ARGB32), rows bytesPerRow() apart.
class Image {
public:
    // Takes over one reference to an ARGB32 image surface. Returns nothing for a
    // null, failed, empty or non-image surface.
    static std::optional<Image> adopt(cairo_surface_t* surface);
    // Copies width * height pixels laid out as above.
    static std::optional<Image> fromPixels(int width, int height, int bytesPerRow,
                                           const unsigned char* pixels);

    int width() const;
    int height() const;
    int bytesPerRow() const;
    const unsigned char* bytes() const;
    std::size_t byteCount() const;
    // The premultiplied ARGB word of one pixel; 0 outside the image.
    std::uint32_t pixel(int x, int y) const;
    std::uint8_t alphaAt(int x, int y) const { return static_cast<std::uint8_t>(pixel(x, y) >> 24); }

    // For drawing the image onto another surface; never draw into it.
    cairo_surface_t* surface() const { return surface_.get(); }

    bool sharesPixelsWith(const Image& other) const { return surface_ == other.surface_; }

private:
    explicit Image(std::shared_ptr<cairo_surface_t> surface) : surface_(std::move(surface)) {}
    std::shared_ptr<cairo_surface_t> surface_;
};

} // namespace tolvane
