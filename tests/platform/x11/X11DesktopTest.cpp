// The X11 desktop session on a private Xvfb whose keymap holds three
// layouts, driven the way a user and other clients would drive them.
#include <gtest/gtest.h>

#include "accessibility/CursorAccessibilityAppearanceController.h"
#include "platform/x11/X11ErrorTrap.h"
#include "platform/x11/X11Session.h"
#include "platform/x11/X11StandardCursors.h"
#include "support/LogCapture.h"
#include "support/TemporaryDirectory.h"
#include "support/XvfbDisplay.h"

#include <X11/XKBlib.h>
#include <X11/Xcursor/Xcursor.h>
#include <X11/extensions/XTest.h>

#include <algorithm>

using namespace tolvane;
using tolvane::testing::LogCapture;
using tolvane::testing::TemporaryDirectory;
using tolvane::testing::XvfbDisplay;

namespace {

// Runs the loop until the condition holds or the patience is used up.
bool runUntil(RunLoop& loop, const std::function<bool()>& condition, double patience = 10) {
    const double deadline = loop.now() + patience;
    while (!condition() && loop.now() < deadline) {
        loop.runUntil(std::min(deadline, loop.now() + 0.01));
    }
    return condition();
}

// Another client of the same server, such as a desktop's layout switcher.
struct OtherClient {
    explicit OtherClient(const std::string& name) : display(XOpenDisplay(name.c_str())) {}
    ~OtherClient() { XCloseDisplay(display); }
    void lockGroup(unsigned int group) const {
        XkbLockGroup(display, XkbUseCoreKbd, group);
        XFlush(display);
    }
    int group() const {
        XkbStateRec state{};
        XkbGetState(display, XkbUseCoreKbd, &state);
        return state.group;
    }
    void typeKey(const char* keysymName) const {
        const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysymName));
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        XFlush(display);
    }
    // The viewable top-level window with this title; 0 while there is none.
    Window windowTitled(const std::string& title) const {
        X11ErrorTrap trap(display); // a window may go while it is looked at
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        Window found = 0;
        if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count && found == 0; ++i) {
                char* name = nullptr;
                XWindowAttributes attributes{};
                if (XFetchName(display, children[i], &name) && name != nullptr && title == name &&
                    XGetWindowAttributes(display, children[i], &attributes) &&
                    attributes.map_state == IsViewable) {
                    found = children[i];
                }
                XFree(name);
            }
            XFree(children);
        }
        return trap.failed() ? 0 : found;
    }
    // Gives the window the keyboard, as a click on it would, and presses the key there.
    void typeKeyInto(Window window, const char* keysymName) const {
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        typeKey(keysymName);
    }
    Display* display;
};

std::vector<std::string> identifiers(const std::vector<InputSource>& sources) {
    std::vector<std::string> result;
    for (const auto& source : sources) {
        result.push_back(source.sourceID.value_or("") + " " + source.localizedName.value_or("") +
                         " " + (source.languages ? source.languages->front() : "-"));
    }
    return result;
}

std::size_t linesContaining(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    }));
}

