#include "simws/WindowServerFixture.h"

namespace tolvane::testing {

std::string takeString(char* text) {
    std::string copy = text != nullptr ? text : "";
    tvws_free(text);
    return copy;
}

OwnedObject WindowServerTest::solidImage(std::size_t width, std::size_t height,
                                         std::uint32_t argb) {
    std::vector<std::uint32_t> pixels(width * height, argb);
    return OwnedObject(TVWSImageCreate(width, height, width * 4, pixels.data()));
}

OwnedObject WindowServerTest::arrayOf(std::initializer_list<TVWSObjectRef> values) {
    return OwnedObject(TVWSArrayCreate(values.begin(), values.size()));
}

TVWSStatus WindowServerTest::registerImages(const char* name, TVWSArrayRef images,
                                            std::size_t frameCount, TVWSSize size, bool globally,
                                            bool instantly) const {
    std::int32_t seed = 0;
    return CGSRegisterCursorWithImages(connection, name, globally ? 1 : 0, instantly ? 1 : 0,
                                       frameCount, images, &seed, size.width, size.height, 2, 3, 0);
}

CopiedCursor WindowServerTest::copyRegistered(const char* name) const {
    CopiedCursor copied;
    TVWSArrayRef images = nullptr;
    copied.status =
        CGSCopyRegisteredCursorImages(connection, name, &copied.size, &copied.hotSpot,
                                      &copied.frameCount, &copied.frameDuration, &images);
    copied.images.reset(images);
    return copied;
}

CopiedCursor WindowServerTest::copyCore(std::int32_t number) const {
    CopiedCursor copied;
    TVWSArrayRef images = nullptr;
    copied.status = CoreCursorCopyImages(connection, number, &images, &copied.size, &copied.hotSpot,
                                         &copied.frameCount, &copied.frameDuration);
    copied.images.reset(images);
    return copied;
}

GlobalCursorData WindowServerTest::globalCursorData() const {
    GlobalCursorData data;
    std::int32_t byteCount = 0;
    data.status = CGSGetGlobalCursorDataSize(connection, &byteCount);
    if (data.status != 0 || byteCount < 1) {
        return data;
    }
    data.bytes.assign(static_cast<std::size_t>(byteCount), 0);
    data.dataSize = byteCount;
    std::int32_t reserved = 0;
    data.status = CGSGetGlobalCursorData(connection, data.bytes.data(), &data.dataSize,
                                         &data.pixelSize, &data.hotSpot, &data.depth,
                                         &data.components, &data.bitsPerComponent, &reserved);
    data.bytes.resize(static_cast<std::size_t>(std::min(data.dataSize, byteCount)));
    return data;
}

std::vector<std::uint8_t> WindowServerTest::systemBytes(std::int32_t number) {
    TVWSCursorInfo info{};
    if (tvws_copy_system_cursor(number, &info) != 0) {
        return {};
    }
    OwnedObject images(info.images);
    return pixelBytes(TVWSArrayGetValueAtIndex(images.get(), 0));
}

} // namespace tolvane::testing
