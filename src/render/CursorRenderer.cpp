#include "render/CursorRenderer.h"

#include "log/AppLog.h"
#include "log/LogFormat.h"
#include "platform/Canvas.h"
#include "render/MarkerStampCache.h"
#include "render/ShapeAnalysisCache.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <numbers>
#include <pango/pangocairo.h>
#include <string>

namespace tolvane {
namespace {

// Far beyond any cursor (a 10x image of a 400-point canvas); refusing larger
// canvases keeps a bogus snapshot size from allocating gigabytes.
constexpr double maxCanvasPixels = 4096;

// Bold sans-serif with Latin, Cyrillic and CJK coverage.
constexpr const char* badgeFontFamilies = "DejaVu Sans, Noto Sans CJK SC, Noto Sans CJK TC, Sans";

// With the Caps Lock bar under it, the text fits a disc this much smaller
// and sits this much of the diameter higher.
constexpr double capsTextDiscShare = 0.9;
constexpr double capsTextLift = 0.08;

struct LayoutDeleter {
    void operator()(PangoLayout* layout) const { g_object_unref(layout); }
};
struct FontDescriptionDeleter {
    void operator()(PangoFontDescription* description) const {
        pango_font_description_free(description);
    }
};
struct FontOptionsDeleter {
    void operator()(cairo_font_options_t* options) const { cairo_font_options_destroy(options); }
};

// A pixel count for `points` at `density`: at least 1, nothing when it is not
// a sensible bitmap size.
std::optional<int> pixelCount(double points, double density) {
    const double exact = points * density;
    if (!std::isfinite(exact) || exact > maxCanvasPixels) {
        return std::nullopt;
    }
    return static_cast<int>(std::max(1.0, std::ceil(exact)));
}

void setColor(cairo_t* context, const Color& color) {
    cairo_set_source_rgba(context, color.red, color.green, color.blue, color.alpha);
}

// Draws the image scaled into the rectangle at (x, y), top-left origin, in
// points. With `replace` every pixel of the canvas is written, transparent
// outside the image: the same pixels as drawing over a cleared canvas, in one
// pass over the memory instead of two.
void drawImage(cairo_t* context, const Image& image, double x, double y, double width,
               double height, bool replace = false) {
    cairo_save(context);
    cairo_set_operator(context, replace ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
    // An empty rectangle shows nothing, and scaling by zero would put the
    // context into an error state that loses the whole canvas.
    if (width == 0 || height == 0) {
        if (replace) {
            cairo_set_source_rgba(context, 0, 0, 0, 0);
            cairo_paint(context);
        }
        cairo_restore(context);
        return;
    }
    cairo_translate(context, x, y);
    cairo_scale(context, width / image.width(), height / image.height());
    cairo_set_source_surface(context, image.surface(), 0, 0);
    cairo_paint(context);
    cairo_restore(context);
}

// When the image lands on whole pixels at its own pixel size, which is how
// decoration places a cursor image at its density, the replacing draw comes
// down to its rows copied in and everything else cleared; doing just that
// saves the compositor's pass. The pixels the image covers; nothing when the
// image does not land so and has to be drawn.
std::optional<PixelBounds> copyAtWholePixels(cairo_t* context, const Image& image, double x,
                                             double width, double height) {
    cairo_matrix_t matrix;
    cairo_get_matrix(context, &matrix);
    cairo_surface_t* canvas = cairo_get_target(context);
    const double left = x * matrix.xx;
    if (matrix.xy != 0 || matrix.yx != 0 || matrix.x0 != 0 || matrix.y0 != 0 ||
        left != std::floor(left) || width * matrix.xx != image.width() ||
        height * matrix.yy != image.height() ||
        cairo_image_surface_get_format(canvas) != CAIRO_FORMAT_ARGB32) {
        return std::nullopt;
    }
    const int canvasWidth = cairo_image_surface_get_width(canvas);
    const int canvasHeight = cairo_image_surface_get_height(canvas);
    const PixelBounds covered{static_cast<int>(left), 0, static_cast<int>(left) + image.width(),
                              image.height()};
    cairo_surface_flush(canvas);
    unsigned char* pixels = cairo_image_surface_get_data(canvas);
    if (pixels == nullptr || covered.left < 0 || covered.right > canvasWidth ||
        covered.bottom > canvasHeight) {
        return std::nullopt;
    }
    const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(canvas));
    const auto rowBytes = static_cast<std::size_t>(canvasWidth) * 4;
    const auto before = static_cast<std::size_t>(covered.left) * 4;
    const auto imageBytes = static_cast<std::size_t>(image.width()) * 4;
    for (int y = 0; y < canvasHeight; ++y) {
        unsigned char* row = pixels + static_cast<std::size_t>(y) * stride;
        if (y >= covered.bottom) {
            std::memset(row, 0, rowBytes);
            continue;
        }
        std::memset(row, 0, before);
        std::memcpy(row + before,
                    image.bytes() +
                        static_cast<std::size_t>(y) * static_cast<std::size_t>(image.bytesPerRow()),
                    imageBytes);
        std::memset(row + before + imageBytes, 0, rowBytes - before - imageBytes);
    }
    cairo_surface_mark_dirty(canvas);
    return covered;
}

// Every pixel of the canvas behind the context.
PixelBounds wholeCanvas(cairo_t* context) {
    cairo_surface_t* canvas = cairo_get_target(context);
    return {0, 0, cairo_image_surface_get_width(canvas), cairo_image_surface_get_height(canvas)};
}

// The analyses of the source images decorated lately.
ShapeAnalysisCache& shapeAnalyses() {
    static ShapeAnalysisCache cache(512);
    return cache;
}

// The badge font size for a text on a disc: measuring it takes several
// layouts, and every image of a language asks the same question.
double cachedBadgeFontSize(const std::string& text, double discDiameter,
                           const std::function<CursorSize(double)>& measure) {
    static std::map<std::pair<std::string, double>, double> sizes;
    const auto key = std::make_pair(text, discDiameter);
    if (auto found = sizes.find(key); found != sizes.end()) {
        return found->second;
    }
    const double size = MarkerGeometry::badgeFontSize(discDiameter, measure);
    if (sizes.size() < 4096) {
        sizes.emplace(key, size);
    }
    return size;
}

// Text laid out in the bold badge font, measured in points.
class BadgeText {
  public:
    BadgeText(cairo_t* context, const std::string& text)
        : layout_(pango_cairo_create_layout(context)),
          font_(pango_font_description_from_string(badgeFontFamilies)) {
        // Sizes in user space must not depend on the pixel density.
        std::unique_ptr<cairo_font_options_t, FontOptionsDeleter> options(
            cairo_font_options_create());
        cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(pango_layout_get_context(layout_.get()),
                                             options.get());
        pango_layout_context_changed(layout_.get());
        pango_font_description_set_weight(font_.get(), PANGO_WEIGHT_BOLD);
        pango_layout_set_text(layout_.get(), text.c_str(), -1);
    }

