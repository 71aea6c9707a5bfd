// Tray icon pixels: premultiplied native words to straight ARGB bytes in network order.
#include "platform/x11/TrayIconPixmap.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(TrayIconPixmapTest, PixelsBecomeStraightArgbBytes) {
    const struct {
        std::uint32_t premultiplied;
        std::array<std::uint8_t, 4> bytes;
    } rows[] = {
        {0x00000000, {0x00, 0x00, 0x00, 0x00}}, // transparent
        {0x00ff00ff, {0x00, 0x00, 0x00, 0x00}}, // colour without coverage carries nothing
        {0xff336699, {0xff, 0x33, 0x66, 0x99}}, // opaque: unchanged, alpha first
        {0x80402010, {0x80, 0x80, 0x40, 0x20}}, // half covered: channels doubled, rounded
        {0x80804000, {0x80, 0xff, 0x80, 0x00}},
        {0x01010001, {0x01, 0xff, 0x00, 0xff}}, // the faintest edge pixel
        {0x10ff2010, {0x10, 0xff, 0xff, 0xff}}, // channels above alpha are clamped
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TrayIconPixmap::networkBytes(row.premultiplied), row.bytes)
            << std::hex << row.premultiplied;
    }

    // Row by row, left to right.
    const std::uint32_t pixels[] = {0xff000001, 0xff000002, 0xff000003, 0xff000004};
    auto image = Image::fromPixels(2, 2, 8, reinterpret_cast<const unsigned char*>(pixels));
    ASSERT_TRUE(image);
    const TrayIconPixmap pixmap = TrayIconPixmap::fromImage(*image);
    EXPECT_EQ(pixmap.width, 2);
    EXPECT_EQ(pixmap.height, 2);
    EXPECT_EQ(pixmap.bytes, (std::vector<std::uint8_t>{0xff, 0, 0, 1, 0xff, 0, 0, 2, 0xff, 0, 0, 3,
                                                       0xff, 0, 0, 4}));
}

} // namespace
} // namespace tolvane
