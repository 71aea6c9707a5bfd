#include "server/SystemArtwork.h"

#include "server/SurfaceImages.h"

namespace tolvane {

const std::vector<double>& SystemArtwork::defaultRepresentationScales() {
    static const std::vector<double> scales{1.0, 2.0, 5.0, 10.0};
    return scales;
}

CursorRecordPtr SystemArtwork::make(CursorShape shape,
                                    const std::vector<double>& representationScales) {
    const CursorGeometry geometry = CursorArtwork::geometry(shape);
    auto record = std::make_shared<CursorRecord>();
    record->size = {geometry.width, geometry.height};
    record->hotSpot = {geometry.hotSpotX, geometry.hotSpotY};
    record->frameCount = static_cast<std::size_t>(geometry.frameCount);
    record->frameDuration = geometry.frameDuration;
    record->isSystemArtwork = true;
    for (double scale : representationScales) {
        for (int frame = 0; frame < geometry.frameCount; ++frame) {
            ObjectHandle image = SurfaceImages::wrap(CursorArtwork::draw(shape, frame, scale));
            if (!image) {
                return nullptr;
            }
            record->images.push_back(std::move(image));
        }
    }
    return record;
}

} // namespace tolvane
