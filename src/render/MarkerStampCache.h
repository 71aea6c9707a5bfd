#pragma once

#include "platform/Geometry.h"
#include "render/CursorStyle.h"

#include <array>
#include <cairo.h>
#include <compare>
#include <cstddef>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace tolvane {

// Pixel columns [left, right) and rows [top, bottom) of a canvas.
struct PixelBounds {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Markers drawn once at one spot of a canvas and copied onto every other
// canvas that wants the same marker at the same spot and scale: the disc,
// its outline and its text cost more than all the cursor pixels around
// them. A copy gives exactly the pixels that drawing gives, because the
// stamp is drawn with the canvas's own transformation, and because drawing
// leaves alone every pixel that the stamp leaves transparent and puts the
// stamp's own pixel wherever the canvas is still transparent. So a canvas
// that already has something under the marker gets it drawn instead.
// Holds stamps up to a number of bytes, the least recently used leaving
// first. Main thread only.
class MarkerStampCache {
  public:
    // Draws the marker onto a context whose transformation is the canvas's.
    using Painter = std::function<void(cairo_t*)>;

    explicit MarkerStampCache(std::size_t capacityBytes) : capacityBytes_(capacityBytes) {}

    // Copies the marker that `paint` draws around `centre`, reaching `reach`
    // points from it, onto the canvas behind `context`, which is transparent
    // outside `occupied`. False when the marker has to be drawn instead.
    bool stamp(cairo_t* context, const CursorMarker& marker, Point centre, double reach,
               const PixelBounds& occupied, const Painter& paint);

  private:
    struct SurfaceDeleter {
        void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
    };
    using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
    // Where the stamp's pixels go on the canvas; no surface when the marker
    // reached the stamp's edge, which would cut it off.
    struct Stamp {
        Surface surface;
        int left = 0;
        int top = 0;
        std::size_t bytes = 0;
    };
    // Every number that decides the stamp's pixels, compared exactly.
    struct Key {
        std::optional<std::string> text;
        CapsLockMark capsLockMark;
        std::array<double, 23> numbers;
        auto operator<=>(const Key&) const = default;
    };
    struct Entry {
        Stamp stamp;
        std::list<Key>::iterator use;
    };

    static Key keyOf(const CursorMarker& marker, const cairo_matrix_t& matrix, Point centre,
                     double reach);
    static Stamp draw(const cairo_matrix_t& matrix, Point centre, double reach,
                      const Painter& paint);
    static bool copyOnto(const Stamp& stamp, cairo_surface_t* canvas, const PixelBounds& occupied);
    const Stamp& find(const Key& key, const cairo_matrix_t& matrix, Point centre, double reach,
                      const Painter& paint);

    std::size_t capacityBytes_;
    std::size_t heldBytes_ = 0;
    std::map<Key, Entry> entries_;
    std::list<Key> uses_; // most recent first
};

} // namespace tolvane
