#include "platform/sim/SimStandardCursors.h"

#include "artwork/CursorArtwork.h"

namespace tolvane {

namespace {

CursorShape shapeFor(StandardCursorKind kind) {
    switch (kind) {
    case StandardCursorKind::arrow:
        return CursorShape::arrow;
    case StandardCursorKind::iBeam:
        return CursorShape::iBeam;
    case StandardCursorKind::pointingHand:
        return CursorShape::pointingHand;
    }
    return CursorShape::arrow;
}

} // namespace

std::optional<StandardCursor> SimStandardCursors::cursor(StandardCursorKind kind,
                                                         double scale) const {
    const CursorShape shape = shapeFor(kind);
    std::optional<Image> image = Image::adopt(CursorArtwork::draw(shape, 0, scale).release());
    if (!image) {
        return std::nullopt;
    }
    const CursorGeometry geometry = CursorArtwork::geometry(shape);
    return StandardCursor{*image, geometry.width, geometry.height, geometry.hotSpotX,
                          geometry.hotSpotY};
}

} // namespace tolvane
