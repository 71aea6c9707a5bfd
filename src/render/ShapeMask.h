#pragma once

#include "platform/Geometry.h"
#include "platform/Image.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tolvane {

// Where a cursor image is solid (alpha of at least one half), on a grid of
// half-point cells over the canvas it is drawn on. The grid does not depend on
// the image's pixel density, so its questions cost the same at 1x and 10x.
// Rectangles are in canvas points, origin bottom-left, y up.
class ShapeMask {
public:
    static constexpr double cellSize = 0.5;

    ShapeMask(const Image& image, const Rect& imageRect, const Rect& canvas);

    // True when a disc of `radius` around `centre` shares area with a solid cell.
    bool touches(Point centre, double radius) const;

    // The origin nearest to `disc`'s own, on the half-point grid through it and
    // inside `allowedOrigins`, whose disc of `radius` around its centre touches
    // nothing solid. Nothing when there is no such place.
    std::optional<Point> nearestClearOrigin(const Rect& disc, double radius, const Rect& allowedOrigins) const;

private:
    bool isSolid(int column, int row) const { return solid_[index(column, row)] != 0; }
    std::size_t index(int column, int row) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column);
    }
    // Solid cells in columns [c0, c1) and rows [r0, r1), from the summed-area table.
    int solidCount(int c0, int r0, int c1, int r1) const;

    int columns_ = 0;
    int rows_ = 0;
    std::vector<std::uint8_t> solid_;
    std::vector<int> sums_; // (columns_ + 1) x (rows_ + 1)
};

} // namespace tolvane
