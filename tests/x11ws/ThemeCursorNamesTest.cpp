#include "ThemeCursorNames.h"
#include "systemcursors/SystemCursorTable.h"

#include <gmock/gmock.h>

#include <map>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using ::testing::IsSupersetOf;

// Every name a theme ships for a shape, freedesktop and legacy alike, must
// reach the shape, and each name belongs to one shape only.
TEST(ThemeCursorNamesTest, EveryShapeReachesAllItsThemeNamesAndEachNameOneShape) {
    const std::map<CursorShape, std::vector<std::string_view>> expected{
        {CursorShape::arrow, {"left_ptr", "default", "arrow", "top_left_arrow"}},
        {CursorShape::iBeam, {"xterm", "text", "ibeam"}},
        {CursorShape::pointingHand, {"hand2", "pointer", "hand1", "hand"}},
        {CursorShape::resizeLeftRight, {"sb_h_double_arrow", "ew-resize", "h_double_arrow"}},
        {CursorShape::resizeUpDown, {"sb_v_double_arrow", "ns-resize", "v_double_arrow"}},
        {CursorShape::resizeColumn, {"col-resize"}},
        {CursorShape::resizeRow, {"row-resize"}},
        {CursorShape::resizeNorthWestSouthEast, {"nwse-resize", "size_fdiag"}},
        {CursorShape::resizeNorthEastSouthWest, {"nesw-resize", "size_bdiag"}},
        {CursorShape::move, {"fleur", "move", "all-scroll"}},
        {CursorShape::crosshair, {"crosshair", "cross"}},
        {CursorShape::notAllowedArrow, {"not-allowed", "crossed_circle"}},
        {CursorShape::helpArrow, {"help", "question_arrow"}},
        {CursorShape::copyArrow, {"copy"}},
        {CursorShape::aliasArrow, {"alias"}},
        {CursorShape::contextMenuArrow, {"context-menu"}},
        {CursorShape::openHand, {"openhand", "grab"}},
        {CursorShape::closedHand, {"closedhand", "grabbing"}},
        {CursorShape::wait, {"watch", "wait"}},
        {CursorShape::busyArrow, {"left_ptr_watch", "progress"}},
    };
    for (const auto& [shape, names] : expected) {
        const auto aliases = ThemeCursorNames::aliases(shape);
        EXPECT_THAT(std::vector<std::string_view>(aliases.begin(), aliases.end()),
                    IsSupersetOf(names))
            << CursorArtwork::name(shape);
    }
    std::map<std::string_view, int> owners;
    for (int index = 0; index < cursorShapeCount; ++index) {
        const auto shape = static_cast<CursorShape>(index);
        for (std::string_view alias : ThemeCursorNames::aliases(shape)) {
            ++owners[alias];
            EXPECT_EQ(ThemeCursorNames::shapeForAlias(alias), shape) << alias;
        }
    }
    for (const auto& [alias, count] : owners) {
        EXPECT_EQ(count, 1) << alias;
    }
    EXPECT_EQ(ThemeCursorNames::shapeForAlias("com.apple.coregraphics.Arrow"), std::nullopt);
    // Every numbered system cursor but the ones X has no picture for is reachable.
    for (const NumberedSystemCursor& cursor : SystemCursorTable::numbered()) {
        const bool drawable = cursor.shape != CursorShape::poofArrow &&
                              cursor.shape != CursorShape::countingUpHand &&
                              cursor.shape != CursorShape::countingDownHand;
        EXPECT_EQ(ThemeCursorNames::aliases(cursor.shape).empty(), !drawable) << cursor.name;
    }
}

} // namespace
} // namespace tolvane
