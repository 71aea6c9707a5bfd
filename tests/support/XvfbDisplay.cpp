#include "support/XvfbDisplay.h"

#include <fstream>

#include <X11/Xcursor/Xcursor.h>
#include <X11/Xlib.h>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace tolvane::testing {

namespace {

constexpr auto serverPatience = std::chrono::seconds(20);

struct DescriptorCloser {
    void operator()(const int* descriptor) const {
        close(*descriptor);
        delete descriptor;
    }
};
using Descriptor = std::unique_ptr<int, DescriptorCloser>;

// Xvfb writes its display number and a line feed to the descriptor once it
// accepts connections.
std::string readDisplayNumber(int descriptor, ChildProcess& server) {
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + serverPatience;
    while (number.empty() || number.back() != '\n') {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !server.running()) {
            throw std::runtime_error("Xvfb did not report a display");
        }
        pollfd readable{descriptor, POLLIN, 0};
        if (poll(&readable, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        char byte = 0;
        const ssize_t got = read(descriptor, &byte, 1);
        if (got == 0) {
            throw std::runtime_error("Xvfb closed its display descriptor");
        }
        if (got == 1) {
            number.push_back(byte);
        }
    }
    number.pop_back();
    return number;
}

} // namespace

XvfbDisplay::XvfbDisplay(const Options& options) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    Descriptor readEnd(new int(pipeEnds[0]));
    // Only the server inherits the end it writes to.
    const int writeEnd = fcntl(pipeEnds[1], F_DUPFD, 10);
    close(pipeEnds[1]);
    std::vector<std::string> arguments{
        "Xvfb", "-displayfd", std::to_string(writeEnd), "-noreset", "-nolisten", "tcp", "-screen", "0",
        std::to_string(options.width) + "x" + std::to_string(options.height) + "x24"};
    if (options.framebufferDirectory) {
        arguments.insert(arguments.end(), {"-fbdir", options.framebufferDirectory->string()});
    }
    framebufferDirectory_ = options.framebufferDirectory;
    server_ = ChildProcess::start(arguments, {});
    close(writeEnd);
    name_ = ":" + readDisplayNumber(*readEnd, server_);

    // Clients of a private server keep off the user's session bus (the
    // program's tray icon lives there); a test wanting a bus brings its own.
    environment_ = {{"DBUS_SESSION_BUS_ADDRESS", std::nullopt}};
    environment_.insert(options.environment.begin(), options.environment.end());
    environment_["DISPLAY"] = name_;
    for (const auto& [variable, value] : environment_) {
        const char* previous = std::getenv(variable.c_str());
        previousEnvironment_[variable] =
            previous ? std::optional<std::string>(previous) : std::nullopt;
        if (value) {
            setenv(variable.c_str(), value->c_str(), 1);
        } else {
            unsetenv(variable.c_str());
        }
    }
    if (!options.keyboardLayouts.empty()) {
        std::string layouts;
        for (const std::string& layout : options.keyboardLayouts) {
            layouts += (layouts.empty() ? "" : ",") + layout;
        }
        if (ChildProcess::run({"setxkbmap", "-layout", layouts}, clientOptions()) != 0) {
            throw std::runtime_error("setxkbmap failed");
        }
    }
    if (options.rootCursor) {
        setRootCursor(*options.rootCursor);
    }
}

XvfbDisplay::~XvfbDisplay() {
    server_.stop();
    for (const auto& [variable, value] : previousEnvironment_) {
        if (value) {
            setenv(variable.c_str(), value->c_str(), 1);
        } else {
            unsetenv(variable.c_str());
        }
    }
}

ChildProcess::Options
XvfbDisplay::clientOptions(std::optional<std::filesystem::path> outputFile) const {
    return {environment_, std::move(outputFile)};
}

ChildProcess XvfbDisplay::startClient(const std::vector<std::string>& arguments,
                                      std::optional<std::filesystem::path> outputFile) const {
    return ChildProcess::start(arguments, clientOptions(std::move(outputFile)));
}

void XvfbDisplay::setRootCursor(const std::string& cursorName) const {
    Display* display = XOpenDisplay(name_.c_str());
    if (display == nullptr) {
        throw std::runtime_error("cannot open " + name_);
    }
    const Cursor cursor = XcursorLibraryLoadCursor(display, cursorName.c_str());
    if (cursor != None) {
        XDefineCursor(display, DefaultRootWindow(display), cursor);
        XFreeCursor(display, cursor);
    }
    XCloseDisplay(display);
    if (cursor == None) {
        throw std::runtime_error("the cursor theme has no " + cursorName);
    }
}

std::vector<std::uint32_t> XvfbDisplay::screenPixels(int x, int y, int width, int height) const {
    if (!framebufferDirectory_) {
        return {};
    }
    // An XWD file: a big-endian header (its size first, then the image's
    // width, height and bytes per line at words 4, 5 and 12, the colour count
    // at word 19), the colours, then 32-bit pixels.
    std::ifstream file(*framebufferDirectory_ / "Xvfb_screen0", std::ios::binary);
    auto word = [&](int index) {
        unsigned char bytes[4] = {};
        file.seekg(index * 4);
        file.read(reinterpret_cast<char*>(bytes), 4);
        return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
               std::uint32_t{bytes[2]} << 8 | bytes[3];
    };
    const std::uint32_t headerSize = word(0), screenWidth = word(4), screenHeight = word(5),
                        bytesPerLine = word(12), colours = word(19);
    if (!file || x < 0 || y < 0 || static_cast<std::uint32_t>(x + width) > screenWidth ||
        static_cast<std::uint32_t>(y + height) > screenHeight) {
        return {};
    }
    std::vector<std::uint32_t> pixels;
    std::vector<std::uint32_t> row(static_cast<std::size_t>(width));
    for (int line = y; line < y + height; ++line) {
        file.seekg(headerSize + colours * 12 + static_cast<std::uint32_t>(line) * bytesPerLine +
                   static_cast<std::uint32_t>(x) * 4);
        file.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(row.size() * 4));
        for (std::uint32_t pixel : row) {
            pixels.push_back(pixel & 0xFFFFFF);
        }
    }
    return file ? pixels : std::vector<std::uint32_t>{};
}

} // namespace tolvane::testing