TEST(X11DesktopTest, LayoutsAreListedSelectedFollowedAndKeysResetTheIdleTime) {
    XvfbDisplay::Options options;
    options.keyboardLayouts = {"us", "ru", "de(neo)"};
    XvfbDisplay server(options);
    LogCapture log;
    const TemporaryDirectory home;
    EnvironmentMap environment = Environment::process().values();
    environment["HOME"] = home.path().string();
    environment["XDG_CONFIG_HOME"] = (home / "config").string();
    environment["XDG_CACHE_HOME"] = (home / "cache").string();
    environment.erase("WAYLAND_DISPLAY");
    environment.erase("XDG_SESSION_TYPE");
    ASSERT_TRUE(X11Session::usability(Environment(environment)));
    auto session = X11Session::open({Environment(environment), nullptr, "com.tolvane.app",
                                     "Tolvane", home / "bin" / "tolvane"});
    ASSERT_TRUE(session);
    RunLoop& loop = *session->loop();
    X11InputSourceServices& sources = *session->inputSources();
    X11EventServices& events = *session->events();
    OtherClient other(server.name());

    // Three layouts in group order, named and given languages by the registry.
    const auto list = sources.inputSourceList({}, false);
    ASSERT_TRUE(list);
    EXPECT_EQ(identifiers(*list),
              (std::vector<std::string>{"xkb:us English (US) en", "xkb:ru Russian ru",
                                        "xkb:de(neo) German (Neo 2) de"}));
    EXPECT_EQ(sources.currentKeyboardInputSource()->sourceID, "xkb:us");

    int notifications = 0;
    sources.addSelectedKeyboardInputSourceObserver([&] { ++notifications; });

    // Selecting locks the group, and the change comes back as a notification.
    EXPECT_EQ(sources.selectInputSource(list->at(1)), InputSourceServices::noErr);
    ASSERT_TRUE(runUntil(loop, [&] { return notifications == 1; }));
    EXPECT_EQ(other.group(), 1);
    EXPECT_EQ(sources.currentKeyboardInputSource()->sourceID, "xkb:ru");

    // Another client's switch is seen too.
    other.lockGroup(2);
    ASSERT_TRUE(runUntil(loop, [&] { return notifications == 2; }));
    EXPECT_EQ(sources.currentKeyboardInputSource()->sourceID, "xkb:de(neo)");

    // A key resets the keyboard idle time, a modifier the modifier idle time.
    ASSERT_TRUE(events.readsKeyboard());
    ASSERT_TRUE(runUntil(loop, [&] { return events.secondsSinceLastEventType(EventType::keyDown) > 0.05; }));
    other.typeKey("a");
    ASSERT_TRUE(runUntil(loop, [&] { return events.secondsSinceLastEventType(EventType::keyDown) < 0.05; }));
    EXPECT_GT(events.secondsSinceLastEventType(EventType::flagsChanged), 0.05);
    other.typeKey("Shift_L");
    ASSERT_TRUE(runUntil(loop, [&] { return events.secondsSinceLastEventType(EventType::flagsChanged) < 0.05; }));
    for (const std::string& line : log.lines()) {
        EXPECT_EQ(line.find("keycode"), std::string::npos) << line;
    }

    // A desktop that puts its own layout back: the sources stay, selecting ends, said once.
    EXPECT_EQ(sources.selectInputSource(sources.inputSourceList({}, false)->at(0)),
              InputSourceServices::noErr);
    ASSERT_TRUE(runUntil(loop, [&] { return other.group() == 0; }));
    other.lockGroup(2);
    ASSERT_TRUE(runUntil(loop, [&] { return !sources.selectionAvailable(); }));
    EXPECT_EQ(sources.currentKeyboardInputSource()->sourceID, "xkb:de(neo)");
    EXPECT_EQ(sources.currentKeyboardInputSource()->isSelectCapable, false);
    EXPECT_EQ(sources.selectInputSource(*sources.currentKeyboardInputSource()),
              InputSourceServices::paramErr);
    EXPECT_EQ(linesContaining(log.lines(), "the desktop put the keyboard layout back"), 1U);

    // The mouse: a move at the pointer's own position leaves it there.
    const Point before = events.mouseLocation();
    const auto screens = events.screenFrames();
    ASSERT_EQ(screens.size(), 1U);
    EXPECT_EQ(screens.front().size.width, 1024);
    EXPECT_TRUE(events.postMouseEvent(
        {EventType::mouseMoved, {before.x, screens.front().size.height - before.y}}));
    EXPECT_EQ(events.mouseLocation(), before);

    // The user's files: preferences under XDG_CONFIG_HOME, the application's own under XDG_CACHE_HOME.
    ASSERT_TRUE(session->defaults()->setObject("primary", PropertyList(std::string("xkb:us"))));
    EXPECT_TRUE(std::filesystem::is_regular_file(home / "config" / "tolvane" / "com.tolvane.app.plist"));
    EXPECT_EQ(session->defaults()->stringForKey("primary"), "xkb:us");
    EXPECT_EQ(session->folders()->applicationFilesDirectory(), home / "cache" / "tolvane");

    // No Accessibility pointer colours on X11: nothing to override, nothing written.
    CursorAccessibilityAppearanceController accessibility(
        *session->preferenceDomain("com.apple.universalaccess"), *session->folders());
    EXPECT_FALSE(accessibility.activateSystemCursorAppearanceIfNeeded());
    EXPECT_EQ(linesContaining(log.lines(), "already standard; no override needed"), 1U);
    EXPECT_FALSE(std::filesystem::exists(home / "cache"));

    // The status title reaches the log once, whatever the number of readings.
    auto item = session->statusBar().statusItem(StatusBar::variableLength);
    item->button()->setTitle("RU");
    ASSERT_TRUE(runUntil(loop, [&] { return linesContaining(log.lines(), "Status title: RU") == 1; }));
    loop.advance(1.5);
    EXPECT_EQ(linesContaining(log.lines(), "Status title: RU"), 1U);

    // An alert is a zenity window on the display; Return there takes its first button.
    Alert alert{"Reset the pointer?", "", AlertStyle::warning, {"Reset", "Cancel"}, {}};
    bool answered = false;
    Cancellable user = loop.every(0.05, [&] {
        if (const Window dialog = other.windowTitled("Reset the pointer?"); dialog && !answered) {
            answered = true;
            other.typeKeyInto(dialog, "Return");
        }
    });
    EXPECT_EQ(session->application().runModal(alert), Alert::firstButtonReturn);
    user.cancel();
    EXPECT_TRUE(answered);
}

