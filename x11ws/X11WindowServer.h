#pragma once

#include "CursorFrames.h"
#include "CursorTheme.h"
#include "UploadedCursor.h"
#include "artwork/CursorArtwork.h"
#include "runtime/WindowServerInterface.h"

#include "XHeaders.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace tolvane {

// The window server's cursor functions over an X display: the system cursors
// are the user's cursor theme, a registered cursor replaces a shape under every
// theme name it has (XFixesChangeCursorByName), and the displayed cursor is the
// one XFixes reports. One display connection per process, opened on first use
// from DISPLAY; Xlib is used from the thread that calls, which must always be
// the same one.
class X11WindowServer {
  public:
    static constexpr TVWSConnection connectionID = 1;

    static X11WindowServer& shared();

    // The connection id, 0 when no display answers.
    TVWSConnection mainConnectionID();
    // The display connection's descriptor for the run loop, -1 without one.
    int connectionDescriptor();
    // Handles every event already received or queued without waiting; how many.
    int dispatch();

    TVWSStatus registerCursor(TVWSConnection connection, const char* name, std::size_t frameCount,
                              TVWSArrayRef images, std::int32_t* outSeed, TVWSSize size,
                              TVWSPoint hotSpot, double frameDuration);
    // One image: a new cursor of one frame, unless the image is the first frame
    // of the registration in place, which it then confirms.
    TVWSStatus registerCursorImage(TVWSConnection connection, const char* name, TVWSImageRef image,
                                   std::int32_t* outSeed, TVWSSize size, TVWSPoint hotSpot);
    TVWSStatus copyRegisteredCursorImages(TVWSConnection connection, const char* name,
                                          TVWSSize* outSize, TVWSPoint* outHotSpot,
                                          std::size_t* outFrameCount, double* outFrameDuration,
                                          TVWSArrayRef* outImages);
    TVWSImageRef createRegisteredCursorImage(TVWSConnection connection, const char* name,
                                             TVWSPoint* outHotSpot);
    TVWSStatus setRegisteredCursor(TVWSConnection connection, const char* name,
                                   std::int32_t* outSeed);
    const char* cursorNameForSystemCursor(std::int32_t number) const;
    // Core cursors are 0...44, system-defined ones every number of the table.
    TVWSStatus setNumberedCursor(TVWSConnection connection, std::int32_t number, bool core,
                                 std::int32_t* outSeed);
    TVWSStatus copyCoreCursorImages(TVWSConnection connection, std::int32_t number,
                                    TVWSArrayRef* outImages, TVWSSize* outSize,
                                    TVWSPoint* outHotSpot, std::size_t* outFrameCount,
                                    double* outFrameDuration);
    TVWSStatus setDockCursorOverride(TVWSConnection connection);
    TVWSStatus showCursor(TVWSConnection connection);
    TVWSStatus hideCursor(TVWSConnection connection);
    // Puts the theme's own cursor back under every name of every shape.
    TVWSStatus unregisterAll(TVWSConnection connection);
    TVWSStatus removeRegisteredCursor(TVWSConnection connection, const char* name);
    TVWSStatus getGlobalCursorDataSize(TVWSConnection connection, std::int32_t* outByteCount);
    TVWSStatus getGlobalCursorData(TVWSConnection connection, void* buffer,
                                   std::int32_t* inOutDataSize, TVWSSize* outPixelSize,
                                   TVWSPoint* outHotSpot, std::int32_t* outDepth,
                                   std::int32_t* outComponents, std::int32_t* outBitsPerComponent,
                                   std::int32_t* outReserved);
    // Moves whenever the server reports another displayed cursor.
    std::int32_t currentCursorSeed();

  private:
    struct XFreeDeleter {
        void operator()(void* data) const { XFree(data); }
    };
    using DisplayedCursor = std::unique_ptr<XFixesCursorImage, XFreeDeleter>;

    X11WindowServer() = default;
    // Opens the display on first use; false when there is none.
    bool connect();
    bool accepts(TVWSConnection connection);
    void handle(const XEvent& event);
    void handleDisplayedCursor(Atom name);
    const std::string& atomName(Atom atom);
    DisplayedCursor displayedCursor() const;

    // The shape a system cursor name or a theme name shows.
    static std::optional<CursorShape> shapeFor(const char* name);
    // What the shape shows now: the registration in place, else the theme's own.
    std::shared_ptr<const CursorFrames> currentFrames(CursorShape shape);
    bool install(CursorShape shape, std::shared_ptr<const CursorFrames> frames);
    void restoreTheme(CursorShape shape);
    TVWSStatus copyFrames(CursorShape shape, TVWSSize* outSize, TVWSPoint* outHotSpot,
                          std::size_t* outFrameCount, double* outFrameDuration,
                          TVWSArrayRef* outImages);

    Display* display_ = nullptr;
    bool triedToConnect_ = false;
    int fixesEventBase_ = 0;
    std::optional<CursorTheme> theme_;
    std::map<CursorShape, std::shared_ptr<const CursorFrames>> registered_;
    // What each theme name last got from us, put up again when a client
    // loads the theme's own under that name later.
    std::map<std::string, std::shared_ptr<const UploadedCursor>> installed_;
    // The name installed again at the last notification.
    std::optional<std::string> reinstalled_;
    std::map<Atom, std::string> atomNames_;
    std::int32_t seed_ = 1;
    int hideCount_ = 0;
};

} // namespace tolvane
