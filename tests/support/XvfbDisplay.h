#pragma once

#include "support/ChildProcess.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane::testing {

// A private X server for one test: Xvfb on a display number it picks itself,
// started with -noreset (without it the server resets when its last client
// leaves and loses the keymap the test loaded). DISPLAY and the client
// environment are set in this process too while the server runs, so that
// Xlib, Xcursor and the clients the test starts all reach it.
class XvfbDisplay {
  public:
    struct Options {
        int width = 1024;
        int height = 768;
        // Loaded with setxkbmap when not empty, e.g. {"us", "ru", "de"}.
        std::vector<std::string> keyboardLayouts;
        // Variables for this process and every client, such as XCURSOR_PATH,
        // XCURSOR_THEME and XCURSOR_SIZE.
        ChildProcess::EnvironmentChanges environment;
        // The root window's cursor, loaded by name from the cursor theme as a
        // window manager would; none leaves the server's own.
        std::optional<std::string> rootCursor;
        // Where the server keeps its screen as a file (-fbdir), for screenPixels.
        std::optional<std::filesystem::path> framebufferDirectory;
    };

    // Throws when the server does not come up within the patience.
    explicit XvfbDisplay(const Options& options);
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    // ":N".
    const std::string& name() const { return name_; }
    pid_t serverPid() const { return server_.pid(); }
    // What a client of this server runs with.
    ChildProcess::Options clientOptions(std::optional<std::filesystem::path> outputFile = {}) const;
    // The screen as the user sees it, the pointer drawn in, row by row as
    // 0xRRGGBB; needs a framebuffer directory. Empty when it cannot be read.
    std::vector<std::uint32_t> screenPixels(int x, int y, int width, int height) const;
    ChildProcess startClient(const std::vector<std::string>& arguments,
                             std::optional<std::filesystem::path> outputFile = {}) const;

  private:
    void setRootCursor(const std::string& cursorName) const;

    ChildProcess server_;
    std::string name_;
    std::optional<std::filesystem::path> framebufferDirectory_;
    ChildProcess::EnvironmentChanges environment_;
    std::map<std::string, std::optional<std::string>> previousEnvironment_;
};

} // namespace tolvane::testing
