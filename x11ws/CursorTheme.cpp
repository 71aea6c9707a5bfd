#include "CursorTheme.h"

#include "platform/x11/CursorThemeChoice.h"
#include "X11Log.h"

namespace tolvane {

CursorTheme CursorTheme::chosen(Display* display) {
    CursorThemeChoice choice = CursorThemeChoice::of(display);
    if (!choice.settingsProblem.empty()) {
        x11log(choice.settingsProblem);
    }
    x11log("cursor theme " + choice.name.value_or("(default)") + " size " +
           std::to_string(choice.size));
    return CursorTheme(std::move(choice.name), choice.size);
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
