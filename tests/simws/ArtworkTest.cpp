// The cursor artwork's requests out of range. Every frame of every shape at
// 1x, 2x, 5x and 10x is on record in tests/render (DecorationRecordTest).
#include "artwork/CursorArtwork.h"

#include <gtest/gtest.h>
#include <limits>

namespace tolvane::testing {
namespace {

TEST(CursorArtwork, FramesAndScalesOutOfRangeDrawNothing) {
    const int waitFrames = CursorArtwork::geometry(CursorShape::wait).frameCount;
    EXPECT_NE(CursorArtwork::draw(CursorShape::wait, waitFrames - 1, 1), nullptr);
    EXPECT_EQ(CursorArtwork::draw(CursorShape::wait, waitFrames, 1), nullptr);
    EXPECT_EQ(CursorArtwork::draw(CursorShape::arrow, -1, 1), nullptr);
    EXPECT_EQ(CursorArtwork::draw(CursorShape::arrow, 1, 1), nullptr);
    for (double scale : {0.0, 33.0, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(CursorArtwork::draw(CursorShape::arrow, 0, scale), nullptr) << scale;
    }
    EXPECT_NE(CursorArtwork::draw(CursorShape::arrow, 0, CursorArtwork::maxScale), nullptr);
}

} // namespace
} // namespace tolvane::testing
