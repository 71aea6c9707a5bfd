#pragma once

#include "platform/Geometry.h"
#include "platform/Image.h"
#include "render/ShapeMask.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <optional>
#include <tuple>

namespace tolvane {

// What decoration learns about a source image drawn into a rectangle of a
// canvas: where its shape is solid and the bounds of its content. A language
// switch decorates the same images on the same canvases again, so each is
// analysed once. Holds the images it analysed, up to a bound, the least
// recently used leaving first. Main thread only.
class ShapeAnalysisCache {
  public:
    struct Analysis {
        ShapeMask mask;
        std::optional<Rect> contentBounds;
    };

    explicit ShapeAnalysisCache(std::size_t capacity) : capacity_(capacity) {}

    const Analysis& analysis(const Image& image, const Rect& imageRect, const Rect& canvas);

  private:
    // The pixels themselves, not the Image object: aliases of one cursor share them.
    using Key = std::tuple<const unsigned char*, int, int, int, double, double, double, double,
                           double, double>;
    struct Entry {
        Image image; // keeps the pixels, and so the key, valid
        Analysis analysis;
        std::list<Key>::iterator use;
    };

    std::size_t capacity_;
    std::map<Key, Entry> entries_;
    std::list<Key> uses_; // most recent first
};

} // namespace tolvane
