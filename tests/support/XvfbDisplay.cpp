#include "support/XvfbDisplay.h"

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
    server_ = ChildProcess::start(
        {"Xvfb", "-displayfd", std::to_string(writeEnd), "-noreset", "-nolisten", "tcp",
         "-screen", "0", std::to_string(options.width) + "x" + std::to_string(options.height) + "x24"},
        {});
    close(writeEnd);
    name_ = ":" + readDisplayNumber(*readEnd, server_);

    environment_ = options.environment;
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

} // namespace tolvane::testing
