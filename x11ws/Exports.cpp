// The exported cursor interface over X: every function of the runtime's table
// under its "CGS" and "SLS" names, the four "CoreCursor" names, and the two
// functions that put the display connection on the program's run loop. X has
// no cursor scale of its own: the scale functions are left out, so the
// program never stands in for the user's cursor size.
#include "X11WindowServer.h"

#include <type_traits>

#define TVX11_API extern "C" __attribute__((visibility("default")))

namespace {

tolvane::X11WindowServer& server() {
    return tolvane::X11WindowServer::shared();
}

} // namespace

// Checks a definition against the function shape the program calls it through.
#define TVX11_SHAPE(P, name)                                                                       \
    static_assert(std::is_same_v<decltype(&P##name), CGS##name##Function>, #P #name);

#define TVX11_DEFINE_CURSOR_FUNCTIONS(P)                                                           \
    TVX11_API TVWSConnection P##MainConnectionID(void) { return server().mainConnectionID(); }     \
    TVX11_SHAPE(P, MainConnectionID)                                                               \
    TVX11_API TVWSStatus P##RegisterCursorWithImages(                                              \
        TVWSConnection connection, const char* name, int32_t, int32_t, size_t frameCount,          \
        TVWSArrayRef images, int32_t* outSeed, double width, double height, double hotSpotX,       \
        double hotSpotY, double frameDuration) {                                                   \
        return server().registerCursor(connection, name, frameCount, images, outSeed,              \
                                       {width, height}, {hotSpotX, hotSpotY}, frameDuration);      \
    }                                                                                              \
    TVX11_SHAPE(P, RegisterCursorWithImages)                                                       \
    TVX11_API TVWSStatus P##RegisterCursorWithImage(                                               \
        TVWSConnection connection, const char* name, int32_t, int32_t, int32_t, TVWSImageRef image, \
        int32_t* outSeed, double width, double height, double hotSpotX, double hotSpotY, double,   \
        double) {                                                                                  \
        return server().registerCursorImage(connection, name, image, outSeed, {width, height},     \
                                            {hotSpotX, hotSpotY});                                 \
    }                                                                                              \
    TVX11_SHAPE(P, RegisterCursorWithImage)                                                        \
    TVX11_API TVWSStatus P##CopyRegisteredCursorImages(                                            \
        TVWSConnection connection, const char* name, TVWSSize* outSize, TVWSPoint* outHotSpot,     \
        size_t* outFrameCount, double* outFrameDuration, TVWSArrayRef* outImages) {                \
        return server().copyRegisteredCursorImages(connection, name, outSize, outHotSpot,          \
                                                   outFrameCount, outFrameDuration, outImages);    \
    }                                                                                              \
    TVX11_SHAPE(P, CopyRegisteredCursorImages)                                                     \
    TVX11_API TVWSStatus P##SetRegisteredCursor(TVWSConnection connection, const char* name,       \
                                                int32_t* outSeed) {                                \
        return server().setRegisteredCursor(connection, name, outSeed);                            \
    }                                                                                              \
    TVX11_SHAPE(P, SetRegisteredCursor)                                                            \
    TVX11_API TVWSImageRef P##CreateRegisteredCursorImage(                                         \
        TVWSConnection connection, const char* name, TVWSPoint* outHotSpot) {                      \
        return server().createRegisteredCursorImage(connection, name, outHotSpot);                 \
    }                                                                                              \
    TVX11_SHAPE(P, CreateRegisteredCursorImage)                                                    \
    TVX11_API const char* P##CursorNameForSystemCursor(int32_t systemCursor) {                     \
        return server().cursorNameForSystemCursor(systemCursor);                                   \
    }                                                                                              \
    TVX11_SHAPE(P, CursorNameForSystemCursor)                                                      \
    TVX11_API TVWSStatus P##SetDockCursorOverride(TVWSConnection connection, int32_t) {            \
        return server().setDockCursorOverride(connection);                                         \
    }                                                                                              \
    TVX11_SHAPE(P, SetDockCursorOverride)                                                          \
    TVX11_API TVWSStatus P##SetSystemDefinedCursor(TVWSConnection connection,                      \
                                                   int32_t systemCursor) {                         \
        return server().setNumberedCursor(connection, systemCursor, false, nullptr);               \
    }                                                                                              \
    TVX11_SHAPE(P, SetSystemDefinedCursor)                                                         \
    TVX11_API TVWSStatus P##SetSystemDefinedCursorWithSeed(                                        \
        TVWSConnection connection, int32_t systemCursor, int32_t* outSeed) {                       \
        return server().setNumberedCursor(connection, systemCursor, false, outSeed);               \
    }                                                                                              \
    TVX11_SHAPE(P, SetSystemDefinedCursorWithSeed)                                                 \
    TVX11_API TVWSStatus P##ShowCursor(TVWSConnection connection) {                                \
        return server().showCursor(connection);                                                    \
    }                                                                                              \
    TVX11_SHAPE(P, ShowCursor)                                                                     \
    TVX11_API TVWSStatus P##HideCursor(TVWSConnection connection) {                                \
        return server().hideCursor(connection);                                                    \
    }                                                                                              \
    TVX11_SHAPE(P, HideCursor)                                                                     \
    TVX11_API TVWSStatus P##RemoveRegisteredCursor(TVWSConnection connection, const char* name) {  \
        return server().removeRegisteredCursor(connection, name);                                  \
    }                                                                                              \
    TVX11_SHAPE(P, RemoveRegisteredCursor)                                                         \
    TVX11_API TVWSStatus P##GetGlobalCursorDataSize(TVWSConnection connection,                     \
                                                    int32_t* outByteCount) {                       \
        return server().getGlobalCursorDataSize(connection, outByteCount);                         \
    }                                                                                              \
    TVX11_SHAPE(P, GetGlobalCursorDataSize)                                                        \
    TVX11_API TVWSStatus P##GetGlobalCursorData(                                                   \
        TVWSConnection connection, void* buffer, int32_t* inOutDataSize, TVWSSize* outPixelSize,   \
        TVWSPoint* outHotSpot, int32_t* outDepth, int32_t* outComponents,                          \
        int32_t* outBitsPerComponent, int32_t* outReserved) {                                      \
        return server().getGlobalCursorData(connection, buffer, inOutDataSize, outPixelSize,       \
                                            outHotSpot, outDepth, outComponents,                   \
                                            outBitsPerComponent, outReserved);                     \
    }                                                                                              \
    TVX11_SHAPE(P, GetGlobalCursorData)                                                            \
    TVX11_API int32_t P##CurrentCursorSeed(void) { return server().currentCursorSeed(); }          \
    TVX11_SHAPE(P, CurrentCursorSeed)

