#include "server/DisplayedImage.h"

#include "server/SurfaceImages.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tolvane {

namespace {

struct CairoDeleter {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};

double usableScale(const CursorRecord& record, float scale) {
    double usable = std::isfinite(scale) && scale > 0 ? static_cast<double>(scale) : 1.0;
    const double side = std::max(record.size.width, record.size.height);
    return std::min(usable, DisplayedImage::maxPixelSide / side);
}

TVWSImageRef chooseRepresentation(const CursorRecord& record, size_t targetWidth) {
    TVWSImageRef best = nullptr;
    TVWSImageRef widest = nullptr;
    for (size_t index = 0; index < record.representationCount(); ++index) {
        TVWSImageRef candidate = record.representation(index);
        const size_t width = TVWSImageGetWidth(candidate);
        if (widest == nullptr || width > TVWSImageGetWidth(widest)) {
            widest = candidate;
        }
        if (width >= targetWidth && (best == nullptr || width < TVWSImageGetWidth(best))) {
            best = candidate;
        }
    }
    return best != nullptr ? best : widest;
}

ObjectHandle resample(TVWSImageRef source, int width, int height) {
    CairoSurfacePtr sourceSurface = SurfaceImages::copy(source);
    CairoSurfacePtr target(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (!sourceSurface || cairo_surface_status(target.get()) != CAIRO_STATUS_SUCCESS) {
        return {};
    }
    std::unique_ptr<cairo_t, CairoDeleter> cr(cairo_create(target.get()));
    cairo_scale(cr.get(),
                static_cast<double>(width) / static_cast<double>(TVWSImageGetWidth(source)),
                static_cast<double>(height) / static_cast<double>(TVWSImageGetHeight(source)));
    cairo_set_source_surface(cr.get(), sourceSurface.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cr.get()), CAIRO_EXTEND_PAD);
    cairo_paint(cr.get());
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
        return {};
    }
    cr.reset();
    return SurfaceImages::wrap(std::move(target));
}

} // namespace

DisplayedImage DisplayedImage::render(const CursorRecord& record, float scale) {
    const double usable = usableScale(record, scale);
    const int width = std::max(1, static_cast<int>(std::lround(record.size.width * usable)));
    const int height = std::max(1, static_cast<int>(std::lround(record.size.height * usable)));
    TVWSImageRef source = chooseRepresentation(record, static_cast<size_t>(width));
    DisplayedImage displayed;
    displayed.hotSpot = {record.hotSpot.x * width / record.size.width,
                         record.hotSpot.y * height / record.size.height};
    const bool fits = TVWSImageGetWidth(source) == static_cast<size_t>(width) &&
                      TVWSImageGetHeight(source) == static_cast<size_t>(height) &&
                      TVWSImageGetBytesPerRow(source) == static_cast<size_t>(width) * 4;
    displayed.image = fits ? ObjectHandle::retain(source) : resample(source, width, height);
    return displayed;
}

bool DisplayedImage::looksLike(const DisplayedImage& other) const {
    if (hotSpot.x != other.hotSpot.x || hotSpot.y != other.hotSpot.y) {
        return false;
    }
    TVWSImageRef mine = image.get();
    TVWSImageRef theirs = other.image.get();
    if (mine == theirs) {
        return true;
    }
    const size_t width = TVWSImageGetWidth(mine);
    const size_t height = TVWSImageGetHeight(mine);
    if (width != TVWSImageGetWidth(theirs) || height != TVWSImageGetHeight(theirs)) {
        return false;
    }
    for (size_t row = 0; row < height; ++row) {
        if (std::memcmp(TVWSImageGetBytes(mine) + row * TVWSImageGetBytesPerRow(mine),
                        TVWSImageGetBytes(theirs) + row * TVWSImageGetBytesPerRow(theirs),
                        width * 4) != 0) {
            return false;
        }
    }
    return true;
}

} // namespace tolvane
