// The real program's tray icon and menu on a private Xvfb and a private
// session bus, seen by a small tray watcher of the test's own: what a tray
// host reads, and what a click in the tray's menu does.
#include "input/InputLanguage.h"
#include "platform/PropertyListDefaultsStore.h"
#include "platform/x11/TrayIconPixmap.h"
#include "render/CursorStyle.h"
#include "support/ChildProcess.h"
#include "support/TemporaryDirectory.h"
#include "support/X11Screen.h"
#include "support/XvfbDisplay.h"

#include <X11/XKBlib.h>
#include <cmath>
#include <map>
#include <systemd/sd-bus.h>

namespace tolvane {
namespace {

using testing::ChildProcess;
using testing::waitUntil;
using namespace std::chrono_literals;

// A private session bus: dbus-daemon without any service to start, so that
// no tray of the machine's answers in place of the test's own.
struct PrivateBus {
    explicit PrivateBus(const std::filesystem::path& folder) {
        testing::writeFile(folder / "bus.conf", R"(<busconfig>
  <type>session</type>
  <listen>unix:dir=)" + folder.string() + R"(</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/>
  </policy>
</busconfig>)");
        daemon =
            ChildProcess::start({"dbus-daemon", "--config-file=" + (folder / "bus.conf").string(),
                                 "--nofork", "--print-address=1"},
                                {{}, folder / "bus.txt"});
        EXPECT_TRUE(waitUntil(
            [&] { return testing::readFile(folder / "bus.txt").find('\n') != std::string::npos; },
            10s));
        address = testing::readFile(folder / "bus.txt");
        address = address.substr(0, address.find('\n'));
    }
    ChildProcess daemon;
    std::string address;
};

// The tray's side: an org.kde.StatusNotifierWatcher that records who
// registers, reads the item's properties and menu, and clicks.
class TrayWatcher {
  public:
    explicit TrayWatcher(const std::string& address) {
        sd_bus_new(&bus_);
        sd_bus_set_address(bus_, address.c_str());
        sd_bus_set_bus_client(bus_, 1);
        EXPECT_GE(sd_bus_start(bus_), 0);
        sd_bus_match_signal(
            bus_, nullptr, nullptr, "/StatusNotifierItem", "org.kde.StatusNotifierItem", "NewIcon",
            [](sd_bus_message*, void* self, sd_bus_error*) {
                ++static_cast<TrayWatcher*>(self)->newIcons;
                return 0;
            },
            this);
    }
    ~TrayWatcher() { sd_bus_flush_close_unref(bus_); }

    // Takes the watcher's name on the bus, as a tray starting up does.
    void claim() {
        static const sd_bus_vtable vtable[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("RegisterStatusNotifierItem", "s", "", &TrayWatcher::onRegister, 0),
            SD_BUS_VTABLE_END};
        EXPECT_GE(sd_bus_add_object_vtable(bus_, nullptr, "/StatusNotifierWatcher",
                                           "org.kde.StatusNotifierWatcher", vtable, this),
                  0);
        EXPECT_GE(sd_bus_request_name(bus_, "org.kde.StatusNotifierWatcher", 0), 0);
    }

    // Handles the bus until the condition holds; false at the deadline.
    bool await(const std::function<bool()>& condition) {
        return waitUntil(
            [&] {
                while (sd_bus_process(bus_, nullptr) > 0) {
                }
                return condition();
            },
            20s);
    }

    std::string toolTip() {
        std::string title;
        read("ToolTip", "(sa(iiay)ss)", [&](sd_bus_message* reply) {
            const char* text = nullptr;
            sd_bus_message_enter_container(reply, 'r', "sa(iiay)ss");
            sd_bus_message_skip(reply, "sa(iiay)");
            sd_bus_message_read(reply, "s", &text);
            title = text ? text : "";
        });
        return title;
    }

