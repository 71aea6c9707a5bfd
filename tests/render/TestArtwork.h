#pragma once

#include "cursors/CursorSnapshot.h"
#include "platform/Canvas.h"

#include <cairo.h>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace tolvane::testing {

// A snapshot of one still cursor of `size` points, drawn by `draw` (in points,
// top-left origin) once for each pixel density.
inline CursorSnapshot drawnSnapshot(CursorSize size, CursorPoint hotSpot,
                                    const std::vector<int>& densities,
                                    const std::function<void(cairo_t*)>& draw) {
    CursorSnapshot snapshot{size, hotSpot, 1, 0, {}};
    for (int density : densities) {
        auto canvas =
            Canvas::make(static_cast<int>(size.width) * density,
                         static_cast<int>(size.height) * density, size.width, size.height);
        draw(canvas->context());
        snapshot.images.push_back(*std::move(*canvas).finish());
    }
    return snapshot;
}

// A solid opaque block at (x, y, width, height) points on a transparent cursor.
inline CursorSnapshot blockSnapshot(CursorSize size, double x, double y, double width,
                                    double height, const std::vector<int>& densities) {
    return drawnSnapshot(size, {0, 0}, densities, [=](cairo_t* context) {
        cairo_set_source_rgba(context, 0.1, 0.2, 0.3, 1);
        cairo_rectangle(context, x, y, width, height);
        cairo_fill(context);
    });
}

// Both images have the same size and every pixel the same value.
inline void expectSamePixels(const Image& actual, const Image& expected) {
    ASSERT_EQ(actual.width(), expected.width());
    ASSERT_EQ(actual.height(), expected.height());
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            ASSERT_EQ(actual.pixel(x, y), expected.pixel(x, y)) << "pixel " << x << "," << y;
        }
    }
}

} // namespace tolvane::testing
