#pragma once

#include "simws/Control.h"
#include "simws/SimwsLibrary.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace tolvane::testing {

struct ObjectReleaser {
    void operator()(TVWSObjectRef object) const { TVWSRelease(object); }
};
// One owned reference to a window-server object.
using OwnedObject = std::unique_ptr<TVWSObject, ObjectReleaser>;

// What CGSCopyRegisteredCursorImages or CoreCursorCopyImages handed back.
struct CopiedCursor {
    TVWSStatus status = -1;
    TVWSSize size{};
    TVWSPoint hotSpot{};
    std::size_t frameCount = 0;
    double frameDuration = 0;
    OwnedObject images;

    std::size_t count() const { return TVWSArrayGetCount(images.get()); }
    TVWSObjectRef image(std::size_t index) const {
        return TVWSArrayGetValueAtIndex(images.get(), index);
    }
};

// The pixels of the displayed cursor as CGSGetGlobalCursorData returns them.
struct GlobalCursorData {
    TVWSStatus status = -1;
    std::int32_t dataSize = 0;
    TVWSSize pixelSize{};
    TVWSPoint hotSpot{};
    std::int32_t depth = 0;
    std::int32_t components = 0;
    std::int32_t bitsPerComponent = 0;
    std::vector<std::uint8_t> bytes;
};

// The text of a string the control interface handed out, which is then freed.
std::string takeString(char* text);

// A member named after an exported function, looked up in `library`.
#define SIMWS_FUNCTION(symbol)                                                                     \
    const symbol##Function symbol = library.function<symbol##Function>(#symbol)

// Binds libsimws by path, as the runtime does; the test program also links it,
// so both reach the same window server. Every test starts from a fresh one.
class WindowServerTest : public ::testing::Test {
  protected:
    static constexpr TVWSConnection connection = TVWS_MAIN_CONNECTION_ID;

    void SetUp() override {
        ASSERT_TRUE(library.isOpen());
        tvws_reset();
    }
    void TearDown() override { tvws_reset(); }

    static OwnedObject solidImage(std::size_t width, std::size_t height, std::uint32_t argb);
    static OwnedObject arrayOf(std::initializer_list<TVWSObjectRef> values);

    TVWSStatus registerImages(const char* name, TVWSArrayRef images, std::size_t frameCount = 1,
                              TVWSSize size = {16, 16}, bool globally = true,
                              bool instantly = true) const;
    CopiedCursor copyRegistered(const char* name) const;
    CopiedCursor copyCore(std::int32_t number) const;
    GlobalCursorData globalCursorData() const;
    // The system's own artwork for a numbered cursor, first representation.
    static std::vector<std::uint8_t> systemBytes(std::int32_t number);

    SimwsLibrary library{TOLVANE_SIMWS_PATH};
    SIMWS_FUNCTION(CGSMainConnectionID);
    SIMWS_FUNCTION(CGSRegisterCursorWithImages);
    SIMWS_FUNCTION(CGSRegisterCursorWithImage);
    SIMWS_FUNCTION(CGSCopyRegisteredCursorImages);
    SIMWS_FUNCTION(CGSSetRegisteredCursor);
    SIMWS_FUNCTION(CGSCreateRegisteredCursorImage);
    SIMWS_FUNCTION(CGSCursorNameForSystemCursor);
    SIMWS_FUNCTION(CGSSetDockCursorOverride);
    SIMWS_FUNCTION(CGSShowCursor);
    SIMWS_FUNCTION(CGSHideCursor);
    SIMWS_FUNCTION(CGSGetCursorScale);
    SIMWS_FUNCTION(CGSSetCursorScale);
    SIMWS_FUNCTION(CGSRemoveRegisteredCursor);
    SIMWS_FUNCTION(CGSGetGlobalCursorDataSize);
    SIMWS_FUNCTION(CGSGetGlobalCursorData);
    SIMWS_FUNCTION(CGSCurrentCursorSeed);
    SIMWS_FUNCTION(CoreCursorUnregisterAll);
    SIMWS_FUNCTION(CoreCursorSet);
    SIMWS_FUNCTION(CoreCursorCopyImages);
};

#undef SIMWS_FUNCTION

} // namespace tolvane::testing
