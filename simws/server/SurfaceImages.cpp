#include "server/SurfaceImages.h"

#include <cstring>

namespace tolvane {

namespace {

void destroySurface(void* surface) {
    cairo_surface_destroy(static_cast<cairo_surface_t*>(surface));
}

} // namespace

ObjectHandle SurfaceImages::wrap(CairoSurfacePtr surface) {
    if (!surface || cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return {};
    }
    cairo_surface_flush(surface.get());
    cairo_surface_t* raw = surface.get();
    TVWSImageRef image =
        TVWSImageCreateWithData(static_cast<size_t>(cairo_image_surface_get_width(raw)),
                                static_cast<size_t>(cairo_image_surface_get_height(raw)),
                                static_cast<size_t>(cairo_image_surface_get_stride(raw)),
                                cairo_image_surface_get_data(raw), destroySurface, raw);
    if (image != nullptr) {
        // The image owns the surface now and destroys it with its last reference.
        static_cast<void>(surface.release());
    }
    return ObjectHandle::adopt(image);
}

CairoSurfacePtr SurfaceImages::copy(TVWSImageRef image) {
    if (!TVWSObjectIsImage(image)) {
        return nullptr;
    }
    const size_t width = TVWSImageGetWidth(image);
    const size_t height = TVWSImageGetHeight(image);
    const size_t sourceStride = TVWSImageGetBytesPerRow(image);
    CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width),
                                                       static_cast<int>(height)));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return nullptr;
    }
    cairo_surface_flush(surface.get());
    unsigned char* target = cairo_image_surface_get_data(surface.get());
    const size_t targetStride = static_cast<size_t>(cairo_image_surface_get_stride(surface.get()));
    const unsigned char* source = TVWSImageGetBytes(image);
    for (size_t row = 0; row < height; ++row) {
        std::memcpy(target + row * targetStride, source + row * sourceStride, width * 4);
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

} // namespace tolvane
