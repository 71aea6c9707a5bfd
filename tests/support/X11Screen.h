#pragma once

#include "support/XvfbDisplay.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// Before the X headers, whose macros (None, Status) clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <sys/types.h>

namespace tolvane::testing {

// A cursor as the screen shows it, or as a theme file holds it.
struct ShownCursor {
    int width = 0;
    int height = 0;
    int hotSpotX = 0;
    int hotSpotY = 0;
    std::vector<std::uint32_t> pixels;
    bool operator==(const ShownCursor&) const = default;
};

// Every frame of a theme's own cursor under the name, read from its file.
std::vector<ShownCursor> themeCursorFrames(const std::string& name, const std::string& theme,
                                           int size);

// What the clients of a process hold in the X server: resources by type
// name, and the bytes of their pixmaps under "pixmap bytes".
std::map<std::string, long> serverResourcesOf(Display* display, pid_t pid);

// The user's side of the display: windows with cursors loaded by name, the
// pointer moved with XTest and the cursor on screen read back.
class X11Screen {
  public:
    static constexpr auto patience = std::chrono::seconds(20);

    explicit X11Screen(const XvfbDisplay& server);
    ~X11Screen();
    X11Screen(const X11Screen&) = delete;
    X11Screen& operator=(const X11Screen&) = delete;

    Display* display() const { return display_; }
    // A window at (x, y), 100 points square, showing the theme's cursor of that name.
    static void openWindow(Display* display, int x, int y, const std::string& cursorName);
    void openWindow(int x, int y, const std::string& cursorName) const;

    // The cursor shown with the pointer at (x, y); empty when XFixes has none to give.
    ShownCursor at(int x, int y) const;
    // Waits until the cursor at (x, y) is accepted, doing `meanwhile` between
    // looks; what it shows at the end.
    ShownCursor awaitAt(int x, int y, const std::function<bool(const ShownCursor&)>& accepted,
                        const std::function<void()>& meanwhile = [] {}) const;
    ShownCursor awaitAt(int x, int y, const ShownCursor& expected,
                        const std::function<void()>& meanwhile = [] {}) const;

  private:
    Display* display_;
};

} // namespace tolvane::testing
