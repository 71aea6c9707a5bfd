#include "render/MarkerGeometry.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace tolvane {

namespace {

double minX(const Rect& rect) {
    return rect.origin.x;
}
double maxX(const Rect& rect) {
    return rect.origin.x + rect.size.width;
}
double midX(const Rect& rect) {
    return rect.origin.x + rect.size.width / 2;
}
double minY(const Rect& rect) {
    return rect.origin.y;
}
double maxY(const Rect& rect) {
    return rect.origin.y + rect.size.height;
}

bool isEmpty(const Rect& rect) {
    return !(rect.size.width > 0 && rect.size.height > 0);
}

Rect insetBy(const Rect& rect, double inset) {
    return {{rect.origin.x + inset, rect.origin.y + inset},
            {rect.size.width - 2 * inset, rect.size.height - 2 * inset}};
}

// Empty when the two share no area.
Rect intersection(const Rect& first, const Rect& second) {
    const double left = std::max(minX(first), minX(second));
    const double right = std::min(maxX(first), maxX(second));
    const double lower = std::max(minY(first), minY(second));
    const double upper = std::min(maxY(first), maxY(second));
    if (!(right > left && upper > lower)) {
        return {};
    }
    return {{left, lower}, {right - left, upper - lower}};
}

// Rectangles that only touch do not overlap.
bool overlaps(const Rect& first, const Rect& second) {
    return !isEmpty(intersection(first, second));
}

} // namespace

CanvasMargins MarkerGeometry::canvasMargins(CursorSize size, CursorPoint hotSpot, double diameter,
                                            std::optional<CursorTemplate> cursorTemplate,
                                            DecorationFlags flags) {
    const double d = diameter;
    double side = 0;
    double bottom = d / 2 + 2;
    if (cursorTemplate == CursorTemplate::iBeam || cursorTemplate == CursorTemplate::pointingHand) {
        side = d + 8;
        bottom = d + 12;
    }
    if (flags.isHorizontalResize) {
        side = std::max(side, d + 10);
        bottom = std::max(bottom, d + 2);
    }
    if (flags.isVerticalResize) {
        side = std::max(side, d + 2);
        bottom = std::max(bottom, d + 12);
    }
    if (flags.isDiagonalResize) {
        side = std::max(side, d + 8);
        bottom = std::max(bottom, d + 8);
    }
    side = std::max({side, d + 6 - size.width, 0.0});
    bottom = std::max({bottom, d + 6 - size.height, 0.0});

    CanvasMargins margins;
    margins.side = side;
    margins.bottom = bottom;
    margins.padLeft = flags.isLeftHanded ? side : 0;
    margins.size = {size.width + side, size.height + bottom};
    margins.hotSpot = {hotSpot.x + margins.padLeft, hotSpot.y};
    return margins;
}

std::optional<Rect> MarkerGeometry::contentBounds(const Image& image, const Rect& imageRect) {
    const int width = image.width();
    const int height = image.height();
    int minColumn = width;
    int maxColumn = -1;
    int minRow = height;
    int maxRow = -1;
    const unsigned char* pixels = image.bytes();
    const std::ptrdiff_t stride = image.bytesPerRow();
    for (int row = 0; row < height; ++row) {
        const unsigned char* line = pixels + row * stride;
        for (int column = 0; column < width; ++column) {
            std::uint32_t pixel = 0;
            std::memcpy(&pixel, line + 4 * column, sizeof pixel);
            if ((pixel >> 24) != 0) {
                minColumn = std::min(minColumn, column);
                maxColumn = std::max(maxColumn, column);
                minRow = std::min(minRow, row);
                maxRow = row;
            }
        }
    }
    if (maxColumn < 0) {
        return std::nullopt;
    }
    // Pixel rows run from the top down; canvas points run from the bottom up.
    const double kx = imageRect.size.width / width;
    const double ky = imageRect.size.height / height;
    const double left = minX(imageRect) + kx * minColumn;
    const double right = minX(imageRect) + kx * (maxColumn + 1);
    const double top = maxY(imageRect) - ky * minRow;
    const double lower = maxY(imageRect) - ky * (maxRow + 1);
    const Rect bounds{{left, lower}, {std::max(right - left, 1.0), std::max(top - lower, 1.0)}};
    // Drawn into a rectangle of no width or height, the shape covers nothing.
    const Rect clipped = intersection(bounds, imageRect);
    if (isEmpty(clipped)) {
        return std::nullopt;
    }
    return clipped;
}

std::optional<Rect> MarkerGeometry::discRect(const Rect& canvas, double markerDiameter,
                                             const std::optional<Rect>& preferredBounds,
                                             DecorationFlags flags) {
    const Rect inner = insetBy(canvas, 0.5);
    if (inner.size.width <= 4 || inner.size.height <= 4) {
        return std::nullopt;
    }
    const double dm = markerDiameter;
    const double d = std::min(std::max(std::min(inner.size.width, inner.size.height), 10.0), dm);

    Rect anchor = canvas;
    if (preferredBounds) {
        const Rect& shape = *preferredBounds;
        anchor = (shape.size.width < 10 || shape.size.height < 10)
                     ? intersection(insetBy(shape, -2), canvas)
                     : shape;
        if (isEmpty(anchor)) {
            anchor = canvas;
        }
    }

    const bool anyResize =
        flags.isHorizontalResize || flags.isVerticalResize || flags.isDiagonalResize;
    const double a = std::max(0.09 * d, 1.5);
    const double hx = flags.isHorizontalResize ? 5 : 0;
    const double vy = flags.isVerticalResize ? 0.5 * dm : 0;
    const double dg = flags.isDiagonalResize ? 0.075 * dm : 0;
    const double plain = anyResize ? 0 : 5;

    const bool beside =
        anchor.size.width >= 0.75 * anchor.size.height && anchor.size.width >= 0.95 * d;
    const double gap = beside ? 0 : 10;
    const double y = minY(anchor) - (dg + vy + gap + 0.5 * d + 2);
    double x = 0;
    if (beside) {
        x = flags.isLeftHanded ? minX(anchor) - a - hx - dg - plain - d
                               : maxX(anchor) + a + hx + dg + plain;
    } else {
        x = flags.isLeftHanded ? midX(anchor) + 0.35 * d - d - 3 : midX(anchor) - 0.35 * d + 3;
    }

    const auto clampX = [&](double value) {
        return std::max(std::min(value, maxX(inner) - d), minX(inner));
    };
    const auto clampY = [&](double value) {
        return std::max(std::min(value, maxY(inner) - d), minY(inner));
    };
    Rect disc{{clampX(x), clampY(y)}, {d, d}};

    if (preferredBounds) {
        const double sideways = flags.isLeftHanded ? -0.14 * d : 0.14 * d;
        for (int attempt = 0; attempt < 8 && overlaps(disc, *preferredBounds); ++attempt) {
            const Rect moved{{clampX(disc.origin.x + sideways), disc.origin.y}, {d, d}};
            if (!overlaps(moved, *preferredBounds)) {
                disc = moved;
                break;
            }
            disc.origin.y = clampY(disc.origin.y - 0.18 * d);
        }
    }
    return disc;
}

double MarkerGeometry::badgeFontSize(double discDiameter,
                                     const std::function<CursorSize(double)>& measure) {
    double size = std::max(0.54 * discDiameter, 7.0);
    CursorSize measured = measure(size);
    while (size > 5.5 &&
           (measured.width > 0.78 * discDiameter || measured.height > 0.72 * discDiameter)) {
        size -= 0.5;
        measured = measure(size);
    }
    return size;
}

} // namespace tolvane
