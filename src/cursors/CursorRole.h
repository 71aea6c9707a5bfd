#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// The kinds of system cursor the program decorates, in the order it walks them.
enum class CursorRole { arrow, iBeam, pointingHand };

inline constexpr std::array<CursorRole, 3> allCursorRoles{CursorRole::arrow, CursorRole::iBeam,
                                                          CursorRole::pointingHand};

// The case name, as log lines print it.
constexpr std::string_view caseName(CursorRole role) {
    switch (role) {
    case CursorRole::arrow:
        return "arrow";
    case CursorRole::iBeam:
        return "iBeam";
    case CursorRole::pointingHand:
        return "pointingHand";
    }
    return {};
}

// The identifiers every system has for the role; discovered names are added to
// them by the cursor controller.
inline const std::vector<std::string>& legacyIdentifiers(CursorRole role) {
    static const std::vector<std::string> arrow{"com.apple.coregraphics.GlobalCurrent",
                                                "com.apple.coregraphics.ConnectionCurrent",
                                                "com.apple.cursor.0",
                                                "com.apple.cursor.6",
                                                "com.apple.cursor.100",
                                                "com.apple.coregraphics.Arrow",
                                                "com.apple.coregraphics.ArrowCtx",
                                                "com.apple.coregraphics.ArrowS"};
    static const std::vector<std::string> iBeam{
        "com.apple.cursor.1", "com.apple.cursor.101", "com.apple.coregraphics.IBeam",
        "com.apple.coregraphics.IBeamXOR", "com.apple.coregraphics.IBeamS"};
    static const std::vector<std::string> pointingHand{"com.apple.cursor.13"};
    switch (role) {
    case CursorRole::arrow:
        return arrow;
    case CursorRole::iBeam:
        return iBeam;
    case CursorRole::pointingHand:
        return pointingHand;
    }
    return arrow;
}

} // namespace tolvane
