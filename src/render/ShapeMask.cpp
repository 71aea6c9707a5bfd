#include "render/ShapeMask.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tolvane {
namespace {

constexpr std::uint32_t solidAlpha = 128;
// Keeps an edge that only touches a cell from counting as overlap.
constexpr double edgeTolerance = 1e-6;

} // namespace

ShapeMask::ShapeMask(const Image& image, const Rect& imageRect, const Rect& canvas)
    : columns_(std::max(1, static_cast<int>(std::ceil(canvas.size.width / cellSize)))),
      rows_(std::max(1, static_cast<int>(std::ceil(canvas.size.height / cellSize)))),
      solid_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), 0),
      sums_(static_cast<std::size_t>(columns_ + 1) * static_cast<std::size_t>(rows_ + 1), 0) {
    const double kx = imageRect.size.width / image.width();
    const double ky = imageRect.size.height / image.height();
    const auto firstCell = [](double from, int limit) {
        return std::clamp(static_cast<int>(std::floor(from / cellSize + edgeTolerance)), 0, limit);
    };
    const auto endCell = [](double to, int limit) {
        return std::clamp(static_cast<int>(std::ceil(to / cellSize - edgeTolerance)), 0, limit);
    };
    const int width = image.width();
    const int height = image.height();
    const unsigned char* pixels = image.bytes();
    const std::ptrdiff_t bytesPerRow = image.bytesPerRow();
    for (int row = 0; row < height; ++row) {
        const unsigned char* line = pixels + row * bytesPerRow;
        // Pixel rows run from the top down.
        const double top = imageRect.origin.y + imageRect.size.height - ky * row;
        const int r0 = firstCell(top - ky, rows_);
        const int r1 = endCell(top, rows_);
        for (int column = 0; column < width; ++column) {
            std::uint32_t pixel = 0;
            std::memcpy(&pixel, line + 4 * column, sizeof pixel);
            if ((pixel >> 24) < solidAlpha) {
                continue;
            }
            const double left = imageRect.origin.x + kx * column;
            const int c1 = endCell(left + kx, columns_);
            for (int r = r0; r < r1; ++r) {
                for (int c = firstCell(left, columns_); c < c1; ++c) {
                    solid_[index(c, r)] = 1;
                }
            }
        }
    }
    const auto stride = static_cast<std::size_t>(columns_ + 1);
    for (int r = 0; r < rows_; ++r) {
        for (int c = 0; c < columns_; ++c) {
            const auto at = [&](int cc, int rr) -> int& {
                return sums_[static_cast<std::size_t>(rr) * stride + static_cast<std::size_t>(cc)];
            };
            at(c + 1, r + 1) = at(c, r + 1) + at(c + 1, r) - at(c, r) + solid_[index(c, r)];
        }
    }
}

int ShapeMask::solidCount(int c0, int r0, int c1, int r1) const {
    const auto stride = static_cast<std::size_t>(columns_ + 1);
    const auto at = [&](int c, int r) {
        return sums_[static_cast<std::size_t>(r) * stride + static_cast<std::size_t>(c)];
    };
    return at(c1, r1) - at(c0, r1) - at(c1, r0) + at(c0, r0);
}

int ShapeMask::coveredCells(Point centre, double radius) const {
    const int r0 =
        std::clamp(static_cast<int>(std::floor((centre.y - radius) / cellSize)), 0, rows_);
    const int r1 =
        std::clamp(static_cast<int>(std::ceil((centre.y + radius) / cellSize)), 0, rows_);
    int covered = 0;
    for (int r = r0; r < r1; ++r) {
        // The disc's widest extent within this row of cells.
        const double nearestY = std::clamp(centre.y, r * cellSize, (r + 1) * cellSize);
        const double dy = nearestY - centre.y;
        const double squared = radius * radius - dy * dy;
        if (squared <= edgeTolerance) {
            continue;
        }
        const double halfWidth = std::sqrt(squared);
        const int c0 = std::clamp(
            static_cast<int>(std::floor((centre.x - halfWidth) / cellSize + edgeTolerance)), 0,
            columns_);
        const int c1 = std::clamp(
            static_cast<int>(std::ceil((centre.x + halfWidth) / cellSize - edgeTolerance)), 0,
            columns_);
        if (c0 < c1) {
            covered += solidCount(c0, r, c1, r + 1);
        }
    }
    return covered;
}

ShapeMask::Placement ShapeMask::leastCoveredOrigin(const Rect& disc, double radius,
                                                   const Rect& allowedOrigins) const {
    const Search search{disc.origin.x,
                        disc.origin.y,
                        disc.size.width,
                        disc.size.height,
                        radius,
                        allowedOrigins.origin.x,
                        allowedOrigins.origin.y,
                        allowedOrigins.size.width,
                        allowedOrigins.size.height};
    if (auto found = placements_.find(search); found != placements_.end()) {
        return found->second;
    }
    // A handful of marker sizes and sides ask; anything beyond starts afresh.
    if (placements_.size() >= 32) {
        placements_.clear();
    }
    return placements_.emplace(search, searchLeastCoveredOrigin(disc, radius, allowedOrigins))
        .first->second;
}

ShapeMask::Placement ShapeMask::searchLeastCoveredOrigin(const Rect& disc, double radius,
                                                         const Rect& allowedOrigins) const {
    const auto steps = [](double from, double to) {
        return static_cast<int>(std::floor((to - from) / cellSize + edgeTolerance));
    };
    const double minX = allowedOrigins.origin.x;
    const double minY = allowedOrigins.origin.y;
    const double maxX = minX + allowedOrigins.size.width;
    const double maxY = minY + allowedOrigins.size.height;
    const double halfWidth = disc.size.width / 2;
    const double halfHeight = disc.size.height / 2;

    Placement best{disc.origin,
                   coveredCells({disc.origin.x + halfWidth, disc.origin.y + halfHeight}, radius)};
    double bestDistance = 0;
    for (int i = -steps(minX, disc.origin.x); i <= steps(disc.origin.x, maxX); ++i) {
        for (int j = -steps(minY, disc.origin.y); j <= steps(disc.origin.y, maxY); ++j) {
            const Point origin{disc.origin.x + i * cellSize, disc.origin.y + j * cellSize};
            const double distance = (i * i + j * j) * cellSize * cellSize;
            const int covered = coveredCells({origin.x + halfWidth, origin.y + halfHeight}, radius);
            if (covered < best.coveredCells ||
                (covered == best.coveredCells && distance < bestDistance)) {
                best = {origin, covered};
                bestDistance = distance;
            }
        }
    }
    return best;
}

} // namespace tolvane
