#include "runtime/WindowServerObject.h"

#include <cstring>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

Image gradient(int width, int height) {
    std::vector<std::uint32_t> pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.push_back(0xff000000u | static_cast<std::uint32_t>(i * 7919));
    }
    return *Image::fromPixels(width, height, width * 4,
                              reinterpret_cast<const unsigned char*>(pixels.data()));
}

TEST(WindowServerObjectTest, AnImageCrossesOverWithoutCopyingAndOutlivesItsOrigin) {
    WindowServerObject handedOver;
    const unsigned char* pixels = nullptr;
    {
        Image image = gradient(5, 3);
        pixels = image.bytes();
        handedOver = makeWindowServerImage(image);
    }
    ASSERT_TRUE(handedOver);
    EXPECT_EQ(TVWSImageGetWidth(handedOver.get()), 5u);
    EXPECT_EQ(TVWSImageGetHeight(handedOver.get()), 3u);
    EXPECT_EQ(TVWSImageGetBytes(handedOver.get()), pixels);
    EXPECT_EQ(imageFromWindowServer(handedOver.get())->pixel(4, 2), gradient(5, 3).pixel(4, 2));
}

TEST(WindowServerObjectTest, RowsCairoCannotAddressAreCopiedNonImagesAreNothing) {
    // 3 pixels of 4 bytes in rows 13 bytes apart: not a multiple of 4.
    std::vector<unsigned char> rows(13 * 2, 0);
    const std::uint32_t first = 0xff00ff00;
    const std::uint32_t last = 0x80808080;
    std::memcpy(rows.data(), &first, 4);
    std::memcpy(rows.data() + 13 + 8, &last, 4);
    WindowServerObject odd(TVWSImageCreate(3, 2, 13, rows.data()));
    std::optional<Image> image = imageFromWindowServer(odd.get());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixel(0, 0), first);
    EXPECT_EQ(image->pixel(2, 1), last);
    EXPECT_NE(image->bytes(), TVWSImageGetBytes(odd.get()));

    WindowServerObject opaque(TVWSOpaqueObjectCreate());
    EXPECT_FALSE(imageFromWindowServer(opaque.get()));
    EXPECT_FALSE(imageFromWindowServer(nullptr));
}

} // namespace
} // namespace tolvane
