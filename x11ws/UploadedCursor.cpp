#include "UploadedCursor.h"

#include "platform/x11/X11ErrorTrap.h"

#include <X11/Xutil.h>

#include <bit>

namespace tolvane {

namespace {

// A premultiplied ARGB32 picture of the image, as Xcursor uploads its own.
Picture uploadPicture(Display* display, TVWSImageRef image) {
    std::vector<std::uint32_t> pixels = CursorFrames::packedPixels(image);
    const auto width = static_cast<unsigned>(TVWSImageGetWidth(image));
    const auto height = static_cast<unsigned>(TVWSImageGetHeight(image));
    const int byteOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    XImage ximage{};
    ximage.width = static_cast<int>(width);
    ximage.height = static_cast<int>(height);
    ximage.format = ZPixmap;
    ximage.data = reinterpret_cast<char*>(pixels.data());
    ximage.byte_order = byteOrder;
    ximage.bitmap_unit = 32;
    ximage.bitmap_bit_order = byteOrder;
    ximage.bitmap_pad = 32;
    ximage.depth = 32;
    ximage.bytes_per_line = static_cast<int>(width * 4);
    ximage.bits_per_pixel = 32;
    ximage.red_mask = 0xff0000;
    ximage.green_mask = 0xff00;
    ximage.blue_mask = 0xff;
    if (!XInitImage(&ximage)) {
        return None;
    }
    const Pixmap pixmap = XCreatePixmap(display, DefaultRootWindow(display), width, height, 32);
    GC gc = XCreateGC(display, pixmap, 0, nullptr);
    XPutImage(display, pixmap, gc, &ximage, 0, 0, 0, 0, width, height);
    XFreeGC(display, gc);
    const Picture picture = XRenderCreatePicture(
        display, pixmap, XRenderFindStandardFormat(display, PictStandardARGB32), 0, nullptr);
    XFreePixmap(display, pixmap);
    return picture;
}

} // namespace

std::shared_ptr<const UploadedCursor>
UploadedCursor::upload(Display* display, std::shared_ptr<const CursorFrames> frames) {
    if (!frames || frames->frames.empty()) {
        return nullptr;
    }
    X11ErrorTrap trap(display);
    std::shared_ptr<UploadedCursor> uploaded(new UploadedCursor(display, std::move(frames)));
    for (const CursorFrames::Frame& frame : uploaded->frames_->frames) {
        const Picture picture = uploadPicture(display, frame.image.get());
        if (picture == None) {
            return nullptr;
        }
        uploaded->pictures_.push_back(picture);
    }
    return !trap.failed() ? uploaded : nullptr;
}

UploadedCursor::~UploadedCursor() {
    X11ErrorTrap trap(display_);
    for (Picture picture : pictures_) {
        XRenderFreePicture(display_, picture);
    }
}

Cursor UploadedCursor::makeCursor() const {
    const auto& frames = frames_->frames;
    auto frameCursor = [&](std::size_t index) {
        return XRenderCreateCursor(display_, pictures_[index],
                                   static_cast<unsigned>(frames[index].hotSpotX),
                                   static_cast<unsigned>(frames[index].hotSpotY));
    };
    if (frames.size() == 1) {
        return frameCursor(0);
    }
    std::vector<XAnimCursor> animation;
    for (std::size_t index = 0; index < frames.size(); ++index) {
        animation.push_back({frameCursor(index), frames[index].delayMilliseconds});
    }
    const Cursor cursor =
        XRenderCreateAnimCursor(display_, static_cast<int>(animation.size()), animation.data());
    for (const XAnimCursor& frame : animation) {
        XFreeCursor(display_, frame.cursor);
    }
    return cursor;
}

bool UploadedCursor::install(std::span<const std::string_view> names) const {
    // One trap, so one round trip, for every name.
    X11ErrorTrap trap(display_);
    for (std::string_view alias : names) {
        const std::string name(alias);
        const Cursor cursor = makeCursor();
        // Named first: the cursors we replace take our cursor's name, and must keep theirs.
        XFixesSetCursorName(display_, cursor, name.c_str());
        XFixesChangeCursorByName(display_, cursor, name.c_str());
        XFreeCursor(display_, cursor);
    }
    return !trap.failed();
}

} // namespace tolvane
