#include "CursorTheme.h"

#include "platform/x11/X11ErrorTrap.h"
#include "XSettings.h"
#include "X11Log.h"

#include <X11/Xatom.h>

#include <climits>
#include <span>

namespace tolvane {

namespace {

struct XFreeDeleter {
    void operator()(unsigned char* data) const { XFree(data); }
};

// The settings of the screen's XSETTINGS manager; none without a manager or
// when its property cannot be read.
std::optional<XSettings> readXSettings(Display* display) {
    const std::string selection = "_XSETTINGS_S" + std::to_string(DefaultScreen(display));
    const Window owner = XGetSelectionOwner(display, XInternAtom(display, selection.c_str(), False));
    if (owner == None) {
        return std::nullopt;
    }
    const Atom property = XInternAtom(display, "_XSETTINGS_SETTINGS", False);
    X11ErrorTrap trap(display);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, owner, property, 0, LONG_MAX / 4, False,
                                          property, &type, &format, &count, &remaining, &data);
    std::unique_ptr<unsigned char, XFreeDeleter> owned(data);
    if (status != Success || trap.failed() || data == nullptr || format != 8) {
        x11log("XSETTINGS unreadable: the manager's property is missing or not 8-bit");
        return std::nullopt;
    }
    XSettings settings = XSettings::parse(std::span<const std::uint8_t>(data, count));
    if (!settings.failure.empty()) {
        x11log("XSETTINGS ignored: " + settings.failure);
        return std::nullopt;
    }
    return settings;
}

} // namespace

CursorTheme CursorTheme::chosen(Display* display) {
    const char* resourceTheme = XcursorGetTheme(display);
    std::optional<std::string> name =
        resourceTheme ? std::optional<std::string>(resourceTheme) : std::nullopt;
    int size = XcursorGetDefaultSize(display);
    if (const std::optional<XSettings> settings = readXSettings(display)) {
        if (auto theme = settings->strings.find("Gtk/CursorThemeName");
            theme != settings->strings.end() && !theme->second.empty()) {
            name = theme->second;
        }
        if (auto themeSize = settings->integers.find("Gtk/CursorThemeSize");
            themeSize != settings->integers.end() && themeSize->second > 0) {
            size = themeSize->second;
        }
    }
    x11log("cursor theme " + name.value_or("(default)") + " size " + std::to_string(size));
    return CursorTheme(std::move(name), size);
}

CursorTheme::CursorTheme(std::optional<std::string> name, int size)
    : name_(std::move(name)), size_(size) {}

std::shared_ptr<const CursorFrames> CursorTheme::load(const std::string& cursorName) {
    if (auto found = loaded_.find(cursorName); found != loaded_.end()) {
        return found->second;
    }
    std::shared_ptr<const CursorFrames> frames;
    if (XcursorImages* images = XcursorLibraryLoadImages(
            cursorName.c_str(), name_ ? name_->c_str() : nullptr, size_)) {
        frames = CursorFrames::fromXcursor(*images);
        XcursorImagesDestroy(images);
    }
    loaded_.emplace(cursorName, frames);
    return frames;
}

} // namespace tolvane