TVX11_DEFINE_CURSOR_FUNCTIONS(CGS)
TVX11_DEFINE_CURSOR_FUNCTIONS(SLS)

TVX11_API TVWSStatus CoreCursorUnregisterAll(TVWSConnection connection) {
    return server().unregisterAll(connection);
}
static_assert(std::is_same_v<decltype(&CoreCursorUnregisterAll), CoreCursorUnregisterAllFunction>);

TVX11_API TVWSStatus CoreCursorSet(TVWSConnection connection, int32_t coreCursor) {
    return server().setNumberedCursor(connection, coreCursor, true, nullptr);
}
static_assert(std::is_same_v<decltype(&CoreCursorSet), CoreCursorSetFunction>);

TVX11_API TVWSStatus CoreCursorSetAndReturnSeed(TVWSConnection connection, int32_t coreCursor,
                                                int32_t* outSeed) {
    return server().setNumberedCursor(connection, coreCursor, true, outSeed);
}
static_assert(
    std::is_same_v<decltype(&CoreCursorSetAndReturnSeed), CoreCursorSetAndReturnSeedFunction>);

TVX11_API TVWSStatus CoreCursorCopyImages(TVWSConnection connection, int32_t coreCursor,
                                          TVWSArrayRef* outImages, TVWSSize* outSize,
                                          TVWSPoint* outHotSpot, size_t* outFrameCount,
                                          double* outFrameDuration) {
    return server().copyCoreCursorImages(connection, coreCursor, outImages, outSize, outHotSpot,
                                         outFrameCount, outFrameDuration);
}
static_assert(std::is_same_v<decltype(&CoreCursorCopyImages), CoreCursorCopyImagesFunction>);

TVX11_API int tvx11_connection_descriptor(void) {
    return server().connectionDescriptor();
}
static_assert(std::is_same_v<decltype(&tvx11_connection_descriptor), TVX11ConnectionDescriptorFunction>);

TVX11_API int tvx11_dispatch(void) {
    return server().dispatch();
}
static_assert(std::is_same_v<decltype(&tvx11_dispatch), TVX11DispatchFunction>);
