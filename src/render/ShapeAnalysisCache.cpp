#include "render/ShapeAnalysisCache.h"

#include "render/MarkerGeometry.h"

namespace tolvane {

const ShapeAnalysisCache::Analysis&
ShapeAnalysisCache::analysis(const Image& image, const Rect& imageRect, const Rect& canvas) {
    const Key key{image.bytes(),        image.width(),         image.height(),
                  image.bytesPerRow(),  imageRect.origin.x,    imageRect.origin.y,
                  imageRect.size.width, imageRect.size.height, canvas.size.width,
                  canvas.size.height};
    if (auto found = entries_.find(key); found != entries_.end()) {
        uses_.splice(uses_.begin(), uses_, found->second.use);
        return found->second.analysis;
    }
    if (entries_.size() >= capacity_) {
        entries_.erase(uses_.back());
        uses_.pop_back();
    }
    uses_.push_front(key);
    auto [added, inserted] =
        entries_.emplace(key, Entry{image,
                                    Analysis{ShapeMask(image, imageRect, canvas),
                                             MarkerGeometry::contentBounds(image, imageRect)},
                                    uses_.begin()});
    return added->second.analysis;
}

} // namespace tolvane
