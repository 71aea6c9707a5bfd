// The exported cursor interface. Each function of the runtime's table is
// defined under its "CGS" and "SLS" names (the four "CoreCursor" functions under
// their single name); compile definitions leave groups of names out so that
// variant builds can test how the runtime binds:
//   SIMWS_SLS_ONLY      no "CGS" names
//   SIMWS_NO_SCALE      neither get- nor set-scale function
//   SIMWS_NO_SET_SCALE  no set-scale function
//   SIMWS_EMPTY         nothing of the cursor interface
#include "server/WindowServer.h"

#include <type_traits>

#define TVWS_API extern "C" __attribute__((visibility("default")))

#if defined(SIMWS_EMPTY)
#define SIMWS_EXPORTS_CGS 0
#define SIMWS_EXPORTS_SLS 0
#define SIMWS_EXPORTS_CORE_CURSOR 0
#elif defined(SIMWS_SLS_ONLY)
#define SIMWS_EXPORTS_CGS 0
#define SIMWS_EXPORTS_SLS 1
#define SIMWS_EXPORTS_CORE_CURSOR 1
#else
#define SIMWS_EXPORTS_CGS 1
#define SIMWS_EXPORTS_SLS 1
#define SIMWS_EXPORTS_CORE_CURSOR 1
#endif

#if defined(SIMWS_NO_SCALE)
#define SIMWS_EXPORTS_GET_SCALE 0
#define SIMWS_EXPORTS_SET_SCALE 0
#elif defined(SIMWS_NO_SET_SCALE)
#define SIMWS_EXPORTS_GET_SCALE 1
#define SIMWS_EXPORTS_SET_SCALE 0
#else
#define SIMWS_EXPORTS_GET_SCALE 1
#define SIMWS_EXPORTS_SET_SCALE 1
#endif

namespace {

// Unused in the build that exports nothing of the cursor interface.
[[maybe_unused]] tolvane::WindowServer& server() {
    return tolvane::WindowServer::shared();
}

} // namespace

