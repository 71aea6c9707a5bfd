/*
 * The window server's private cursor interface, as the program sees it.
 *
 * The window server library is never linked: the runtime looks every function
 * up by name at run time and calls it through the pointer types below. The
 * simulated window server (simws) implements the same shapes.
 *
 * Argument order follows the x86-64 calling convention that the real interface
 * relies on: integer and pointer arguments first, in order, then the floating
 * arguments, in order.
 *
 * Images and arrays are reference-counted objects shared by both sides through
 * the small object library declared at the end of this header.
 */
#ifndef TOLVANE_WINDOW_SERVER_INTERFACE_H
#define TOLVANE_WINDOW_SERVER_INTERFACE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t TVWSStatus;     /* 0 means success */
typedef int32_t TVWSConnection; /* connection identifier */

typedef struct TVWSSize {
    double width;
    double height;
} TVWSSize;

typedef struct TVWSPoint {
    double x;
    double y;
} TVWSPoint;

/* Any object the window server hands out: an image, an array, or something else. */
typedef struct TVWSObject* TVWSObjectRef;
typedef TVWSObjectRef TVWSImageRef;
typedef TVWSObjectRef TVWSArrayRef;

/* ---- Function shapes, one per bound function ---- */

typedef TVWSConnection (*CGSMainConnectionIDFunction)(void);

typedef TVWSStatus (*CGSRegisterCursorWithImagesFunction)(
    TVWSConnection connection, const char* name, int32_t setGlobally, int32_t instantly,
    size_t frameCount, TVWSArrayRef images, int32_t* outSeed,
    double width, double height, double hotSpotX, double hotSpotY, double frameDuration);

typedef TVWSStatus (*CGSRegisterCursorWithImageFunction)(
    TVWSConnection connection, const char* name, int32_t setGlobally, int32_t instantly,
    int32_t reserved, TVWSImageRef image, int32_t* outSeed,
    double width, double height, double hotSpotX, double hotSpotY, double scaleX, double scaleY);

typedef TVWSStatus (*CGSCopyRegisteredCursorImagesFunction)(
    TVWSConnection connection, const char* name, TVWSSize* outSize, TVWSPoint* outHotSpot,
    size_t* outFrameCount, double* outFrameDuration, TVWSArrayRef* outImages);

typedef TVWSStatus (*CGSSetRegisteredCursorFunction)(
    TVWSConnection connection, const char* name, int32_t* outSeed);

/* Returns an image the caller owns, or NULL. */
typedef TVWSImageRef (*CGSCreateRegisteredCursorImageFunction)(
    TVWSConnection connection, const char* name, TVWSPoint* outHotSpot);

/* Returns a name the caller copies and never frees, or NULL. */
typedef const char* (*CGSCursorNameForSystemCursorFunction)(int32_t systemCursor);

typedef TVWSStatus (*CGSSetDockCursorOverrideFunction)(TVWSConnection connection, int32_t enabled);

typedef TVWSStatus (*CGSSetSystemDefinedCursorFunction)(
    TVWSConnection connection, int32_t systemCursor);

typedef TVWSStatus (*CGSSetSystemDefinedCursorWithSeedFunction)(
    TVWSConnection connection, int32_t systemCursor, int32_t* outSeed);

typedef TVWSStatus (*CGSShowCursorFunction)(TVWSConnection connection);
typedef TVWSStatus (*CGSHideCursorFunction)(TVWSConnection connection);

/* The caller presets *outScale to 1.0. */
typedef TVWSStatus (*CGSGetCursorScaleFunction)(TVWSConnection connection, float* outScale);
typedef TVWSStatus (*CGSSetCursorScaleFunction)(TVWSConnection connection, float scale);

typedef TVWSStatus (*CoreCursorUnregisterAllFunction)(TVWSConnection connection);
typedef TVWSStatus (*CoreCursorSetFunction)(TVWSConnection connection, int32_t coreCursor);
typedef TVWSStatus (*CoreCursorSetAndReturnSeedFunction)(
    TVWSConnection connection, int32_t coreCursor, int32_t* outSeed);

