#include "platform/Image.h"

#include <cstring>

namespace tolvane {

std::optional<Image> Image::adopt(cairo_surface_t* surface) {
    if (surface == nullptr) {
        return std::nullopt;
    }
    std::shared_ptr<cairo_surface_t> owned(surface, cairo_surface_destroy);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32 ||
        cairo_image_surface_get_width(surface) <= 0 || cairo_image_surface_get_height(surface) <= 0) {
        return std::nullopt;
    }
    cairo_surface_flush(surface);
    return Image(std::move(owned));
}

std::optional<Image> Image::fromPixels(int width, int height, int bytesPerRow,
                                       const unsigned char* pixels) {
    if (pixels == nullptr || width <= 0 || height <= 0 || bytesPerRow < width * 4) {
        return std::nullopt;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return std::nullopt;
    }
    cairo_surface_flush(surface);
    unsigned char* target = cairo_image_surface_get_data(surface);
    int targetStride = cairo_image_surface_get_stride(surface);
    for (int row = 0; row < height; ++row) {
        std::memcpy(target + row * targetStride, pixels + row * bytesPerRow,
                    static_cast<std::size_t>(width) * 4);
    }
    cairo_surface_mark_dirty(surface);
    return adopt(surface);
}

int Image::width() const { return cairo_image_surface_get_width(surface_.get()); }
int Image::height() const { return cairo_image_surface_get_height(surface_.get()); }
int Image::bytesPerRow() const { return cairo_image_surface_get_stride(surface_.get()); }

const unsigned char* Image::bytes() const { return cairo_image_surface_get_data(surface_.get()); }

std::size_t Image::byteCount() const {
    return static_cast<std::size_t>(bytesPerRow()) * static_cast<std::size_t>(height());
}

std::uint32_t Image::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width() || y >= height()) {
        return 0;
    }
    std::uint32_t word = 0;
    std::memcpy(&word, bytes() + y * bytesPerRow() + x * 4, sizeof word);
    return word;
}

} // namespace tolvane
