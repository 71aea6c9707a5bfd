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
    std::vector<unsigned char> expected;
    {
        Image image = gradient(5, 3);
        pixels = image.bytes();
        expected.assign(image.bytes(), image.bytes() + image.byteCount());
        handedOver = makeWindowServerImage(image);
    }
    ASSERT_TRUE(handedOver);
    EXPECT_EQ(TVWSImageGetWidth(handedOver.get()), 5u);
    EXPECT_EQ(TVWSImageGetHeight(handedOver.get()), 3u);
    EXPECT_EQ(TVWSImageGetBytes(handedOver.get()), pixels);
    EXPECT_EQ(0,
              std::memcmp(TVWSImageGetBytes(handedOver.get()), expected.data(), expected.size()));
}

TEST(WindowServerObjectTest, AWindowServerImageBecomesAnImageOverTheSamePixels) {
    std::vector<std::uint32_t> source{0xff102030, 0x80402010, 0x00000000, 0xffffffff};
    WindowServerObject original(TVWSImageCreate(2, 2, 8, source.data()));
    ASSERT_TRUE(original);
    std::optional<Image> image = imageFromWindowServer(original.get());
    const unsigned char* shared = TVWSImageGetBytes(original.get());
    original.reset(); // the Image keeps the window-server image alive
    ASSERT_TRUE(image);
    EXPECT_EQ(image->bytes(), shared);
    EXPECT_EQ(image->width(), 2);
    EXPECT_EQ(image->pixel(0, 0), 0xff102030u);
    EXPECT_EQ(image->pixel(1, 0), 0x80402010u);
    EXPECT_EQ(image->pixel(1, 1), 0xffffffffu);

    // And back again: the round trip still shows the same pixels.
    WindowServerObject back = makeWindowServerImage(*image);
    EXPECT_EQ(TVWSImageGetBytes(back.get()), shared);
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

TEST(WindowServerObjectTest, ArraysKeepOrderAndOnlyTheirImages) {
    std::vector<Image> images{gradient(2, 2), gradient(3, 1), gradient(1, 4)};
    WindowServerObject array = makeWindowServerImageArray(images);
    ASSERT_EQ(TVWSArrayGetCount(array.get()), 3u);
    EXPECT_EQ(TVWSImageGetWidth(TVWSArrayGetValueAtIndex(array.get(), 1)), 3u);

    WindowServerObject opaque(TVWSOpaqueObjectCreate());
    std::vector<TVWSObjectRef> mixed{opaque.get(), TVWSArrayGetValueAtIndex(array.get(), 2),
                                     array.get(), TVWSArrayGetValueAtIndex(array.get(), 0)};
    WindowServerObject mixedArray(TVWSArrayCreate(mixed.data(), mixed.size()));
    std::vector<Image> back = imagesFromWindowServerArray(mixedArray.get());
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].bytes(), images[2].bytes());
    EXPECT_EQ(back[1].bytes(), images[0].bytes());

    EXPECT_TRUE(imagesFromWindowServerArray(nullptr).empty());
    EXPECT_EQ(TVWSArrayGetCount(makeWindowServerImageArray({}).get()), 0u);
}

} // namespace
} // namespace tolvane
