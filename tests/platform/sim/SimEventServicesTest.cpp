#include "platform/sim/SimEventServices.h"

#include "support/TestSession.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace tolvane {
namespace {

using testing::TestSession;

TEST(SimEventServicesTest, IdleTimesMoveWithTheClockAndWithTyping) {
    TestSession session;
    auto& events = *session->events();
    auto& loop = *session->loop();
    EXPECT_EQ(events.secondsSinceLastEventType(EventType::keyDown), 0.0);

    loop.advance(2.5);
    EXPECT_EQ(events.secondsSinceLastEventType(EventType::keyDown), 2.5);
    EXPECT_EQ(events.secondsSinceLastEventType(EventType::flagsChanged), 2.5);

    events.recordEvent(EventType::keyDown);
    loop.advance(1.0);
    EXPECT_EQ(events.secondsSinceLastEventType(EventType::keyDown), 1.0);
    EXPECT_EQ(events.secondsSinceLastEventType(EventType::flagsChanged),
              3.5); // each type on its own

    events.recordEvent(EventType::flagsChanged);
    EXPECT_EQ(events.secondsSinceLastEventType(EventType::flagsChanged), 0.0);

    events.overrideIdleReading(EventType::keyDown, std::numeric_limits<double>::quiet_NaN());
    events.overrideIdleReading(EventType::flagsChanged, -1.0);
    EXPECT_TRUE(std::isnan(events.secondsSinceLastEventType(EventType::keyDown)));
    EXPECT_EQ(events.secondsSinceLastEventType(EventType::flagsChanged), -1.0);
    events.overrideIdleReading(EventType::keyDown, std::nullopt);
    EXPECT_EQ(events.secondsSinceLastEventType(EventType::keyDown), 1.0);
}

TEST(SimEventServicesTest, PostedMouseMovesAreRecordedAndMoveThePointer) {
    TestSession session;
    auto& events = *session->events();
    EXPECT_EQ(events.screenFrames(), std::vector<Rect>{(Rect{{0, 0}, {1440, 900}})});

    // Event space has its origin top-left: y 100 from the top is 800 from the bottom.
    MouseEvent move{EventType::mouseMoved, {300, 100}, MouseButton::left};
    ASSERT_TRUE(events.postMouseEvent(move));
    EXPECT_EQ(events.mouseLocation(), (Point{300, 800}));
    EXPECT_EQ(events.postedMouseEvents(), std::vector<MouseEvent>{move});

    events.setMouseLocation({10, 20});
    MouseEvent click{EventType::leftMouseDown, {50, 50}, MouseButton::left};
    ASSERT_TRUE(events.postMouseEvent(click));
    EXPECT_EQ(events.mouseLocation(), (Point{10, 20})); // only moves move the pointer

    events.setEventCreationFails(true);
    EXPECT_FALSE(events.postMouseEvent(move));
    EXPECT_EQ(events.postedMouseEvents().size(), 2u);

    events.setEventCreationFails(false);
    events.setScreenFrames({});
    ASSERT_TRUE(
        events.postMouseEvent(MouseEvent{EventType::mouseMoved, {5, -7}, MouseButton::left}));
    EXPECT_EQ(events.mouseLocation(), (Point{5, 7}));
}

} // namespace
} // namespace tolvane
