// The real program on a private Xvfb with the build's cursor theme, a GTK 3
// probe window and xterm: what a user sees under the pointer as layouts
// switch, Caps Lock is locked and unlocked, the keyboard rests, and the
// program quits, is killed and restored.
#include "support/ChildProcess.h"
#include "support/TemporaryDirectory.h"
#include "support/X11Screen.h"
#include "support/XvfbDisplay.h"

#include <X11/XKBlib.h>

#include <csignal>
#include <fstream>
#include <map>
#include <sstream>

namespace tolvane {
namespace {

using testing::ChildProcess;
using testing::ShownCursor;
using testing::waitUntil;
using testing::X11Screen;
using testing::XvfbDisplay;
using namespace std::chrono_literals;

std::string contents(const std::filesystem::path& file) {
    std::ifstream stream(file);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

struct Point {
    int x = 0;
    int y = 0;
};

class X11ProgramTest : public ::testing::Test {
  protected:
    X11ProgramTest()
        : server_(serverOptions(home_)), screen_(server_),
          probe_(server_.startClient({TOLVANE_X11_PROBE}, home_ / "probe.txt")),
          // No shell prompt: xterm's text cursor, hollow or filled as the focus
          // comes and goes, stays out of the screen read around the pointer.
          xterm_(server_.startClient({"xterm", "-geometry", "20x5+500+400", "-e", "cat"})) {
        // The auto-return: back to the US layout after two idle seconds.
        std::filesystem::create_directories(home_ / "config/tolvane");
        std::ofstream(home_ / "config/tolvane/com.tolvane.app.plist")
            << R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>tolvane.primary_input_source_id</key><string>xkb:us</string>
<key>tolvane.primary_input_source_return_delay_seconds</key><integer>2</integer>
</dict></plist>)";
    }

    static XvfbDisplay::Options serverOptions(const testing::TemporaryDirectory& home) {
        XvfbDisplay::Options options;
        options.keyboardLayouts = {"us", "ru", "de"};
        options.environment = {{"XCURSOR_PATH", TOLVANE_X11WS_TEST_THEME_PATH},
                               {"XCURSOR_THEME", "tolvane-test"},
                               {"XCURSOR_SIZE", "32"},
                               {"HOME", home.path().string()},
                               {"XDG_CONFIG_HOME", (home / "config").string()},
                               {"XDG_CACHE_HOME", (home / "cache").string()},
                               {"TOLVANE_LOG_FILE", (home / "Tolvane.log").string()},
                               {"NO_AT_BRIDGE", "1"},
                               {"GDK_BACKEND", "x11"}};
        options.rootCursor = "left_ptr";
        options.framebufferDirectory = home.path();
        return options;
    }

    // Where the probe's parts lie, once it is on screen: their centres.
    std::map<std::string, Point> probeParts() const {
        EXPECT_TRUE(waitUntil([&] { return contents(home_ / "probe.txt").find("ready\n") !=
                                           std::string::npos; },
                              20s));
        std::map<std::string, Point> parts;
        std::istringstream lines(contents(home_ / "probe.txt"));
        std::string name;
        int x, y, width, height;
        while (lines >> name >> x >> y >> width >> height) {
            parts[name] = {x + width / 2, y + height / 2};
        }
        return parts;
    }

    ChildProcess startProgram(const std::vector<std::string>& options = {}) const {
        std::vector<std::string> command{TOLVANE_EXECUTABLE, "--session=x11"};
        command.insert(command.end(), options.begin(), options.end());
        return server_.startClient(command, home_ / "output.txt");
    }

    std::string log() const { return contents(home_ / "Tolvane.log"); }
    bool awaitLog(const std::string& text) const {
        return waitUntil([&] { return log().find(text) != std::string::npos; }, 60s);
    }
    int group() const {
        XkbStateRec state{};
        XkbGetState(screen_.display(), XkbUseCoreKbd, &state);
        return state.group;
    }

    testing::TemporaryDirectory home_;
    XvfbDisplay server_;
    X11Screen screen_;
    ChildProcess probe_;
    ChildProcess xterm_;
};

// The same shape with the badge beside it: another image on a canvas at
// least as large.
bool wearsABadge(const ShownCursor& shown, const ShownCursor& own) {
    return shown != own && shown.width >= own.width && shown.height >= own.height;
}

TEST_F(X11ProgramTest,
       EveryNamedCursorWearsTheBadgeFollowsLayoutAndCapsLockAndIsPutBackOnEveryEnding) {
    auto parts = probeParts();
    ASSERT_EQ(parts.size(), 5u);
    parts["xterm"] = {560, 430};
    parts["root"] = {900, 700};
    // What each place shows with the theme's own cursors. GTK sets some of
    // them when the pointer comes in, so every look waits for its answer.
    const std::map<std::string, std::string> themeNames{
        {"entry", "text"},          {"link", "pointer"}, {"default", "default"},
        {"crosshair", "crosshair"}, {"xterm", "xterm"},  {"root", "left_ptr"}};
    std::map<std::string, ShownCursor> own;
    for (const auto& [place, themeName] : themeNames) {
        own[place] = testing::themeCursorFrames(themeName, "tolvane-test", 32).front();
    }
    own["watch"] = screen_.awaitAt(parts["watch"].x, parts["watch"].y,
                                   [](const ShownCursor& shown) { return shown.width == 1; });
    // Entering from elsewhere: a cursor replaced while the pointer rests in a
    // GTK window shows once the pointer comes in again and GTK sets its
    // cursor anew, which takes it a moment: the pointer goes away now and then,
    // not between every two looks.
    const Point away = parts["root"];
    auto fromAway = [&, left = std::chrono::steady_clock::time_point{}]() mutable {
        if (std::chrono::steady_clock::now() - left > 300ms) {
            screen_.at(away.x, away.y);
            left = std::chrono::steady_clock::now();
        }
    };
    auto everyPlaceShows = [&](const std::string& what, auto accepted) {
        for (const auto& [place, point] : parts) {
            auto fits = [&](const ShownCursor& shown) {
                // An animated cursor stays as it is; XFixes shows its placeholder.
                return place == "watch" ? shown == own["watch"] : accepted(shown, own[place]);
            };
            EXPECT_TRUE(fits(screen_.awaitAt(point.x, point.y, fits, fromAway)))
                << what << ": " << place;
        }
    };
    everyPlaceShows("before", std::equal_to<ShownCursor>());
    // The screen itself around the pointer, for after the program has gone:
    // XFixes cannot read a cursor whose maker has disconnected, the screen can.
    const std::vector<std::string> framed{"default", "crosshair", "xterm", "root"};
    auto screenAround = [&](const Point& point) {
        screen_.at(point.x, point.y);
        return server_.screenPixels(point.x - 32, point.y - 32, 96, 96);
    };
    std::map<std::string, std::vector<std::uint32_t>> ownScreen;
    for (const std::string& place : framed) {
        // GTK sets its cursor once the pointer is in: the screen is read after that.
        ASSERT_EQ(screen_.awaitAt(parts[place].x, parts[place].y, own[place]), own[place]) << place;
        std::vector<std::uint32_t> previous;
        ASSERT_TRUE(waitUntil([&] {
            auto now = screenAround(parts[place]);
            std::swap(now, previous);
            return !previous.empty() && previous == now;
        }, 20s)) << place;
        ownScreen[place] = previous;
    }
    auto screenIsOwnEverywhere = [&](const std::string& what) {
        for (const std::string& place : framed) {
            EXPECT_TRUE(waitUntil([&] { return screenAround(parts[place]) == ownScreen[place]; },
                                  20s))
                << what << ": " << place;
        }
    };

    // Launch: every named cursor, in GTK, in xterm and on the root, wears the badge.
    ChildProcess program = startProgram();
    ASSERT_TRUE(awaitLog("language=en")) << log();
    // Known gap: GTK 3 sets its window's cursor per input device (XInput 2),
    // and the server's change by name rewrites window cursors, grabs and
    // cursor ids but not those: the entry, whose text cursor GTK sets on
    // every motion, keeps the theme's image in about one run in seven until
    // GTK sets it again, so it is left out here. The animated watch stays.
    for (const std::string place : {"link", "default", "crosshair", "xterm", "root"}) {
        EXPECT_TRUE(wearsABadge(screen_.awaitAt(parts[place].x, parts[place].y,
                                                [&](const ShownCursor& shown) {
                                                    return wearsABadge(shown, own[place]);
                                                },
                                                fromAway),
                                own[place]))
            << "badged: " << place;
    }
    EXPECT_EQ(screen_.awaitAt(parts["watch"].x, parts["watch"].y, own["watch"]), own["watch"]);
    const Point xterm = parts["xterm"];
    const ShownCursor english = screen_.at(xterm.x, xterm.y);

    // A layout switch reaches the pointer; after two idle seconds the
    // keyboard is back on US and so is the badge.
    XkbLockGroup(screen_.display(), XkbUseCoreKbd, 1);
    XSync(screen_.display(), False);
    const ShownCursor russian = screen_.awaitAt(xterm.x, xterm.y, [&](const ShownCursor& shown) {
        return shown != english && wearsABadge(shown, own["xterm"]);
    }, fromAway);
    EXPECT_NE(russian, english);
    EXPECT_TRUE(awaitLog("Primary layout auto-return fired target=xkb:us")) << log();
    EXPECT_EQ(screen_.awaitAt(xterm.x, xterm.y, english, fromAway), english);
    EXPECT_EQ(group(), 0);

    // Caps Lock reaches the pointer as a layout switch does, and goes again:
    // the theme's cursor with the plain badge.
    auto lockCaps = [&](bool locked) {
        XkbLockModifiers(screen_.display(), XkbUseCoreKbd, LockMask, locked ? LockMask : 0);
        XSync(screen_.display(), False);
    };
    lockCaps(true);
    const ShownCursor capsLock = screen_.awaitAt(
        xterm.x, xterm.y,
        [&](const ShownCursor& shown) {
            return shown != english && wearsABadge(shown, own["xterm"]);
        },
        fromAway);
    EXPECT_NE(capsLock, english);
    // Its state event, or the quarter-second poll when that comes first.
    EXPECT_TRUE(awaitLog("Caps Lock on the pointer: shown=true trigger=")) << log();
    lockCaps(false);
    EXPECT_EQ(screen_.awaitAt(xterm.x, xterm.y, english, fromAway), english);

    // A new keymap reaches the pointer too: Russian as the first layout, then
    // the three as they were (the auto-return may meanwhile go back to US).
    auto setLayouts = [&](const std::string& layouts) {
        EXPECT_EQ(ChildProcess::run({"setxkbmap", "-layout", layouts}, server_.clientOptions(), 20s),
                  0);
    };
    setLayouts("ru,us,de");
    EXPECT_EQ(screen_.awaitAt(xterm.x, xterm.y, russian), russian);
    setLayouts("us,ru,de");
    EXPECT_EQ(screen_.awaitAt(xterm.x, xterm.y, english, fromAway), english);

    // Switches leave nothing behind in the X server. What the program holds
    // moves a little with which cursors were last put up again for a late
    // client; something left behind by every switch would add sixty.
    auto switchLayouts = [&](int count) {
        ShownCursor previous = english;
        for (int step = 1; step <= count; ++step) {
            XkbLockGroup(screen_.display(), XkbUseCoreKbd, static_cast<unsigned>(step % 3));
            XSync(screen_.display(), False);
            previous = screen_.awaitAt(xterm.x, xterm.y, [&](const ShownCursor& shown) {
                return shown != previous && wearsABadge(shown, own["xterm"]);
            });
        }
        return previous;
    };
    EXPECT_EQ(switchLayouts(3), english);
    const auto held = testing::serverResourcesOf(screen_.display(), program.pid());
    EXPECT_TRUE(held.contains("PICTURE")) << "no resources read";
    constexpr long switches = 60;
    constexpr long cursorPictureBytes = 32 * 32 * 4;
    EXPECT_EQ(switchLayouts(switches), english);
    for (const auto& [type, count] : testing::serverResourcesOf(screen_.display(), program.pid())) {
        const long growth = count - (held.contains(type) ? held.at(type) : 0);
        EXPECT_LT(growth, switches / 4 * (type == "pixmap bytes" ? cursorPictureBytes : 1))
            << type;
    }

    // A program started now loads the theme's own cursor; it gets the badge.
    ChildProcess lateXterm = server_.startClient({"xterm", "-geometry", "20x5+500+100"});
    EXPECT_EQ(screen_.awaitAt(560, 130, english, fromAway), english);

    // SIGTERM: the theme's own cursors everywhere.
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(60s), 0);
    screenIsOwnEverywhere("after SIGTERM");

    // Killed: the badge outlives the program until --restore puts the theme back.
    ChildProcess killed = startProgram();
    EXPECT_EQ(screen_.awaitAt(xterm.x, xterm.y, english, fromAway), english);
    killed.signal(SIGKILL);
    ASSERT_EQ(killed.waitForExit(10s), -SIGKILL);
    EXPECT_NE(screenAround(xterm), ownScreen["xterm"]);
    EXPECT_EQ(ChildProcess::run({TOLVANE_EXECUTABLE, "--session=x11", "--restore"},
                                server_.clientOptions(home_ / "restore.txt"), 60s),
              0);
    screenIsOwnEverywhere("after --restore");
    if (HasFailure()) {
        std::cerr << log() << contents(home_ / "output.txt");
    }
}

} // namespace
} // namespace tolvane