    // The icon's pictures: width, height and ARGB bytes.
    std::vector<TrayIconPixmap> icon() {
        std::vector<TrayIconPixmap> pictures;
        read("IconPixmap", "a(iiay)", [&](sd_bus_message* reply) {
            sd_bus_message_enter_container(reply, 'a', "(iiay)");
            while (sd_bus_message_enter_container(reply, 'r', "iiay") > 0) {
                int width = 0, height = 0;
                const void* bytes = nullptr;
                std::size_t size = 0;
                sd_bus_message_read(reply, "ii", &width, &height);
                sd_bus_message_read_array(reply, 'y', &bytes, &size);
                const auto* begin = static_cast<const std::uint8_t*>(bytes);
                pictures.push_back({width, height, {begin, begin + size}});
                sd_bus_message_exit_container(reply);
            }
        });
        return pictures;
    }

    // The menu as the outline of the application's menus reads, and its revision.
    std::pair<std::uint32_t, std::string> layout() {
        std::uint32_t revision = 0;
        std::string outline;
        sd_bus_message* reply = nullptr;
        if (sd_bus_call_method(bus_, registered.c_str(), "/MenuBar", "com.canonical.dbusmenu",
                               "GetLayout", nullptr, &reply, "iias", 0, -1, 0) >= 0) {
            sd_bus_message_read(reply, "u", &revision);
            readItem(reply, "", outline);
        }
        sd_bus_message_unref(reply);
        return {revision, outline.substr(outline.find('\n') + 1)};
    }

    // Clicks the item with this label, as read by the last layout().
    void click(const std::string& label) {
        ASSERT_TRUE(ids_.contains(label)) << label;
        EXPECT_GE(sd_bus_call_method(bus_, registered.c_str(), "/MenuBar", "com.canonical.dbusmenu",
                                     "Event", nullptr, nullptr, "isvu", ids_[label], "clicked", "s",
                                     "", 0u),
                  0);
    }

    std::string registered;
    int newIcons = 0;

  private:
    static int onRegister(sd_bus_message* call, void* self, sd_bus_error*) {
        const char* service = nullptr;
        sd_bus_message_read(call, "s", &service);
        static_cast<TrayWatcher*>(self)->registered = service;
        return sd_bus_reply_method_return(call, "");
    }

    void read(const char* property, const char* signature,
              const std::function<void(sd_bus_message*)>& value) {
        sd_bus_message* reply = nullptr;
        if (sd_bus_get_property(bus_, registered.c_str(), "/StatusNotifierItem",
                                "org.kde.StatusNotifierItem", property, nullptr, &reply,
                                signature) >= 0) {
            value(reply);
        }
        sd_bus_message_unref(reply);
    }

    // One (ia{sv}av) as an outline line, its children indented below it.
    void readItem(sd_bus_message* reply, const std::string& indent, std::string& out) {
        std::int32_t id = 0;
        std::map<std::string, std::string> properties;
        sd_bus_message_enter_container(reply, 'r', "ia{sv}av");
        sd_bus_message_read(reply, "i", &id);
        sd_bus_message_enter_container(reply, 'a', "{sv}");
        while (sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
            const char* name = nullptr;
            const char* type = nullptr;
            char kind = 0;
            sd_bus_message_read(reply, "s", &name);
            sd_bus_message_peek_type(reply, &kind, &type);
            sd_bus_message_enter_container(reply, 'v', type);
            const char* text = "";
            std::int32_t number = 0; // b and i alike
            if (type[0] == 's') {
                sd_bus_message_read(reply, "s", &text);
            } else {
                sd_bus_message_read_basic(reply, type[0], &number);
            }
            properties[name] = type[0] == 's' ? text : std::to_string(number);
            sd_bus_message_exit_container(reply);
            sd_bus_message_exit_container(reply);
        }
        sd_bus_message_exit_container(reply);
        ids_[properties["label"]] = id;
        out += indent + (properties["type"] == "separator" ? "---" : "") +
               (properties["toggle-state"] == "1" ? "✓ " : "") + properties["label"] +
               (properties["enabled"] == "0" ? " (disabled)" : "") + "\n";
        const std::string inner = id == 0 ? "" : indent + "    ";
        sd_bus_message_enter_container(reply, 'a', "v");
        while (sd_bus_message_enter_container(reply, 'v', "(ia{sv}av)") > 0) {
            readItem(reply, inner, out);
            sd_bus_message_exit_container(reply);
        }
        sd_bus_message_exit_container(reply);
        sd_bus_message_exit_container(reply);
    }

