#include "platform/Canvas.h"

#include <cstdlib>

namespace tolvane {

namespace {

bool validSize(int pixelWidth, int pixelHeight, double pointWidth, double pointHeight) {
    return pixelWidth > 0 && pixelHeight > 0 && pointWidth > 0 && pointHeight > 0;
}

const cairo_user_data_key_t unclearedPixelsKey{};

} // namespace

std::optional<Canvas> Canvas::make(int pixelWidth, int pixelHeight, double pointWidth,
                                   double pointHeight) {
    if (!validSize(pixelWidth, pixelHeight, pointWidth, pointHeight)) {
        return std::nullopt;
    }
    return onSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelWidth, pixelHeight),
                     pixelWidth, pixelHeight, pointWidth, pointHeight);
}

std::optional<Canvas> Canvas::makeUncleared(int pixelWidth, int pixelHeight, double pointWidth,
                                            double pointHeight) {
    if (!validSize(pixelWidth, pixelHeight, pointWidth, pointHeight)) {
        return std::nullopt;
    }
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, pixelWidth);
    if (stride <= 0) {
        return std::nullopt;
    }
    void* pixels =
        std::malloc(static_cast<std::size_t>(stride) * static_cast<std::size_t>(pixelHeight));
    if (pixels == nullptr) {
        return std::nullopt;
    }
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        static_cast<unsigned char*>(pixels), CAIRO_FORMAT_ARGB32, pixelWidth, pixelHeight, stride);
    // The surface frees its pixels when it goes; until it holds them, they are ours.
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_set_user_data(surface, &unclearedPixelsKey, pixels, std::free) !=
            CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        std::free(pixels);
        return std::nullopt;
    }
    return onSurface(surface, pixelWidth, pixelHeight, pointWidth, pointHeight);
}

std::optional<Canvas> Canvas::onSurface(cairo_surface_t* surface, int pixelWidth, int pixelHeight,
                                        double pointWidth, double pointHeight) {
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return std::nullopt;
    }
    cairo_t* context = cairo_create(surface);
    if (cairo_status(context) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(context);
        cairo_surface_destroy(surface);
        return std::nullopt;
    }
    cairo_scale(context, pixelWidth / pointWidth, pixelHeight / pointHeight);
    return Canvas(surface, context, pointWidth, pointHeight);
}

std::optional<Image> Canvas::finish() && {
    const bool drawn = cairo_status(context_.get()) == CAIRO_STATUS_SUCCESS;
    context_.reset();
    if (!drawn) {
        return std::nullopt;
    }
    return Image::adopt(surface_.release());
}

} // namespace tolvane
