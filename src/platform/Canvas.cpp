#include "platform/Canvas.h"

namespace tolvane {

std::optional<Canvas> Canvas::make(int pixelWidth, int pixelHeight, double pointWidth,
                                   double pointHeight) {
    if (pixelWidth <= 0 || pixelHeight <= 0 || !(pointWidth > 0) || !(pointHeight > 0)) {
        return std::nullopt;
    }
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelWidth, pixelHeight);
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
