#pragma once

#include "cursors/CursorSnapshot.h"

#include <map>
#include <string>
#include <vector>

namespace tolvane {

// What gets registered under one identifier: `images` go to the window server,
// `snapshot` supplies size, hot spot and frame timing (its own images are not
// registered).
struct CursorPayload {
    CursorSnapshot snapshot;
    std::vector<Image> images;

    // At least two images on a canvas of at least 24 x 30 points. Only arrow
    // payloads are judged this way.
    bool isStrong() const {
        return images.size() >= 2 && snapshot.size.width >= 24 && snapshot.size.height >= 30;
    }
};

// Payloads by cursor identifier: a cape's cursors, or what one apply registered.
using CursorPayloadMap = std::map<std::string, CursorPayload>;

// The renderer's result has the same two fields.
using DecoratedPayload = CursorPayload;

// A payload together with where it came from: `source` is "cape", "snapshot",
// "snapshot-template-safe", "template" or "template-lefty", optionally followed by
// "+canonical-fallback"; `sourceIdentifier` is the identifier whose cape, snapshot
// or template it was made from.
struct ResolvedPayload : CursorPayload {
    std::string source;
    std::string sourceIdentifier;
};

} // namespace tolvane
