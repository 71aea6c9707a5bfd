#include "runtime/WindowServerObject.h"

#include <cstring>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

// That an image crosses over without copying and outlives its origin is
// proven by the runtime's registration and snapshot tests.
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
