// The X11 window server on a private Xvfb with the build's cursor theme: what
// a user sees under the pointer (XFixesGetCursorImage) in windows whose
// cursors xterm and other clients loaded by their theme names.
#include "render/CursorRenderer.h"
#include "runtime/CGSRuntime.h"
#include "support/LogCapture.h"
#include "support/TemporaryDirectory.h"
#include "support/X11Screen.h"
#include "support/XvfbDisplay.h"

// Before the X headers, whose macros (None) clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace tolvane {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::XvfbDisplay;
using Shown = testing::ShownCursor;
using Screen = testing::X11Screen;
using testing::waitUntil;

const std::vector<std::string> arrowAliases{"left_ptr", "default", "arrow", "top_left_arrow"};

// The decorated cursor the test installs: the window server's own
// cursor under the identifier with a plain pink disc, as the renderer draws it.
std::optional<DecoratedPayload> decoratedCursor(const CGSRuntime& runtime,
                                                       std::int32_t connection,
                                                       const std::string& identifier,
                                                       CursorTemplate cursorTemplate) {
    const std::optional<CursorSnapshot> own = runtime.snapshotCursor(connection, identifier);
    if (!own) {
        return std::nullopt;
    }
    const CursorMarker marker{std::nullopt, Color::systemPink(), Color::clear(), Color::white(),
                              10, 1};
    DecoratedPayload payload = CursorRenderer::decoratePayload(*own, marker, cursorTemplate,
                                                               false, false, false, false);
    if (payload.images.empty() ||
        !runtime.registerCursor(connection, identifier, payload.snapshot, payload.images, true,
                                true)) {
        return std::nullopt;
    }
    return payload;
}

Shown fromImage(const Image& image, int hotSpotX, int hotSpotY) {
    Shown shown{image.width(), image.height(), hotSpotX, hotSpotY, {}};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            shown.pixels.push_back(image.pixel(x, y));
        }
    }
    return shown;
}

// The first frame the registration shows, at its hot spot in pixels.
Shown fromPayload(const DecoratedPayload& payload) {
    const Image& image = payload.images.front();
    const double pixelsPerPoint = image.width() / payload.snapshot.size.width;
    return fromImage(image, static_cast<int>(std::lround(payload.snapshot.hotSpot.x * pixelsPerPoint)),
                     static_cast<int>(std::lround(payload.snapshot.hotSpot.y * pixelsPerPoint)));
}

std::vector<Shown> themeFrames(const std::string& name) {
    return testing::themeCursorFrames(name, "tolvane-test", 32);
}

TEST(X11WindowServerScenarioTest, DecoratedCursorsReachEveryThemeNameAndEveryClientAndTheThemeComesBackExactly) {
    testing::TemporaryDirectory home;
    XvfbDisplay::Options options;
    options.environment = {{"XCURSOR_PATH", TOLVANE_X11WS_TEST_THEME_PATH},
                           {"XCURSOR_THEME", "tolvane-test"},
                           {"XCURSOR_SIZE", "32"},
                           {"HOME", home.path().string()}};
    options.rootCursor = "left_ptr";
    XvfbDisplay server(options);
    Screen screen(server);
    for (std::size_t index = 0; index < arrowAliases.size(); ++index) {
        screen.openWindow(static_cast<int>(index) * 100, 0, arrowAliases[index]);
    }
    screen.openWindow(0, 200, "watch");
    ChildProcess xterm = server.startClient({"xterm", "-geometry", "20x5+500+400"});
    const Shown themeArrow = themeFrames("left_ptr").front();
    const Shown themeIBeam = themeFrames("xterm").front();
    const std::vector<Shown> themeWatch = themeFrames("watch");
    ASSERT_EQ(themeWatch.size(), 8u);
    const Shown watchBefore = screen.at(50, 250);
    auto showsArrowEverywhere = [&](const Shown& expected) {
        EXPECT_EQ(screen.awaitAt(900, 700, expected), expected) << "root";
        for (std::size_t index = 0; index < arrowAliases.size(); ++index) {
            EXPECT_EQ(screen.at(static_cast<int>(index) * 100 + 50, 50), expected)
                << arrowAliases[index];
        }
    };
    ASSERT_EQ(screen.awaitAt(560, 430, themeIBeam), themeIBeam) << "xterm never showed its cursor";
    showsArrowEverywhere(themeArrow);

    // The reset leaves every name with the theme's own bytes.
    testing::LogCapture log;
    CGSRuntime runtime({TOLVANE_X11WS_PATH});
    const std::optional<std::int32_t> connection = runtime.mainConnectionID();
    ASSERT_TRUE(connection);
    EXPECT_FALSE(runtime.cursorScale(*connection)) << "X has no cursor scale to offer";
    ASSERT_GE(runtime.connectionDescriptor(), 0);
    EXPECT_TRUE(runtime.hardResetSystemCursors(*connection, 44));
    showsArrowEverywhere(themeArrow);

    // Decorated arrow and I-beam: every arrow name, xterm's I-beam, nothing animated.
    const auto arrow = decoratedCursor(runtime, *connection,
                                                "com.apple.coregraphics.Arrow", CursorTemplate::arrow);
    const auto iBeam = decoratedCursor(runtime, *connection,
                                                "com.apple.coregraphics.IBeam", CursorTemplate::iBeam);
    ASSERT_TRUE(arrow && iBeam);
    EXPECT_NE(fromPayload(*arrow), themeArrow);
    showsArrowEverywhere(fromPayload(*arrow));
    EXPECT_EQ(screen.at(560, 430), fromPayload(*iBeam));
    const std::optional<CursorSnapshot> wait = runtime.snapshotCursor(*connection, "com.apple.cursor.4");
    ASSERT_TRUE(wait);
    EXPECT_EQ(wait->frameCount, 8u);
    EXPECT_DOUBLE_EQ(wait->frameDuration, 0.1);
    EXPECT_EQ(fromImage(wait->images.front(), static_cast<int>(wait->hotSpot.x),
                        static_cast<int>(wait->hotSpot.y)),
              themeWatch.front());
    // XFixes shows an animated cursor as its 1x1 placeholder, never a frame:
    // the watch is untouched when that placeholder is what it was.
    EXPECT_EQ(screen.at(50, 250), watchBefore);

    // A client started now loads the theme's own arrow; the next display
    // notification installs the badge under its name again.
    Display* late = XOpenDisplay(server.name().c_str());
    ASSERT_NE(late, nullptr);
    Screen::openWindow(late, 0, 400, "default");
    EXPECT_EQ(screen.awaitAt(50, 450, fromPayload(*arrow), [&] { runtime.dispatchConnection(); }),
              fromPayload(*arrow));

    // The reset puts the theme's own bytes back under every name, for every client.
    EXPECT_TRUE(runtime.hardResetSystemCursors(*connection, 44));
    showsArrowEverywhere(themeArrow);
    EXPECT_EQ(screen.at(50, 450), themeArrow);
    EXPECT_EQ(screen.at(560, 430), themeIBeam);
    XCloseDisplay(late);
    xterm.stop();
}

} // namespace
} // namespace tolvane
