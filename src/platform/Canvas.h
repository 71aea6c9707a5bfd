#pragma once

#include "platform/Image.h"

#include <cairo.h>
#include <memory>
#include <optional>

namespace tolvane {

// A transparent bitmap to draw on, whose drawing space is measured in points:
// the cairo context maps pointWidth x pointHeight onto the pixels, origin at
// the top-left corner. Finishing it hands its pixels over as an Image.
class Canvas {
  public:
    // Nothing when the pixel size is not positive or the bitmap cannot be made.
    static std::optional<Canvas> make(int pixelWidth, int pixelHeight, double pointWidth,
                                      double pointHeight);
    // The same, but its pixels start as whatever the memory held: for a
    // drawing that replaces every pixel first, which saves clearing them.
    static std::optional<Canvas> makeUncleared(int pixelWidth, int pixelHeight, double pointWidth,
                                               double pointHeight);

    cairo_t* context() const { return context_.get(); }
    double pointWidth() const { return pointWidth_; }
    double pointHeight() const { return pointHeight_; }

    // Ends drawing; nothing when drawing failed.
    std::optional<Image> finish() &&;

  private:
    static std::optional<Canvas> onSurface(cairo_surface_t* surface, int pixelWidth,
                                           int pixelHeight, double pointWidth, double pointHeight);

    struct SurfaceDeleter {
        void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
    };
    struct ContextDeleter {
        void operator()(cairo_t* context) const { cairo_destroy(context); }
    };

    Canvas(cairo_surface_t* surface, cairo_t* context, double pointWidth, double pointHeight)
        : surface_(surface), context_(context), pointWidth_(pointWidth), pointHeight_(pointHeight) {
    }

    std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface_;
    std::unique_ptr<cairo_t, ContextDeleter> context_;
    double pointWidth_;
    double pointHeight_;
};

} // namespace tolvane