    sd_bus* bus_ = nullptr;
    std::map<std::string, std::int32_t> ids_;
};

// Whether most opaque pixels of the largest picture have the letter badge's
// fill colour for the language, within rounding.
bool showsBadgeOf(const std::vector<TrayIconPixmap>& icon, const std::string& code) {
    std::map<std::array<std::uint8_t, 4>, int> counts;
    const auto& bytes = icon.back().bytes;
    for (std::size_t at = 0; at + 3 < bytes.size(); at += 4) {
        ++counts[{bytes[at], bytes[at + 1], bytes[at + 2], bytes[at + 3]}];
    }
    counts.erase({0, 0, 0, 0});
    const auto most =
        std::max_element(counts.begin(), counts.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    const Color fill =
        CursorStyle(CursorStyle::letterBadge).marker(InputLanguage::make(code, "", ""))->fillColor;
    const double expected[] = {1.0, fill.red, fill.green, fill.blue};
    for (std::size_t channel = 0; most != counts.end() && channel < 4; ++channel) {
        if (std::abs(most->first[channel] - expected[channel] * 255) > 2) {
            return false;
        }
    }
    return most != counts.end();
}

TEST(X11TrayTest, TheTrayShowsTheBadgeMirrorsTheMenuAndItsClicksDoWhatTheMenuDoes) {
    testing::TemporaryDirectory home;
    testing::XvfbDisplay::Options options;
    options.keyboardLayouts = {"us", "ru", "de"};
    options.environment = {{"HOME", home.path().string()},
                           {"XDG_CONFIG_HOME", (home / "config").string()},
                           {"XDG_CACHE_HOME", (home / "cache").string()},
                           {"TOLVANE_LOG_FILE", (home / "Tolvane.log").string()},
                           {"XCURSOR_PATH", TOLVANE_X11WS_TEST_THEME_PATH},
                           {"XCURSOR_THEME", "tolvane-test"},
                           {"XCURSOR_SIZE", "32"}};
    options.rootCursor = "left_ptr";
    options.framebufferDirectory = home.path();
    testing::XvfbDisplay server(options);
    testing::X11Screen screen(server);
    PrivateBus bus(home.path());
    auto log = [&] { return testing::readFile(home / "Tolvane.log"); };
    const PropertyListDefaultsStore preferences(home / "config/tolvane/com.tolvane.app.plist");

    // The screen around the pointer before the program, for after it quits.
    auto screenAroundPointer = [&] {
        screen.at(500, 400);
        return server.screenPixels(468, 368, 96, 96);
    };
    std::vector<std::uint32_t> ownScreen;
    ASSERT_TRUE(waitUntil(
        [&] {
            auto now = screenAroundPointer();
            std::swap(now, ownScreen);
            return !now.empty() && now == ownScreen;
        },
        20s));

    // No tray yet: a warning, and the registration once a watcher comes.
    auto clientOptions = server.clientOptions(home / "output.txt");
    clientOptions.environment["DBUS_SESSION_BUS_ADDRESS"] = bus.address;
    ChildProcess program =
        ChildProcess::start({TOLVANE_EXECUTABLE, "--session=x11"}, clientOptions);
    ASSERT_TRUE(
        waitUntil([&] { return log().find("no StatusNotifierWatcher") != std::string::npos; }, 60s))
        << log();
    TrayWatcher tray(bus.address);
    tray.claim();
    ASSERT_TRUE(tray.await([&] { return !tray.registered.empty(); }));
    EXPECT_EQ(tray.registered,
              "org.kde.StatusNotifierItem-" + std::to_string(program.pid()) + "-1");
    EXPECT_TRUE(waitUntil([&] { return screenAroundPointer() != ownScreen; }, 20s)) << "no badge";

    // The icon is the layout's badge at every size, the tooltip names the layout.
    EXPECT_TRUE(tray.await([&] { return tray.toolTip() == "Tolvane: English (US)"; }))
        << tray.toolTip();
    const auto english = tray.icon();
    ASSERT_EQ(english.size(), 5u);
    for (const auto& picture : english) {
        EXPECT_EQ(picture.bytes.size(),
                  static_cast<std::size_t>(picture.width * picture.height * 4));
    }
    EXPECT_EQ(english.back().width, 48);
    EXPECT_TRUE(showsBadgeOf(english, "en"));

    // The menu, item for item.
    auto [revision, outline] = tray.layout();
    EXPECT_EQ(outline, "Cursor style\n"
                       "    System cursor\n"
                       "    ✓ Letter badge\n"
                       "    Color dot\n"
                       "    High contrast\n"
                       "Left-handed cursor\n"
                       "✓ Show Caps Lock\n"
                       "Primary layout: Not set\n"
                       "    Use current: English (US) [En]\n"
                       "    ---\n"
                       "    English (US) [En]\n"
                       "    German [DE]\n"
                       "    Russian [Ру]\n"
                       "Auto-return: Off\n"
                       "    ✓ Off\n"
                       "    5 seconds\n"
                       "    10 seconds\n"
                       "    30 seconds\n"
                       "    60 seconds\n"
                       "    300 seconds\n"
                       "    ---\n"
                       "    Custom seconds...\n"
                       "---\n"
                       "Reapply for current language\n"
                       "Restore OS cursor\n"
                       "---\n"
                       "Check for Updates...\n"
                       "Launch at Login\n"
                       "---\n"
                       "Quit\n");

    // A layout switch reaches the icon and the tooltip, with NewIcon.
    const int newIconsBefore = tray.newIcons;
    XkbLockGroup(screen.display(), XkbUseCoreKbd, 1);
    XSync(screen.display(), False);
    EXPECT_TRUE(tray.await([&] { return tray.toolTip() == "Tolvane: Russian"; })) << tray.toolTip();
    EXPECT_GT(tray.newIcons, newIconsBefore);
    EXPECT_TRUE(showsBadgeOf(tray.icon(), "ru"));

    // Clicks do what the menu does: check marks move, preferences are written,
    // and the host learns of every change through a new revision.
    const struct {
        const char* click;
        const char* line;
        const char* key;
        PropertyList value;
    } clicks[] = {
        {"High contrast", "    ✓ High contrast\n", "tolvane.cursor_style.global",
         PropertyList("highContrast")},
        {"Letter badge", "    ✓ Letter badge\n", "tolvane.cursor_style.global",
         PropertyList("letterBadge")},
        {"Left-handed cursor", "✓ Left-handed cursor\n", "tolvane.left_handed", PropertyList(true)},
        {"30 seconds", "    ✓ 30 seconds\n", "tolvane.primary_input_source_return_delay_seconds",
         PropertyList(std::int64_t{30})}};
    for (const auto& step : clicks) {
        tray.click(step.click);
        std::uint32_t before = revision;
        EXPECT_TRUE(tray.await([&] {
            std::tie(revision, outline) = tray.layout();
            return outline.find(step.line) != std::string::npos;
        })) << step.click
            << "\n"
            << outline;
        EXPECT_GT(revision, before) << step.click;
        EXPECT_TRUE(
            waitUntil([&] { return preferences.objectForKey(step.key) == step.value; }, 10s))
            << step.click;
    }
    EXPECT_NE(outline.find("Auto-return: 30 seconds\n"), std::string::npos) << outline;

    // Launch at Login writes the desktop's autostart entry, and takes it away.
    const auto autostart = home / "config/autostart/tolvane.desktop";
    for (const bool on : {true, false}) {
        tray.click("Launch at Login");
        EXPECT_TRUE(tray.await([&] {
            std::tie(revision, outline) = tray.layout();
            return (outline.find("✓ Launch at Login\n") != std::string::npos) == on;
        })) << outline;
        EXPECT_EQ(std::filesystem::exists(autostart), on);
    }

    // Quit ends the program, the theme's own cursors back on screen.
    tray.click("Quit");
    EXPECT_EQ(program.waitForExit(30s), 0);
    EXPECT_TRUE(waitUntil([&] { return screenAroundPointer() == ownScreen; }, 20s));
    if (HasFailure()) {
        std::cerr << log();
    }
}

} // namespace
} // namespace tolvane