// Checks a definition against the function shape the program calls it through.
#define TVWS_SHAPE(P, name)                                                                        \
    static_assert(std::is_same_v<decltype(&P##name), CGS##name##Function>, #P #name);

#define TVWS_DEFINE_CURSOR_FUNCTIONS(P)                                                            \
    TVWS_API TVWSConnection P##MainConnectionID(void) {                                            \
        return server().mainConnectionID(#P "MainConnectionID");                                   \
    }                                                                                              \
    TVWS_SHAPE(P, MainConnectionID)                                                                \
    TVWS_API TVWSStatus P##RegisterCursorWithImages(                                               \
        TVWSConnection connection, const char* name, int32_t setGlobally, int32_t instantly,       \
        size_t frameCount, TVWSArrayRef images, int32_t* outSeed, double width, double height,     \
        double hotSpotX, double hotSpotY, double frameDuration) {                                  \
        return server().registerCursorWithImages(                                                  \
            #P "RegisterCursorWithImages", connection, name, setGlobally, instantly, frameCount,   \
            images, outSeed, {width, height}, {hotSpotX, hotSpotY}, frameDuration);                \
    }                                                                                              \
    TVWS_SHAPE(P, RegisterCursorWithImages)                                                        \
    TVWS_API TVWSStatus P##RegisterCursorWithImage(                                                \
        TVWSConnection connection, const char* name, int32_t setGlobally, int32_t instantly,       \
        int32_t reserved, TVWSImageRef image, int32_t* outSeed, double width, double height,       \
        double hotSpotX, double hotSpotY, double scaleX, double scaleY) {                          \
        return server().registerCursorWithImage(                                                   \
            #P "RegisterCursorWithImage", connection, name, setGlobally, instantly, reserved,      \
            image, outSeed, {width, height}, {hotSpotX, hotSpotY}, scaleX, scaleY);                \
    }                                                                                              \
    TVWS_SHAPE(P, RegisterCursorWithImage)                                                         \
    TVWS_API TVWSStatus P##CopyRegisteredCursorImages(                                             \
        TVWSConnection connection, const char* name, TVWSSize* outSize, TVWSPoint* outHotSpot,     \
        size_t* outFrameCount, double* outFrameDuration, TVWSArrayRef* outImages) {                \
        return server().copyRegisteredCursorImages(#P "CopyRegisteredCursorImages", connection,    \
                                                   name, outSize, outHotSpot, outFrameCount,       \
                                                   outFrameDuration, outImages);                   \
    }                                                                                              \
    TVWS_SHAPE(P, CopyRegisteredCursorImages)                                                      \
    TVWS_API TVWSStatus P##SetRegisteredCursor(TVWSConnection connection, const char* name,        \
                                               int32_t* outSeed) {                                 \
        return server().setRegisteredCursor(#P "SetRegisteredCursor", connection, name, outSeed);  \
    }                                                                                              \
    TVWS_SHAPE(P, SetRegisteredCursor)                                                             \
    TVWS_API TVWSImageRef P##CreateRegisteredCursorImage(                                          \
        TVWSConnection connection, const char* name, TVWSPoint* outHotSpot) {                      \
        return server().createRegisteredCursorImage(#P "CreateRegisteredCursorImage", connection,  \
                                                    name, outHotSpot);                             \
    }                                                                                              \
    TVWS_SHAPE(P, CreateRegisteredCursorImage)                                                     \
    TVWS_API const char* P##CursorNameForSystemCursor(int32_t systemCursor) {                      \
        return server().cursorNameForSystemCursor(#P "CursorNameForSystemCursor", systemCursor);   \
    }                                                                                              \
    TVWS_SHAPE(P, CursorNameForSystemCursor)                                                       \
    TVWS_API TVWSStatus P##SetDockCursorOverride(TVWSConnection connection, int32_t enabled) {     \
        return server().setDockCursorOverride(#P "SetDockCursorOverride", connection, enabled);    \
    }                                                                                              \
    TVWS_SHAPE(P, SetDockCursorOverride)                                                           \
    TVWS_API TVWSStatus P##SetSystemDefinedCursor(TVWSConnection connection,                       \
                                                  int32_t systemCursor) {                          \
        return server().setNumberedCursor(#P "SetSystemDefinedCursor", connection, systemCursor,   \
                                          nullptr, TVWS_FN_SET_SYSTEM_DEFINED_CURSOR);             \
    }                                                                                              \
    TVWS_SHAPE(P, SetSystemDefinedCursor)                                                          \
    TVWS_API TVWSStatus P##SetSystemDefinedCursorWithSeed(                                         \
        TVWSConnection connection, int32_t systemCursor, int32_t* outSeed) {                       \
        return server().setNumberedCursor(#P "SetSystemDefinedCursorWithSeed", connection,         \
                                          systemCursor, outSeed,                                   \
                                          TVWS_FN_SET_SYSTEM_DEFINED_CURSOR_WITH_SEED);            \
    }                                                                                              \
    TVWS_SHAPE(P, SetSystemDefinedCursorWithSeed)                                                  \
    TVWS_API TVWSStatus P##ShowCursor(TVWSConnection connection) {                                 \
        return server().showCursor(#P "ShowCursor", connection);                                   \
    }                                                                                              \
    TVWS_SHAPE(P, ShowCursor)                                                                      \
    TVWS_API TVWSStatus P##HideCursor(TVWSConnection connection) {                                 \
        return server().hideCursor(#P "HideCursor", connection);                                   \
    }                                                                                              \
    TVWS_SHAPE(P, HideCursor)                                                                      \
    TVWS_API TVWSStatus P##RemoveRegisteredCursor(TVWSConnection connection, const char* name) {   \
        return server().removeRegisteredCursor(#P "RemoveRegisteredCursor", connection, name);     \
    }                                                                                              \
    TVWS_SHAPE(P, RemoveRegisteredCursor)                                                          \
    TVWS_API TVWSStatus P##GetGlobalCursorDataSize(TVWSConnection connection,                      \
                                                   int32_t* outByteCount) {                        \
        return server().getGlobalCursorDataSize(#P "GetGlobalCursorDataSize", connection,          \
                                                outByteCount);                                     \
    }                                                                                              \
    TVWS_SHAPE(P, GetGlobalCursorDataSize)                                                         \
    TVWS_API TVWSStatus P##GetGlobalCursorData(                                                    \
        TVWSConnection connection, void* buffer, int32_t* inOutDataSize, TVWSSize* outPixelSize,   \
        TVWSPoint* outHotSpot, int32_t* outDepth, int32_t* outComponents,                          \
        int32_t* outBitsPerComponent, int32_t* outReserved) {                                      \
        return server().getGlobalCursorData(#P "GetGlobalCursorData", connection, buffer,          \
                                            inOutDataSize, outPixelSize, outHotSpot, outDepth,     \
                                            outComponents, outBitsPerComponent, outReserved);      \
    }                                                                                              \
    TVWS_SHAPE(P, GetGlobalCursorData)                                                             \
    TVWS_API int32_t P##CurrentCursorSeed(void) {                                                  \
        return server().currentCursorSeed(#P "CurrentCursorSeed");                                 \
    }                                                                                              \
    TVWS_SHAPE(P, CurrentCursorSeed)

