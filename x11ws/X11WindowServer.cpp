// The display connection, its events and the displayed cursor.
#include "X11WindowServer.h"

#include "X11Log.h"
#include "platform/x11/X11ErrorTrap.h"


#include <algorithm>
#include <cstring>
#include <vector>

namespace tolvane {

X11WindowServer& X11WindowServer::shared() {
    static X11WindowServer* server = new X11WindowServer();
    return *server;
}

bool X11WindowServer::connect() {
    if (triedToConnect_) {
        return display_ != nullptr;
    }
    triedToConnect_ = true;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        x11log("no X display answers at DISPLAY");
        return false;
    }
    // Names in ChangeCursorByName and cursor names in notifications need XFixes 2.
    int fixesErrorBase = 0;
    int renderEventBase = 0;
    int renderErrorBase = 0;
    int fixesMajor = 0;
    int fixesMinor = 0;
    if (!XFixesQueryExtension(display, &fixesEventBase_, &fixesErrorBase) ||
        !XFixesQueryVersion(display, &fixesMajor, &fixesMinor) || fixesMajor < 2 ||
        !XRenderQueryExtension(display, &renderEventBase, &renderErrorBase)) {
        x11log("the X server lacks XFixes 2 or Render; cursors stay the theme's own");
        XCloseDisplay(display);
        return false;
    }
    display_ = display;
    XFixesSelectCursorInput(display_, DefaultRootWindow(display_), XFixesDisplayCursorNotifyMask);
    theme_ = CursorTheme::chosen(display_);
    return true;
}

bool X11WindowServer::accepts(TVWSConnection connection) {
    return connection == connectionID && connect();
}

TVWSConnection X11WindowServer::mainConnectionID() {
    return connect() ? connectionID : 0;
}

int X11WindowServer::connectionDescriptor() {
    return connect() ? ConnectionNumber(display_) : -1;
}

int X11WindowServer::dispatch() {
    if (display_ == nullptr) {
        return 0;
    }
    // XPending reads what the descriptor holds; events Xlib already queued
    // would not wake a poll again.
    int handled = 0;
    for (; XPending(display_) > 0; ++handled) {
        XEvent event;
        XNextEvent(display_, &event);
        handle(event);
    }
    return handled;
}

void X11WindowServer::handle(const XEvent& event) {
    if (event.type != fixesEventBase_ + XFixesCursorNotify) {
        return;
    }
    const auto& notify = reinterpret_cast<const XFixesCursorNotifyEvent&>(event);
    ++seed_;
    if (notify.cursor_name != None) {
        handleDisplayedCursor(notify.cursor_name);
    }
}

void X11WindowServer::handleDisplayedCursor(Atom name) {
    // A client that loaded the theme's cursor after we installed ours shows it
    // without our frames: install them again under its name.
    auto installed = installed_.find(atomName(name));
    if (installed == installed_.end()) {
        return;
    }
    const DisplayedCursor displayed = displayedCursor();
    if (!displayed || displayed->atom != name || installed->second->frames().shows(*displayed)) {
        reinstalled_.reset();
        return;
    }
    // Once is enough: a server that shows our cursor otherwise than we drew it
    // would answer every install with another notification.
    if (reinstalled_ == installed->first) {
        x11log("the server shows " + installed->first + " otherwise than installed; leaving it");
        return;
    }
    reinstalled_ = installed->first;
    const std::string_view names[] = {installed->first};
    installed->second->install(names);
}

const std::string& X11WindowServer::atomName(Atom atom) {
    auto found = atomNames_.find(atom);
    if (found == atomNames_.end()) {
        X11ErrorTrap trap(display_);
        std::unique_ptr<char, XFreeDeleter> name(XGetAtomName(display_, atom));
        found = atomNames_.emplace(atom, name && !trap.failed() ? name.get() : "").first;
    }
    return found->second;
}

X11WindowServer::DisplayedCursor X11WindowServer::displayedCursor() const {
    X11ErrorTrap trap(display_);
    DisplayedCursor displayed(XFixesGetCursorImage(display_));
    if (trap.failed() || !displayed || displayed->width == 0 || displayed->height == 0) {
        x11log("the displayed cursor cannot be read");
        return nullptr;
    }
    return displayed;
}

std::int32_t X11WindowServer::currentCursorSeed() {
    if (display_ != nullptr) {
        // Notifications of our own changes arrive once the server answered them.
        X11ErrorTrap::syncIfUnanswered(display_);
        dispatch();
    }
    return seed_;
}

TVWSStatus X11WindowServer::getGlobalCursorDataSize(TVWSConnection connection,
                                                    std::int32_t* outByteCount) {
    if (!accepts(connection)) {
        return 1002;
    }
    if (outByteCount == nullptr) {
        return 1001;
    }
    const DisplayedCursor displayed = displayedCursor();
    if (!displayed) {
        return 1011;
    }
    *outByteCount = static_cast<std::int32_t>(displayed->width) * displayed->height * 4;
    return 0;
}

TVWSStatus X11WindowServer::getGlobalCursorData(TVWSConnection connection, void* buffer,
                                                std::int32_t* inOutDataSize,
                                                TVWSSize* outPixelSize, TVWSPoint* outHotSpot,
                                                std::int32_t* outDepth,
                                                std::int32_t* outComponents,
                                                std::int32_t* outBitsPerComponent,
                                                std::int32_t* outReserved) {
    if (!accepts(connection)) {
        return 1002;
    }
    if (buffer == nullptr || inOutDataSize == nullptr) {
        return 1001;
    }
    const DisplayedCursor displayed = displayedCursor();
    if (!displayed) {
        return 1011;
    }
    const std::size_t count = std::size_t{displayed->width} * displayed->height;
    if (*inOutDataSize < 0 || static_cast<std::size_t>(*inOutDataSize) < count * 4) {
        return 1007;
    }
    // One pixel per unsigned long (8 bytes on 64-bit systems): each becomes
    // the 32-bit premultiplied ARGB value it holds.
    std::vector<std::uint32_t> pixels(count);
    std::transform(displayed->pixels, displayed->pixels + count, pixels.begin(),
                   [](unsigned long pixel) { return static_cast<std::uint32_t>(pixel); });
    std::memcpy(buffer, pixels.data(), count * 4);
    *inOutDataSize = static_cast<std::int32_t>(count * 4);
    if (outPixelSize != nullptr) {
        *outPixelSize = {static_cast<double>(displayed->width), static_cast<double>(displayed->height)};
    }
    if (outHotSpot != nullptr) {
        *outHotSpot = {static_cast<double>(displayed->xhot), static_cast<double>(displayed->yhot)};
    }
    for (auto [out, value] : {std::pair{outDepth, 32}, std::pair{outComponents, 4},
                              std::pair{outBitsPerComponent, 8}, std::pair{outReserved, 0}}) {
        if (out != nullptr) {
            *out = value;
        }
    }
    return 0;
}

} // namespace tolvane
