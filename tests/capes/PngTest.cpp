#include "platform/Png.h"

#include "capes/PngCraft.h"

#include <gtest/gtest.h>
#include <spng.h>

namespace tolvane {
namespace {

// Premultiplied ARGB words: transparent, half-transparent colours and opaque ones.
Image sampleImage() {
    const int width = 5;
    const int height = 3;
    std::vector<std::uint32_t> pixels = {
        0x00000000, 0x80400000, 0x80004000, 0x80000040, 0xffff0000,
        0x01010000, 0x7f7f7f7f, 0xff123456, 0xc0c00000, 0x40102030,
        0xfe00fe00, 0x02020202, 0xffffffff, 0x10080402, 0x80808080,
    };
    return *Image::fromPixels(width, height, width * 4,
                              reinterpret_cast<const unsigned char*>(pixels.data()));
}

// Round trips of every kind of pixel, broken checksums and frames that claim
// enormous sizes are proven through the cape store (tests/capes/CursorCapeStoreTest).
TEST(Png, OtherReadersSeeStraightColours) {
    auto png = Png::encode(sampleImage());
    ASSERT_TRUE(png);
    // Another decoder reads straight alpha: pixel (1,0) is red 0x40 at alpha
    // 0x80, so its straight red is 0x80; a transparent pixel has no colour.
    spng_ctx* context = spng_ctx_new(0);
    spng_set_png_buffer(context, png->data(), png->size());
    std::vector<std::uint8_t> rgba(5 * 3 * 4);
    ASSERT_EQ(spng_decode_image(context, rgba.data(), rgba.size(), SPNG_FMT_RGBA8, 0), 0);
    spng_ctx_free(context);
    EXPECT_EQ(rgba[4], 0x80);
    EXPECT_EQ(rgba[7], 0x80);
    EXPECT_EQ(rgba[0], 0);
    EXPECT_EQ(rgba[3], 0);
}

TEST(Png, RefusesOversizedImagesBeforeDecodingAndDamagedInputWithAReason) {
    const auto png = *Png::encode(sampleImage());
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        PngLimits limits;
        bool tooLarge;
    } cases[] = {
        {"too wide", png, {4, 10, 100}, true},
        {"too many pixels in all", png, {10, 10, 14}, true},
        {"empty", {}, {}, false},
        {"not a PNG", {'n', 'o', 'p', 'e'}, {}, false},
        {"header only", {png.begin(), png.begin() + 20}, {}, false},
        {"cut short", {png.begin(), png.end() - 20}, {}, false},
        {"more rows than its data holds", testing::withClaimedSize(png, 5, 300), {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto decoded = Png::decode(c.bytes, c.limits);
        EXPECT_FALSE(decoded.image);
        EXPECT_FALSE(decoded.failure.empty());
        EXPECT_EQ(decoded.tooLarge, c.tooLarge);
    }
    EXPECT_EQ(Png::decode(png, PngLimits{10, 10, 14}).failure, "dimensions 5x3 exceed the limit");
    EXPECT_TRUE(Png::decode(png, PngLimits{5, 3, 15}).image);
}

} // namespace
} // namespace tolvane
