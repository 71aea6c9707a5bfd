#include "platform/sim/SimEventServices.h"

#include "support/TestSession.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(SimEventServicesTest, IdleTimesFollowTheClockPerEventTypeAndPostedMovesMoveThePointer) {
    testing::TestSession session;
    auto& events = *session->events();
    session->loop()->advance(2.5);
    events.recordEvent(EventType::keyDown);
    session->loop()->advance(1.0);
    EXPECT_EQ(events.secondsSinceLastEventType(EventType::keyDown), 1.0);
    EXPECT_EQ(events.secondsSinceLastEventType(EventType::flagsChanged), 3.5);

    // Event space has its origin top-left: y 100 from the top is 800 from the bottom.
    EXPECT_EQ(events.screenFrames(), std::vector<Rect>{(Rect{{0, 0}, {1440, 900}})});
    MouseEvent move{EventType::mouseMoved, {300, 100}, MouseButton::left};
    MouseEvent click{EventType::leftMouseDown, {50, 50}, MouseButton::left};
    ASSERT_TRUE(events.postMouseEvent(move));
    ASSERT_TRUE(events.postMouseEvent(click));
    EXPECT_EQ(events.mouseLocation(), (Point{300, 800})); // only moves move the pointer
    EXPECT_EQ(events.postedMouseEvents(), (std::vector<MouseEvent>{move, click}));
}

} // namespace
} // namespace tolvane
