#pragma once

#include "platform/Image.h"
#include "runtime/WindowServerInterface.h"

#include <memory>
#include <optional>
#include <vector>

namespace tolvane {

struct WindowServerObjectRelease {
    void operator()(TVWSObjectRef object) const { TVWSRelease(object); }
};

// One owned reference to a window-server image, array or other object.
using WindowServerObject = std::unique_ptr<TVWSObject, WindowServerObjectRelease>;

// Both directions share the pixels instead of copying them: each side keeps the
// other's object alive for as long as it is used.

// A window-server image over the image's pixels; null when it cannot be made.
WindowServerObject makeWindowServerImage(const Image& image);
// An array holding every image, in order; null when one of them cannot be made.
WindowServerObject makeWindowServerImageArray(const std::vector<Image>& images);

// The image a window-server image shows; nothing for a non-image.
std::optional<Image> imageFromWindowServer(TVWSImageRef image);
// The array's elements that are images, in order; other elements are ignored.
std::vector<Image> imagesFromWindowServerArray(TVWSArrayRef array);

} // namespace tolvane