typedef TVWSStatus (*CoreCursorCopyImagesFunction)(
    TVWSConnection connection, int32_t coreCursor, TVWSArrayRef* outImages, TVWSSize* outSize,
    TVWSPoint* outHotSpot, size_t* outFrameCount, double* outFrameDuration);

typedef TVWSStatus (*CGSRemoveRegisteredCursorFunction)(
    TVWSConnection connection, const char* name);

typedef TVWSStatus (*CGSGetGlobalCursorDataSizeFunction)(
    TVWSConnection connection, int32_t* outByteCount);

/*
 * Fills buffer with the displayed cursor's pixels (premultiplied ARGB, 32 bits
 * per pixel, native endian, rows of width * 4 bytes). *inOutDataSize holds the
 * buffer's size on entry and the number of bytes written on return.
 */
typedef TVWSStatus (*CGSGetGlobalCursorDataFunction)(
    TVWSConnection connection, void* buffer, int32_t* inOutDataSize, TVWSSize* outPixelSize,
    TVWSPoint* outHotSpot, int32_t* outDepth, int32_t* outComponents,
    int32_t* outBitsPerComponent, int32_t* outReserved);

typedef int32_t (*CGSCurrentCursorSeedFunction)(void);

/*
 * A window server reached over a socket (the X11 one) also hands out its
 * connection's descriptor for the program's run loop (-1 without one) and
 * handles every event already received when the descriptor is readable,
 * returning how many it handled.
 */
typedef int (*TVX11ConnectionDescriptorFunction)(void);
typedef int (*TVX11DispatchFunction)(void);

/* ---- Objects: images and arrays (libtvwsobjects) ---- */

/* Reference counting; both accept NULL. Retain returns its argument. */
TVWSObjectRef TVWSRetain(TVWSObjectRef object);
void TVWSRelease(TVWSObjectRef object);

int TVWSObjectIsImage(TVWSObjectRef object);
int TVWSObjectIsArray(TVWSObjectRef object);

/* An object that is neither an image nor an array (a stand-in for foreign elements). */
TVWSObjectRef TVWSOpaqueObjectCreate(void);

typedef enum TVWSAlphaInfo {
    TVWSAlphaNone = 0,
    TVWSAlphaPremultipliedFirst = 2, /* ARGB, premultiplied: the only layout images use */
} TVWSAlphaInfo;

/*
 * Images are immutable. Pixels are premultiplied ARGB, 32 bits per pixel in
 * native byte order (on x86-64: B, G, R, A in memory), the layout of a cairo
 * CAIRO_FORMAT_ARGB32 image surface.
 *
 * TVWSImageCreate copies the bytes; rows are bytesPerRow apart. Returns NULL for
 * a zero or oversized dimension.
 */
TVWSImageRef TVWSImageCreate(size_t width, size_t height, size_t bytesPerRow, const void* bytes);
/*
 * Shares the caller's pixels instead of copying them: release(info) runs when the
 * last reference goes. On failure (NULL result) release is not called.
 */
TVWSImageRef TVWSImageCreateWithData(size_t width, size_t height, size_t bytesPerRow,
                                     const void* bytes, void (*release)(void* info), void* info);
size_t TVWSImageGetWidth(TVWSImageRef image);
size_t TVWSImageGetHeight(TVWSImageRef image);
size_t TVWSImageGetBytesPerRow(TVWSImageRef image);
size_t TVWSImageGetBitsPerPixel(TVWSImageRef image);
TVWSAlphaInfo TVWSImageGetAlphaInfo(TVWSImageRef image);
/* Read-only view of the pixels: height * bytesPerRow bytes, valid while the image lives. */
const unsigned char* TVWSImageGetBytes(TVWSImageRef image);
/* Copies min(capacity, height * bytesPerRow) bytes and returns how many were copied. */
size_t TVWSImageCopyBytes(TVWSImageRef image, void* destination, size_t capacity);

/* Arrays retain their elements. */
TVWSArrayRef TVWSArrayCreate(const TVWSObjectRef* values, size_t count);
size_t TVWSArrayGetCount(TVWSArrayRef array);
/* Borrowed reference, or NULL when the index is out of range. */
TVWSObjectRef TVWSArrayGetValueAtIndex(TVWSArrayRef array, size_t index);

#ifdef __cplusplus
}
#endif

#endif
