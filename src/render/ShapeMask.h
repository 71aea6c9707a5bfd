#pragma once

#include "platform/Geometry.h"
#include "platform/Image.h"

#include <array>
#include <cstdint>
#include <map>
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

    // How many solid cells share area with a disc of `radius` around `centre`.
    int coveredCells(Point centre, double radius) const;
    bool touches(Point centre, double radius) const { return coveredCells(centre, radius) > 0; }

    struct Placement {
        Point origin;
        int coveredCells = 0;
    };
    // Of the origins on the half-point grid through `disc`'s own and inside
    // `allowedOrigins`, the one whose disc of `radius` around its centre
    // covers the fewest solid cells, the nearest to `disc` among equals.
    // The answers are kept: every decoration of the image asks again. Not
    // safe to call from two threads at once.
    Placement leastCoveredOrigin(const Rect& disc, double radius, const Rect& allowedOrigins) const;

  private:
    std::size_t index(int column, int row) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
               static_cast<std::size_t>(column);
    }
    // Solid cells in columns [c0, c1) and rows [r0, r1), from the summed-area table.
    int solidCount(int c0, int r0, int c1, int r1) const;
    Placement searchLeastCoveredOrigin(const Rect& disc, double radius,
                                       const Rect& allowedOrigins) const;

    int columns_ = 0;
    int rows_ = 0;
    std::vector<std::uint8_t> solid_;
    std::vector<int> sums_; // (columns_ + 1) x (rows_ + 1)
    // A question of leastCoveredOrigin: disc, radius and allowed origins.
    using Search = std::array<double, 9>;
    mutable std::map<Search, Placement> placements_;
};

} // namespace tolvane
