// Writes the cursor theme "tolvane-test" under the folder given as the only
// argument: every theme name of every shape as an Xcursor file drawn from the
// simulated window server's artwork at one pixel per point, so that the
// expected bytes of the X11 tests never depend on the machine's themes.
#include "XHeaders.h"

#include "ThemeCursorNames.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

using namespace tolvane;

namespace {

constexpr int nominalSize = 32;

bool writeShape(CursorShape shape, const std::filesystem::path& folder) {
    const CursorGeometry geometry = CursorArtwork::geometry(shape);
    XcursorImages* images = XcursorImagesCreate(geometry.frameCount);
    bool written = images != nullptr;
    for (int frame = 0; written && frame < geometry.frameCount; ++frame) {
        CairoSurfacePtr surface = CursorArtwork::draw(shape, frame, 1.0);
        if (!surface) {
            written = false;
            break;
        }
        const int width = cairo_image_surface_get_width(surface.get());
        const int height = cairo_image_surface_get_height(surface.get());
        const int stride = cairo_image_surface_get_stride(surface.get());
        XcursorImage* image = XcursorImageCreate(width, height);
        image->size = nominalSize;
        image->xhot = static_cast<XcursorDim>(std::lround(geometry.hotSpotX));
        image->yhot = static_cast<XcursorDim>(std::lround(geometry.hotSpotY));
        image->delay = static_cast<XcursorUInt>(std::lround(geometry.frameDuration * 1000));
        const unsigned char* data = cairo_image_surface_get_data(surface.get());
        for (int row = 0; row < height; ++row) {
            std::memcpy(image->pixels + row * width, data + row * stride,
                        static_cast<std::size_t>(width) * 4);
        }
        images->images[images->nimage++] = image;
    }
    for (std::string_view alias : ThemeCursorNames::aliases(shape)) {
        const std::string file = (folder / alias).string();
        written = written && XcursorFilenameSaveImages(file.c_str(), images);
    }
    if (images != nullptr) {
        XcursorImagesDestroy(images);
    }
    return written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / "tolvane-test" / "cursors";
    std::filesystem::create_directories(folder);
    for (int index = 0; index < cursorShapeCount; ++index) {
        if (!writeShape(static_cast<CursorShape>(index), folder)) {
            std::fprintf(stderr, "cannot write %s\n",
                         std::string(CursorArtwork::name(static_cast<CursorShape>(index))).c_str());
            return 1;
        }
    }
    return 0;
}
