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

// Binds libsimws by path, as the runtime does; the test program also links it,
// so both reach the same window server. Every test starts from a fresh one.
class WindowServerTest : public ::testing::Test {
  protected:
    static constexpr TVWSConnection connection = TVWS_MAIN_CONNECTION_ID;

    void SetUp() override { tvws_reset(); }
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
    const CGSMainConnectionIDFunction mainConnectionID =
        library.function<CGSMainConnectionIDFunction>("CGSMainConnectionID");
    const CGSRegisterCursorWithImagesFunction registerCursorWithImages =
        library.function<CGSRegisterCursorWithImagesFunction>("CGSRegisterCursorWithImages");
    const CGSRegisterCursorWithImageFunction registerCursorWithImage =
        library.function<CGSRegisterCursorWithImageFunction>("CGSRegisterCursorWithImage");
    const CGSCopyRegisteredCursorImagesFunction copyRegisteredCursorImages =
        library.function<CGSCopyRegisteredCursorImagesFunction>("CGSCopyRegisteredCursorImages");
    const CGSSetRegisteredCursorFunction setRegisteredCursor =
        library.function<CGSSetRegisteredCursorFunction>("CGSSetRegisteredCursor");
    const CGSCreateRegisteredCursorImageFunction createRegisteredCursorImage =
        library.function<CGSCreateRegisteredCursorImageFunction>("CGSCreateRegisteredCursorImage");
    const CGSCursorNameForSystemCursorFunction cursorNameForSystemCursor =
        library.function<CGSCursorNameForSystemCursorFunction>("CGSCursorNameForSystemCursor");
    const CGSSetDockCursorOverrideFunction setDockCursorOverride =
        library.function<CGSSetDockCursorOverrideFunction>("CGSSetDockCursorOverride");
    const CGSSetSystemDefinedCursorFunction setSystemDefinedCursor =
        library.function<CGSSetSystemDefinedCursorFunction>("CGSSetSystemDefinedCursor");
    const CGSSetSystemDefinedCursorWithSeedFunction setSystemDefinedCursorWithSeed =
        library.function<CGSSetSystemDefinedCursorWithSeedFunction>(
            "CGSSetSystemDefinedCursorWithSeed");
    const CGSShowCursorFunction showCursor =
        library.function<CGSShowCursorFunction>("CGSShowCursor");
    const CGSHideCursorFunction hideCursor =
        library.function<CGSHideCursorFunction>("CGSHideCursor");
    const CGSGetCursorScaleFunction getCursorScale =
        library.function<CGSGetCursorScaleFunction>("CGSGetCursorScale");
    const CGSSetCursorScaleFunction setCursorScale =
        library.function<CGSSetCursorScaleFunction>("CGSSetCursorScale");
    const CoreCursorUnregisterAllFunction coreCursorUnregisterAll =
        library.function<CoreCursorUnregisterAllFunction>("CoreCursorUnregisterAll");
    const CoreCursorSetFunction coreCursorSet =
        library.function<CoreCursorSetFunction>("CoreCursorSet");
    const CoreCursorSetAndReturnSeedFunction coreCursorSetAndReturnSeed =
        library.function<CoreCursorSetAndReturnSeedFunction>("CoreCursorSetAndReturnSeed");
    const CoreCursorCopyImagesFunction coreCursorCopyImages =
        library.function<CoreCursorCopyImagesFunction>("CoreCursorCopyImages");
    const CGSRemoveRegisteredCursorFunction removeRegisteredCursor =
        library.function<CGSRemoveRegisteredCursorFunction>("CGSRemoveRegisteredCursor");
    const CGSGetGlobalCursorDataSizeFunction getGlobalCursorDataSize =
        library.function<CGSGetGlobalCursorDataSizeFunction>("CGSGetGlobalCursorDataSize");
    const CGSGetGlobalCursorDataFunction getGlobalCursorData =
        library.function<CGSGetGlobalCursorDataFunction>("CGSGetGlobalCursorData");
    const CGSCurrentCursorSeedFunction currentCursorSeed =
        library.function<CGSCurrentCursorSeedFunction>("CGSCurrentCursorSeed");
};

} // namespace tolvane::testing