std::vector<std::uint32_t> pixelsOf(const Image& image) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            pixels.push_back(image.pixel(x, y));
        }
    }
    return pixels;
}

TEST(X11DesktopTest, StandardCursorsAreTheThemesOwnImagesAtTheNearestSize) {
    XvfbDisplay::Options options;
    options.environment = {{"XCURSOR_PATH", TOLVANE_X11WS_TEST_THEME_PATH},
                           {"XCURSOR_THEME", "tolvane-test"},
                           {"XCURSOR_SIZE", "32"}};
    XvfbDisplay server(options);
    OtherClient client(server.name());
    LogCapture log;
    // The test theme holds every cursor at the nominal size 32 only.
    const X11StandardCursors chosen(client.display);
    const X11StandardCursors halfSize(CursorThemeChoice{"tolvane-test", 16, {}});
    const struct {
        const X11StandardCursors& cursors;
        double scale;
        double pixelsPerPoint;
    } cases[] = {{chosen, 1, 1}, {chosen, 2, 1}, {halfSize, 2, 2}, {halfSize, 0.5, 2}};
    const std::pair<StandardCursorKind, std::string> names[] = {
        {StandardCursorKind::arrow, "left_ptr"},
        {StandardCursorKind::iBeam, "xterm"},
        {StandardCursorKind::pointingHand, "hand2"}};
    for (const auto& [kind, name] : names) {
        const std::string file =
            std::string(TOLVANE_X11WS_TEST_THEME_PATH) + "/tolvane-test/cursors/" + name;
        std::unique_ptr<XcursorImages, void (*)(XcursorImages*)> images(
            XcursorFilenameLoadImages(file.c_str(), 32), XcursorImagesDestroy);
        ASSERT_TRUE(images) << file;
        const XcursorImage& expected = *images->images[0];
        const std::vector<std::uint32_t> expectedPixels(
            expected.pixels, expected.pixels + expected.width * expected.height);
        for (const auto& each : cases) {
            SCOPED_TRACE(name + " at " + std::to_string(each.scale));
            const auto cursor = each.cursors.cursor(kind, each.scale);
            ASSERT_TRUE(cursor);
            EXPECT_EQ(pixelsOf(cursor->image), expectedPixels);
            EXPECT_EQ(cursor->image.width(), static_cast<int>(expected.width));
            EXPECT_DOUBLE_EQ(cursor->width, expected.width / each.pixelsPerPoint);
            EXPECT_DOUBLE_EQ(cursor->height, expected.height / each.pixelsPerPoint);
            EXPECT_DOUBLE_EQ(cursor->hotSpotX, expected.xhot / each.pixelsPerPoint);
            EXPECT_DOUBLE_EQ(cursor->hotSpotY, expected.yhot / each.pixelsPerPoint);
        }
    }
    EXPECT_FALSE(X11StandardCursors(CursorThemeChoice{"no-such-theme", 32, {}})
                     .cursor(StandardCursorKind::arrow, 1));
    EXPECT_EQ(linesContaining(log.lines(), "the cursor theme no-such-theme has no left_ptr"), 1U);
}

TEST(X11DesktopTest, WaylandAndMissingDisplaysAreRefusedWithAReason) {
    const auto refusal = [](EnvironmentMap environment) {
        auto usable = X11Session::usability(Environment(std::move(environment)));
        return usable ? std::string("usable") : usable.error();
    };
    EXPECT_NE(refusal({{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}}).find("Wayland session"),
              std::string::npos);
    EXPECT_NE(refusal({{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "wayland"}}).find("Wayland session"),
              std::string::npos);
    EXPECT_EQ(refusal({}), "DISPLAY is not set: there is no X11 display to use");
    EXPECT_EQ(refusal({{"DISPLAY", ":999999"}}), "the X11 display :999999 does not answer");
}

} // namespace
