#include "support/X11Screen.h"

#include <X11/Xcursor/Xcursor.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>

#include <stdexcept>

namespace tolvane::testing {

std::vector<ShownCursor> themeCursorFrames(const std::string& name, const std::string& theme,
                                           int size) {
    std::vector<ShownCursor> frames;
    XcursorImages* images = XcursorLibraryLoadImages(name.c_str(), theme.c_str(), size);
    for (int index = 0; images != nullptr && index < images->nimage; ++index) {
        const XcursorImage* image = images->images[index];
        frames.push_back({static_cast<int>(image->width), static_cast<int>(image->height),
                          static_cast<int>(image->xhot), static_cast<int>(image->yhot),
                          std::vector<std::uint32_t>(image->pixels,
                                                     image->pixels + image->width * image->height)});
    }
    XcursorImagesDestroy(images);
    return frames;
}

std::map<std::string, long> serverResourcesOf(Display* display, pid_t pid) {
    std::map<std::string, long> held;
    XResClientIdSpec everyClient{0, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* ids = nullptr;
    if (XResQueryClientIds(display, 1, &everyClient, &count, &ids) != Success) {
        return held;
    }
    for (long index = 0; index < count; ++index) {
        if (XResGetClientPid(&ids[index]) != pid) {
            continue;
        }
        const auto& [clientId, length, value] = ids[index];
        const XID client = clientId.client;
        int types = 0;
        XResType* resources = nullptr;
        // Unlike the query of ids, these two return non-zero on success.
        if (XResQueryClientResources(display, client, &types, &resources) != 0) {
            for (int type = 0; type < types; ++type) {
                char* name = XGetAtomName(display, resources[type].resource_type);
                held[name != nullptr ? name : "?"] += static_cast<long>(resources[type].count);
                XFree(name);
            }
            XFree(resources);
        }
        unsigned long bytes = 0;
        if (XResQueryClientPixmapBytes(display, client, &bytes) != 0) {
            held["pixmap bytes"] += static_cast<long>(bytes);
        }
    }
    XResClientIdsDestroy(count, ids);
    return held;
}

X11Screen::X11Screen(const XvfbDisplay& server) : display_(XOpenDisplay(server.name().c_str())) {
    if (display_ == nullptr) {
        throw std::runtime_error("cannot open " + server.name());
    }
}

X11Screen::~X11Screen() { XCloseDisplay(display_); }

void X11Screen::openWindow(Display* display, int x, int y, const std::string& cursorName) {
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, 100, 100, 0, 0, 0);
    XDefineCursor(display, window, XcursorLibraryLoadCursor(display, cursorName.c_str()));
    XMapWindow(display, window);
    XSync(display, False);
}

void X11Screen::openWindow(int x, int y, const std::string& cursorName) const {
    openWindow(display_, x, y, cursorName);
}

ShownCursor X11Screen::at(int x, int y) const {
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    // The server queues a fake motion as input and handles it when it gets
    // round to it: once the pointer is there, it shows that place's cursor.
    waitUntil(
        [&] {
            Window root, child;
            int rootX = -1, rootY = -1, windowX, windowY;
            unsigned int mask;
            XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY,
                          &windowX, &windowY, &mask);
            return rootX == x && rootY == y;
        },
        std::chrono::duration_cast<std::chrono::milliseconds>(patience));
    ShownCursor shown;
    if (XFixesCursorImage* image = XFixesGetCursorImage(display_)) {
        shown = {image->width, image->height, image->xhot, image->yhot, {}};
        // One pixel per unsigned long, sign-extended: the low 32 bits are the pixel.
        for (std::size_t index = 0; index < std::size_t{image->width} * image->height; ++index) {
            shown.pixels.push_back(static_cast<std::uint32_t>(image->pixels[index]));
        }
        XFree(image);
    }
    return shown;
}

ShownCursor X11Screen::awaitAt(int x, int y,
                               const std::function<bool(const ShownCursor&)>& accepted,
                               const std::function<void()>& meanwhile) const {
    waitUntil(
        [&] {
            meanwhile();
            return accepted(at(x, y));
        },
        std::chrono::duration_cast<std::chrono::milliseconds>(patience));
    return at(x, y);
}

ShownCursor X11Screen::awaitAt(int x, int y, const ShownCursor& expected,
                               const std::function<void()>& meanwhile) const {
    return awaitAt(x, y, [&](const ShownCursor& shown) { return shown == expected; }, meanwhile);
}

} // namespace tolvane::testing
