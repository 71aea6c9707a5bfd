#include "cursors/BaselineCheck.h"

#include <algorithm>
#include <cmath>

namespace tolvane {

namespace {

constexpr double maxHotSpotDeviation = 0.4;

bool isBroken(const CursorSnapshot& snapshot) {
    return snapshot.size.width <= 0 || snapshot.size.height <= 0;
}

CursorPoint hotSpotRatio(const CursorSnapshot& snapshot) {
    return {snapshot.hotSpot.x / snapshot.size.width, snapshot.hotSpot.y / snapshot.size.height};
}

bool fitsRole(CursorRole role, const CursorSnapshot& snapshot) {
    const CursorPoint ratio = hotSpotRatio(snapshot);
    const double width = snapshot.size.width;
    const double height = snapshot.size.height;
    switch (role) {
    case CursorRole::arrow:
        return ratio.x <= 0.6 && ratio.y <= 0.6 && width <= 2 * height;
    case CursorRole::iBeam:
        return height >= width;
    case CursorRole::pointingHand:
        return ratio.y <= 0.7;
    }
    return true;
}

} // namespace

BaselineCheck checkBaselineSnapshot(CursorRole role, const CursorSnapshot& captured,
                                    const CursorSnapshot& reference) {
    if (isBroken(captured)) {
        return {false, std::nullopt};
    }
    if (isBroken(reference)) {
        return {true, std::nullopt};
    }
    const CursorPoint own = hotSpotRatio(captured);
    const CursorPoint expected = hotSpotRatio(reference);
    const double deviation = std::max(std::abs(own.x - expected.x), std::abs(own.y - expected.y));
    if (deviation > maxHotSpotDeviation) {
        return {false, deviation};
    }
    return {fitsRole(role, captured), std::nullopt};
}

} // namespace tolvane
