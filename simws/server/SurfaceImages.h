#pragma once

#include "artwork/CursorArtwork.h"
#include "server/ObjectHandle.h"

namespace tolvane {

// Moves pixels between cairo surfaces and window-server images.
class SurfaceImages {
  public:
    // An image that shares the surface's pixels and keeps the surface alive;
    // empty for a null or failed surface.
    static ObjectHandle wrap(CairoSurfacePtr surface);
    // A surface holding a copy of the image's pixels; null when it is no image.
    static CairoSurfacePtr copy(TVWSImageRef image);
};

} // namespace tolvane
