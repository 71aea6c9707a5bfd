#include "render/MarkerStampCache.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tolvane {
namespace {

// Pixels of margin around the marker's reach: room for antialiasing and for
// ink a little past the disc, and the ring that proves nothing was cut off.
constexpr int margin = 3;

std::uint32_t* row(cairo_surface_t* surface, int y) {
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface) +
                                            static_cast<std::ptrdiff_t>(y) *
                                                cairo_image_surface_get_stride(surface));
}

bool edgesAreClear(cairo_surface_t* surface) {
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* pixels = row(surface, y);
        if (y == 0 || y == height - 1) {
            if (std::any_of(pixels, pixels + width,
                            [](std::uint32_t pixel) { return pixel != 0; })) {
                return false;
            }
        } else if (pixels[0] != 0 || pixels[width - 1] != 0) {
            return false;
        }
    }
    return true;
}

} // namespace

bool MarkerStampCache::stamp(cairo_t* context, const CursorMarker& marker, Point centre,
                             double reach, const PixelBounds& occupied, const Painter& paint) {
    cairo_matrix_t matrix;
    cairo_get_matrix(context, &matrix);
    const Stamp& found = find(keyOf(marker, matrix, centre, reach), matrix, centre, reach, paint);
    return found.surface && copyOnto(found, cairo_get_target(context), occupied);
}

MarkerStampCache::Key MarkerStampCache::keyOf(const CursorMarker& marker,
                                              const cairo_matrix_t& matrix, Point centre,
                                              double reach) {
    const auto colour = [](const Color& color) {
        return std::array{color.red, color.green, color.blue, color.alpha};
    };
    const auto fill = colour(marker.fillColor);
    const auto text = colour(marker.textColor);
    const auto border = colour(marker.borderColor);
    return Key{
        marker.text,
        marker.capsLockMark,
        {fill[0],   fill[1],   fill[2],   fill[3],   text[0],   text[1],         text[2],
         text[3],   border[0], border[1], border[2], border[3], marker.diameter, marker.borderWidth,
         matrix.xx, matrix.yx, matrix.xy, matrix.yy, matrix.x0, matrix.y0,       centre.x,
         centre.y,  reach}};
}

const MarkerStampCache::Stamp& MarkerStampCache::find(const Key& key, const cairo_matrix_t& matrix,
                                                      Point centre, double reach,
                                                      const Painter& paint) {
    if (auto found = entries_.find(key); found != entries_.end()) {
        uses_.splice(uses_.begin(), uses_, found->second.use);
        return found->second.stamp;
    }
    Stamp drawn = draw(matrix, centre, reach, paint);
    while (!entries_.empty() && heldBytes_ + drawn.bytes > capacityBytes_) {
        auto oldest = entries_.find(uses_.back());
        heldBytes_ -= oldest->second.stamp.bytes;
        entries_.erase(oldest);
        uses_.pop_back();
    }
    heldBytes_ += drawn.bytes;
    uses_.push_front(key);
    return entries_.emplace(key, Entry{std::move(drawn), uses_.begin()}).first->second.stamp;
}

MarkerStampCache::Stamp MarkerStampCache::draw(const cairo_matrix_t& matrix, Point centre,
                                               double reach, const Painter& paint) {
    // The pixel bounds of the square around the marker on the canvas.
    constexpr double infinity = std::numeric_limits<double>::infinity();
    double left = infinity, top = infinity, right = -infinity, bottom = -infinity;
    for (double dx : {-reach, reach}) {
        for (double dy : {-reach, reach}) {
            double x = centre.x + dx;
            double y = centre.y + dy;
            cairo_matrix_transform_point(&matrix, &x, &y);
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    Stamp stamp;
    if (!std::isfinite(left) || !std::isfinite(top) || !std::isfinite(right) ||
        !std::isfinite(bottom) || right - left > 8192 || bottom - top > 8192) {
        return stamp;
    }
    stamp.left = static_cast<int>(std::floor(left)) - margin;
    stamp.top = static_cast<int>(std::floor(top)) - margin;
    const int width = static_cast<int>(std::ceil(right)) + margin - stamp.left;
    const int height = static_cast<int>(std::ceil(bottom)) + margin - stamp.top;
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return stamp;
    }
    // Drawn with the canvas's transformation at the canvas's coordinates:
    // only the final whole-pixel shift differs, and that is exact.
    cairo_surface_set_device_offset(surface.get(), -stamp.left, -stamp.top);
    cairo_t* context = cairo_create(surface.get());
    cairo_set_matrix(context, &matrix);
    paint(context);
    const bool drawn = cairo_status(context) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(context);
    cairo_surface_flush(surface.get());
    if (drawn && edgesAreClear(surface.get())) {
        stamp.bytes = static_cast<std::size_t>(cairo_image_surface_get_stride(surface.get())) *
                      static_cast<std::size_t>(height);
        stamp.surface = std::move(surface);
    }
    return stamp;
}

bool MarkerStampCache::copyOnto(const Stamp& stamp, cairo_surface_t* canvas,
                                const PixelBounds& occupied) {
    cairo_surface_flush(canvas);
    if (cairo_image_surface_get_format(canvas) != CAIRO_FORMAT_ARGB32 ||
        cairo_image_surface_get_data(canvas) == nullptr) {
        return false;
    }
    cairo_surface_t* source = stamp.surface.get();
    const PixelBounds area{std::max(stamp.left, 0), std::max(stamp.top, 0),
                           std::min(stamp.left + cairo_image_surface_get_width(source),
                                    cairo_image_surface_get_width(canvas)),
                           std::min(stamp.top + cairo_image_surface_get_height(source),
                                    cairo_image_surface_get_height(canvas))};
    const auto pixels = [&](int x, int y) {
        return std::make_pair(row(source, y - stamp.top) + (x - stamp.left), row(canvas, y) + x);
    };
    // Only where the canvas may hold something can the two meet.
    const PixelBounds shared{std::max(area.left, occupied.left), std::max(area.top, occupied.top),
                             std::min(area.right, occupied.right),
                             std::min(area.bottom, occupied.bottom)};
    if (shared.left < shared.right) {
        const auto count = static_cast<std::size_t>(shared.right - shared.left);
        for (int y = shared.top; y < shared.bottom; ++y) {
            const auto [from, to] = pixels(shared.left, y);
            std::uint32_t overlap = 0;
            for (std::size_t x = 0; x < count; ++x) {
                overlap |= (from[x] != 0 && to[x] != 0) ? 1u : 0u;
            }
            if (overlap != 0) {
                return false;
            }
        }
    }
    if (area.left < area.right) {
        const auto count = static_cast<std::size_t>(area.right - area.left);
        for (int y = area.top; y < area.bottom; ++y) {
            const auto [from, to] = pixels(area.left, y);
            for (std::size_t x = 0; x < count; ++x) {
                to[x] |= from[x];
            }
        }
    }
    cairo_surface_mark_dirty(canvas);
    return true;
}

} // namespace tolvane
