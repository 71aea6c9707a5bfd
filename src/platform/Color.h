#pragma once

namespace tolvane {

// A device-independent RGBA colour with components in 0...1, not premultiplied.
struct Color {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 1.0;

    static constexpr Color calibratedRGB(double red, double green, double blue, double alpha) {
        return Color{red, green, blue, alpha};
    }
    // Hue, saturation and brightness in 0...1 (hue 1.0 wraps to red).
    static Color calibratedHSB(double hue, double saturation, double brightness, double alpha);

    static constexpr Color systemRed() { return {1.0, 59.0 / 255.0, 48.0 / 255.0, 1.0}; }
    static constexpr Color systemYellow() { return {1.0, 204.0 / 255.0, 0.0, 1.0}; }
    static constexpr Color systemPink() { return {1.0, 45.0 / 255.0, 85.0 / 255.0, 1.0}; }
    static constexpr Color white() { return {1.0, 1.0, 1.0, 1.0}; }
    static constexpr Color black() { return {0.0, 0.0, 0.0, 1.0}; }
    static constexpr Color clear() { return {0.0, 0.0, 0.0, 0.0}; }

    constexpr Color withAlpha(double newAlpha) const { return {red, green, blue, newAlpha}; }

    bool operator==(const Color&) const = default;
};

} // namespace tolvane
