#include "cursors/SnapshotMemo.h"

namespace tolvane {

SnapshotIdentity::SnapshotIdentity(const CursorSnapshot& snapshot)
    : width(snapshot.size.width), height(snapshot.size.height), hotSpotX(snapshot.hotSpot.x),
      hotSpotY(snapshot.hotSpot.y), frameCount(snapshot.frameCount),
      frameDuration(snapshot.frameDuration) {
    pixels.reserve(snapshot.images.size());
    for (const Image& image : snapshot.images) {
        pixels.push_back(image.bytes());
    }
}

} // namespace tolvane
