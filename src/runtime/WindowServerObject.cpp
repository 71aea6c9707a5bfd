#include "runtime/WindowServerObject.h"

#include <cstdint>

namespace tolvane {

namespace {

void destroySurface(void* surface) {
    cairo_surface_destroy(static_cast<cairo_surface_t*>(surface));
}

void releaseWindowServerObject(void* object) {
    TVWSRelease(static_cast<TVWSObjectRef>(object));
}

const cairo_user_data_key_t windowServerImageKey{};

} // namespace

WindowServerObject makeWindowServerImage(const Image& image) {
    cairo_surface_t* surface = cairo_surface_reference(image.surface());
    TVWSImageRef result = TVWSImageCreateWithData(
        static_cast<size_t>(image.width()), static_cast<size_t>(image.height()),
        static_cast<size_t>(image.bytesPerRow()), image.bytes(), destroySurface, surface);
    if (result == nullptr) {
        cairo_surface_destroy(surface);
    }
    return WindowServerObject(result);
}

WindowServerObject makeWindowServerImageArray(const std::vector<Image>& images) {
    std::vector<WindowServerObject> owned;
    std::vector<TVWSObjectRef> values;
    owned.reserve(images.size());
    values.reserve(images.size());
    for (const Image& image : images) {
        owned.push_back(makeWindowServerImage(image));
        if (!owned.back()) {
            return nullptr;
        }
        values.push_back(owned.back().get());
    }
    return WindowServerObject(TVWSArrayCreate(values.data(), values.size()));
}

std::optional<Image> imageFromWindowServer(TVWSImageRef image) {
    if (!TVWSObjectIsImage(image)) {
        return std::nullopt;
    }
    auto width = static_cast<int>(TVWSImageGetWidth(image));
    auto height = static_cast<int>(TVWSImageGetHeight(image));
    auto bytesPerRow = static_cast<int>(TVWSImageGetBytesPerRow(image));
    const unsigned char* bytes = TVWSImageGetBytes(image);
    if (bytesPerRow % 4 != 0 || reinterpret_cast<std::uintptr_t>(bytes) % 4 != 0) {
        // Rows cairo cannot address in place: copy them.
        return Image::fromPixels(width, height, bytesPerRow, bytes);
    }
    // Cairo wants writable pixels; the image stays immutable because nothing
    // draws into an Image.
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        const_cast<unsigned char*>(bytes), CAIRO_FORMAT_ARGB32, width, height, bytesPerRow);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return std::nullopt;
    }
    if (cairo_surface_set_user_data(surface, &windowServerImageKey, TVWSRetain(image),
                                    releaseWindowServerObject) != CAIRO_STATUS_SUCCESS) {
        TVWSRelease(image);
        cairo_surface_destroy(surface);
        return std::nullopt;
    }
    return Image::adopt(surface);
}

std::vector<Image> imagesFromWindowServerArray(TVWSArrayRef array) {
    std::vector<Image> images;
    size_t count = TVWSArrayGetCount(array);
    for (size_t index = 0; index < count; ++index) {
        if (auto image = imageFromWindowServer(TVWSArrayGetValueAtIndex(array, index))) {
            images.push_back(*image);
        }
    }
    return images;
}

} // namespace tolvane