    CursorSize measure(double fontSize) {
        pango_font_description_set_absolute_size(font_.get(), fontSize * PANGO_SCALE);
        pango_layout_set_font_description(layout_.get(), font_.get());
        PangoRectangle logical{};
        pango_layout_get_extents(layout_.get(), nullptr, &logical);
        logical_ = logical;
        return {static_cast<double>(logical.width) / PANGO_SCALE,
                static_cast<double>(logical.height) / PANGO_SCALE};
    }

    // Draws the text as last measured, its measured box centred on the point.
    void drawCentred(cairo_t* context, double centreX, double centreY) {
        const double width = static_cast<double>(logical_.width) / PANGO_SCALE;
        const double height = static_cast<double>(logical_.height) / PANGO_SCALE;
        cairo_move_to(context, centreX - width / 2 - static_cast<double>(logical_.x) / PANGO_SCALE,
                      centreY - height / 2 - static_cast<double>(logical_.y) / PANGO_SCALE);
        pango_cairo_show_layout(context, layout_.get());
    }

  private:
    std::unique_ptr<PangoLayout, LayoutDeleter> layout_;
    std::unique_ptr<PangoFontDescription, FontDescriptionDeleter> font_;
    PangoRectangle logical_{};
};

// The disc with its outline and text, centred on the point.
void paintMarker(cairo_t* context, const CursorMarker& marker, Point centre, double radius) {
    cairo_save(context);
    cairo_set_operator(context, CAIRO_OPERATOR_OVER);
    cairo_new_path(context);
    cairo_arc(context, centre.x, centre.y, radius, 0, 2 * std::numbers::pi);
    setColor(context, marker.fillColor);
    cairo_fill_preserve(context);
    if (marker.borderWidth > 0) {
        cairo_set_line_width(context, marker.borderWidth);
        setColor(context, marker.borderColor);
        cairo_stroke(context);
    }
    cairo_new_path(context);

    const double diameter = 2 * radius;
    if (marker.capsLockMark == CapsLockMark::ring) {
        cairo_arc(context, centre.x, centre.y, 0.25 * diameter, 0, 2 * std::numbers::pi);
        cairo_set_line_width(context, std::max(0.12 * diameter, 1.5));
        setColor(context, Color::white());
        cairo_stroke(context);
    }
    if (marker.text) {
        // The bar takes the lower part of the disc: the text is fitted to a
        // smaller disc and moves up to make room for it.
        const bool bar = marker.capsLockMark == CapsLockMark::bar;
        const double textDisc = bar ? capsTextDiscShare * diameter : diameter;
        const double textCentreY = bar ? centre.y - capsTextLift * diameter : centre.y;
        BadgeText text(context, *marker.text);
        text.measure(cachedBadgeFontSize(*marker.text, textDisc,
                                         [&](double size) { return text.measure(size); }));
        setColor(context, marker.textColor);
        text.drawCentred(context, centre.x, textCentreY);
        if (bar) {
            const double width = 0.5 * diameter;
            const double thickness = std::max(0.1 * diameter, 1.2);
            cairo_rectangle(context, centre.x - width / 2, centre.y + 0.2 * diameter, width,
                            thickness);
            cairo_fill(context);
        }
    }
    cairo_restore(context);
}

// Markers drawn lately, for the canvases that want them at the same spot.
MarkerStampCache& markerStamps() {
    static MarkerStampCache cache(32u * 1024u * 1024u);
    return cache;
}

} // namespace

DecoratedPayload CursorRenderer::decoratePayload(const CursorSnapshot& snapshot,
                                                 const std::optional<CursorMarker>& marker,
                                                 std::optional<CursorTemplate> cursorTemplate,
                                                 bool isHorizontalResize, bool isVerticalResize,
                                                 bool isDiagonalResize, bool isLeftHanded) {
    if (!marker) {
        return {snapshot, snapshot.images};
    }
    const DecorationFlags flags{isHorizontalResize, isVerticalResize, isDiagonalResize,
                                isLeftHanded};
    const double width = snapshot.size.width;
    const double height = snapshot.size.height;
    const CanvasMargins margins = MarkerGeometry::canvasMargins(
        snapshot.size, snapshot.hotSpot, marker->diameter, cursorTemplate, flags);

    DecoratedPayload result{snapshot, {}};
    result.snapshot.size = margins.size;
    result.snapshot.hotSpot = margins.hotSpot;

    const Rect canvasRect{{0, 0}, {margins.size.width, margins.size.height}};
    const Rect imageRect{{margins.padLeft, margins.bottom}, {width, height}};
    for (const Image& image : snapshot.images) {
        const double densityX = std::max(width > 0 ? image.width() / width : 1.0, 1.0);
        const double densityY = std::max(height > 0 ? image.height() / height : 1.0, 1.0);
        const auto pixelWidth = pixelCount(margins.size.width, densityX);
        const auto pixelHeight = pixelCount(margins.size.height, densityY);
        if (!pixelWidth || !pixelHeight) {
            continue;
        }
        auto canvas = Canvas::makeUncleared(*pixelWidth, *pixelHeight, margins.size.width,
                                            margins.size.height);
        if (!canvas) {
            continue;
        }
        // The image sits at the top of the canvas: the bottom margin is below it.
        std::optional<PixelBounds> occupied =
            copyAtWholePixels(canvas->context(), image, margins.padLeft, width, height);
        if (!occupied) {
            drawImage(canvas->context(), image, margins.padLeft, 0, width, height, true);
            occupied = wholeCanvas(canvas->context());
        }
        const ShapeAnalysisCache::Analysis& shape =
            shapeAnalyses().analysis(image, imageRect, canvasRect);
        drawMarker(canvas->context(), *marker, canvasRect, shape.contentBounds, flags, &shape.mask,
                   *occupied);
        if (auto decorated = std::move(*canvas).finish()) {
            result.images.push_back(std::move(*decorated));
        }
    }
    return result;
}

std::optional<Image> CursorRenderer::render(const StandardCursor& cursor,
                                            const std::optional<CursorMarker>& marker,
                                            double scale) {
    const auto pixelWidth = pixelCount(cursor.width, scale);
    const auto pixelHeight = pixelCount(cursor.height, scale);
    if (!pixelWidth || !pixelHeight) {
        return std::nullopt;
    }
    auto canvas = Canvas::make(*pixelWidth, *pixelHeight, cursor.width, cursor.height);
    if (!canvas) {
        return std::nullopt;
    }
    drawImage(canvas->context(), cursor.image, 0, 0, cursor.width, cursor.height);
    if (marker) {
        drawMarker(canvas->context(), *marker, Rect{{0, 0}, {cursor.width, cursor.height}},
                   std::nullopt, DecorationFlags{}, nullptr, wholeCanvas(canvas->context()));
    }
    return std::move(*canvas).finish();
}

std::vector<Image> CursorRenderer::fallbackImages(CursorTemplate cursorTemplate,
                                                  const std::optional<CursorMarker>& marker,
                                                  const StandardCursors& standardCursors) {
    const StandardCursorKind kind = standardCursorKind(cursorTemplate);
    std::vector<Image> images;
    for (double scale : {1.0, 2.0, 5.0, 10.0}) {
        // The framework's cursor holds a picture for every density, as its
        // image representations do.
        if (auto cursor = standardCursors.cursor(kind, scale)) {
            if (auto image = render(*cursor, marker, scale)) {
                images.push_back(std::move(*image));
            }
        }
    }
    return images;
}

void CursorRenderer::drawMarker(cairo_t* context, const CursorMarker& marker, const Rect& canvas,
                                const std::optional<Rect>& preferredBounds, DecorationFlags flags,
                                const ShapeMask* shape, const PixelBounds& occupied) {
    auto disc = MarkerGeometry::discRect(canvas, marker.diameter, preferredBounds, flags);
    if (!disc) {
        return;
    }
    const double diameter = disc->size.width;
    const double radius = diameter / 2;
    if (shape) {
        // The placement keeps clear of the shape's bounding box where it can;
        // the pointer itself must never be hidden while the canvas has a free
        // spot, so move to the nearest one when the disc or its outline would
        // cover solid pixels. Half a point of gap looks best; a tight canvas
        // gets by with less, which still covers antialiasing and the
        // flattening of the curves. Without any free spot, the disc goes
        // where it hides the least.
        const double outline = radius + std::max(marker.borderWidth, 0.0) / 2;
        const Point centre{disc->origin.x + radius, disc->origin.y + radius};
        if (shape->touches(centre, outline + 0.5)) {
            const Rect allowed{
                {canvas.origin.x + 0.5, canvas.origin.y + 0.5},
                {canvas.size.width - 1 - diameter, canvas.size.height - 1 - diameter}};
            auto placement = shape->leastCoveredOrigin(*disc, outline + 0.5, allowed);
            if (placement.coveredCells > 0) {
                placement = shape->leastCoveredOrigin(*disc, outline + 0.3, allowed);
            }
            disc->origin = placement.origin;
        }
    }
    // Placement is computed with y up; the context has y down.
    const double centreX = disc->origin.x + radius;
    const double centreY = canvas.origin.y + canvas.size.height - (disc->origin.y + radius);

    const auto paint = [&](cairo_t* target) {
        paintMarker(target, marker, {centreX, centreY}, radius);
    };
    const double reach = radius + std::max(marker.borderWidth, 0.0) / 2;
    if (!markerStamps().stamp(context, marker, {centreX, centreY}, reach, occupied, paint)) {
        paint(context);
    }
}

std::optional<Image> CursorRenderer::badge(const CursorMarker& marker, int pixels) {
    const double side = marker.diameter + std::max(marker.borderWidth, 0.0);
    auto canvas = Canvas::make(pixels, pixels, side, side);
    if (!canvas || marker.diameter <= 0) {
        return std::nullopt;
    }
    paintMarker(canvas->context(), marker, {side / 2, side / 2}, marker.diameter / 2);
    return std::move(*canvas).finish();
}

std::optional<Image> CursorRenderer::mirrorHorizontally(const Image& image) {
    const int width = image.width();
    const int height = image.height();
    const std::string dimensions = std::to_string(width) + "x" + std::to_string(height);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        AppLog::error("mirrorHorizontally: CGContext creation failed for " + dimensions);
        return std::nullopt;
    }
    cairo_surface_flush(surface);
    unsigned char* target = cairo_image_surface_get_data(surface);
    if (target == nullptr) {
        cairo_surface_destroy(surface);
        AppLog::error("mirrorHorizontally: CGContext has no data buffer");
        return std::nullopt;
    }
    const auto targetStride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
    const auto sourceStride = static_cast<std::size_t>(image.bytesPerRow());
    const auto columns = static_cast<std::size_t>(width);
    for (std::size_t row = 0; row < static_cast<std::size_t>(height); ++row) {
        const unsigned char* source = image.bytes() + row * sourceStride;
        unsigned char* line = target + row * targetStride;
        for (std::size_t column = 0; column < columns; ++column) {
            std::memcpy(line + 4 * (columns - 1 - column), source + 4 * column, 4);
        }
    }
    cairo_surface_mark_dirty(surface);
    auto mirrored = Image::adopt(surface);
    if (!mirrored) {
        AppLog::error("mirrorHorizontally: makeImage failed");
        return std::nullopt;
    }
    AppLog::debug("mirrorHorizontally: success " + dimensions);
    return mirrored;
}

CursorSnapshot CursorRenderer::mirrorSnapshot(const CursorSnapshot& snapshot) {
    CursorSnapshot mirrored = snapshot;
    mirrored.images.clear();
    for (const Image& image : snapshot.images) {
        if (auto flipped = mirrorHorizontally(image)) {
            mirrored.images.push_back(std::move(*flipped));
        }
    }
    mirrored.hotSpot = {snapshot.size.width - snapshot.hotSpot.x, snapshot.hotSpot.y};
    AppLog::info("mirrorSnapshot: input " + std::to_string(snapshot.images.size()) +
                 " images → mirrored " + std::to_string(mirrored.images.size()) +
                 " images, size=" + logformat::number(snapshot.size.width) + "x" +
                 logformat::number(snapshot.size.height));
    return mirrored;
}

} // namespace tolvane