#define TVWS_DEFINE_GET_SCALE(P)                                                                   \
    TVWS_API TVWSStatus P##GetCursorScale(TVWSConnection connection, float* outScale) {            \
        return server().getCursorScale(#P "GetCursorScale", connection, outScale);                 \
    }                                                                                              \
    TVWS_SHAPE(P, GetCursorScale)

#define TVWS_DEFINE_SET_SCALE(P)                                                                   \
    TVWS_API TVWSStatus P##SetCursorScale(TVWSConnection connection, float scale) {                \
        return server().setCursorScale(#P "SetCursorScale", connection, scale);                    \
    }                                                                                              \
    TVWS_SHAPE(P, SetCursorScale)

#if SIMWS_EXPORTS_CGS
TVWS_DEFINE_CURSOR_FUNCTIONS(CGS)
#if SIMWS_EXPORTS_GET_SCALE
TVWS_DEFINE_GET_SCALE(CGS)
#endif
#if SIMWS_EXPORTS_SET_SCALE
TVWS_DEFINE_SET_SCALE(CGS)
#endif
#endif

#if SIMWS_EXPORTS_SLS
TVWS_DEFINE_CURSOR_FUNCTIONS(SLS)
#if SIMWS_EXPORTS_GET_SCALE
TVWS_DEFINE_GET_SCALE(SLS)
#endif
#if SIMWS_EXPORTS_SET_SCALE
TVWS_DEFINE_SET_SCALE(SLS)
#endif
#endif

#if SIMWS_EXPORTS_CORE_CURSOR
TVWS_API TVWSStatus CoreCursorUnregisterAll(TVWSConnection connection) {
    return server().unregisterAll("CoreCursorUnregisterAll", connection);
}
static_assert(std::is_same_v<decltype(&CoreCursorUnregisterAll), CoreCursorUnregisterAllFunction>);

TVWS_API TVWSStatus CoreCursorSet(TVWSConnection connection, int32_t coreCursor) {
    return server().setNumberedCursor("CoreCursorSet", connection, coreCursor, nullptr,
                                      TVWS_FN_CORE_CURSOR_SET);
}
static_assert(std::is_same_v<decltype(&CoreCursorSet), CoreCursorSetFunction>);

TVWS_API TVWSStatus CoreCursorSetAndReturnSeed(TVWSConnection connection, int32_t coreCursor,
                                               int32_t* outSeed) {
    return server().setNumberedCursor("CoreCursorSetAndReturnSeed", connection, coreCursor, outSeed,
                                      TVWS_FN_CORE_CURSOR_SET_AND_RETURN_SEED);
}
static_assert(
    std::is_same_v<decltype(&CoreCursorSetAndReturnSeed), CoreCursorSetAndReturnSeedFunction>);

TVWS_API TVWSStatus CoreCursorCopyImages(TVWSConnection connection, int32_t coreCursor,
                                         TVWSArrayRef* outImages, TVWSSize* outSize,
                                         TVWSPoint* outHotSpot, size_t* outFrameCount,
                                         double* outFrameDuration) {
    return server().copyCoreCursorImages("CoreCursorCopyImages", connection, coreCursor, outImages,
                                         outSize, outHotSpot, outFrameCount, outFrameDuration);
}
static_assert(std::is_same_v<decltype(&CoreCursorCopyImages), CoreCursorCopyImagesFunction>);
#endif
