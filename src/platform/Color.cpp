#include "platform/Color.h"

#include <algorithm>
#include <cmath>

namespace tolvane {

Color Color::calibratedHSB(double hue, double saturation, double brightness, double alpha) {
    saturation = std::clamp(saturation, 0.0, 1.0);
    brightness = std::clamp(brightness, 0.0, 1.0);
    double sector = (hue - std::floor(hue)) * 6.0;
    int index = static_cast<int>(sector);
    double fraction = sector - index;
    double p = brightness * (1.0 - saturation);
    double q = brightness * (1.0 - saturation * fraction);
    double t = brightness * (1.0 - saturation * (1.0 - fraction));
    double v = brightness;
    switch (index % 6) {
    case 0:
        return {v, t, p, alpha};
    case 1:
        return {q, v, p, alpha};
    case 2:
        return {p, v, t, alpha};
    case 3:
        return {p, q, v, alpha};
    case 4:
        return {t, p, v, alpha};
    default:
        return {v, p, q, alpha};
    }
}

} // namespace tolvane
