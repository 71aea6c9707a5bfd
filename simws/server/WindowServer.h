#pragma once

#include "artwork/CursorArtwork.h"
#include "server/CallJournal.h"
#include "server/CursorRecord.h"
#include "server/DisplayedImage.h"
#include "server/FaultTable.h"
#include "simws/Control.h"

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// The simulated window server's cursor state: registered cursors per scope,
// the displayed cursor with its seed, scale, hide count and dock override.
// Every public member locks; the cursor functions take the exported name they
// were called through, for the journal.
class WindowServer {
  public:
    static WindowServer& shared();

    WindowServer();
    WindowServer(const WindowServer&) = delete;
    WindowServer& operator=(const WindowServer&) = delete;

    // ---- Cursor functions (WindowServer+Functions.cpp) ----
    TVWSConnection mainConnectionID(std::string_view symbol);
    TVWSStatus registerCursorWithImages(std::string_view symbol, TVWSConnection connection,
                                        const char* name, std::int32_t setGlobally,
                                        std::int32_t instantly, std::size_t frameCount,
                                        TVWSArrayRef images, std::int32_t* outSeed, TVWSSize size,
                                        TVWSPoint hotSpot, double frameDuration);
    TVWSStatus registerCursorWithImage(std::string_view symbol, TVWSConnection connection,
                                       const char* name, std::int32_t setGlobally,
                                       std::int32_t instantly, std::int32_t reserved,
                                       TVWSImageRef image, std::int32_t* outSeed, TVWSSize size,
                                       TVWSPoint hotSpot, double scaleX, double scaleY);
    TVWSStatus copyRegisteredCursorImages(std::string_view symbol, TVWSConnection connection,
                                          const char* name, TVWSSize* outSize,
                                          TVWSPoint* outHotSpot, std::size_t* outFrameCount,
                                          double* outFrameDuration, TVWSArrayRef* outImages);
    TVWSStatus setRegisteredCursor(std::string_view symbol, TVWSConnection connection,
                                   const char* name, std::int32_t* outSeed);
    TVWSImageRef createRegisteredCursorImage(std::string_view symbol, TVWSConnection connection,
                                             const char* name, TVWSPoint* outHotSpot);
    const char* cursorNameForSystemCursor(std::string_view symbol, std::int32_t number);
    TVWSStatus setDockCursorOverride(std::string_view symbol, TVWSConnection connection,
                                     std::int32_t enabled);
    // Core cursors (0 to 44) for the CoreCursor functions, every numbered
    // system cursor for the system-defined ones; `function` tells which.
    TVWSStatus setNumberedCursor(std::string_view symbol, TVWSConnection connection,
                                 std::int32_t number, std::int32_t* outSeed, TVWSFunction function);
    TVWSStatus showCursor(std::string_view symbol, TVWSConnection connection);
    TVWSStatus hideCursor(std::string_view symbol, TVWSConnection connection);
    TVWSStatus getCursorScale(std::string_view symbol, TVWSConnection connection, float* outScale);
    TVWSStatus setCursorScale(std::string_view symbol, TVWSConnection connection, float scale);
    TVWSStatus unregisterAll(std::string_view symbol, TVWSConnection connection);
    TVWSStatus copyCoreCursorImages(std::string_view symbol, TVWSConnection connection,
                                    std::int32_t number, TVWSArrayRef* outImages, TVWSSize* outSize,
                                    TVWSPoint* outHotSpot, std::size_t* outFrameCount,
                                    double* outFrameDuration);
    TVWSStatus removeRegisteredCursor(std::string_view symbol, TVWSConnection connection,
                                      const char* name);
    TVWSStatus getGlobalCursorDataSize(std::string_view symbol, TVWSConnection connection,
                                       std::int32_t* outByteCount);
    TVWSStatus getGlobalCursorData(std::string_view symbol, TVWSConnection connection, void* buffer,
                                   std::int32_t* inOutDataSize, TVWSSize* outPixelSize,
                                   TVWSPoint* outHotSpot, std::int32_t* outDepth,
                                   std::int32_t* outComponents, std::int32_t* outBitsPerComponent,
                                   std::int32_t* outReserved);
    std::int32_t currentCursorSeed(std::string_view symbol);

    // ---- Control (WindowServer+Control.cpp) ----
    // The system cursors get images at these densities until the next reset.
    void reset(const std::vector<double>& representationScales);
    std::vector<std::string> registeredNames(TVWSScope scope);
    CursorRecordPtr registeredCursor(TVWSScope scope, std::string_view name);
    CursorRecordPtr systemCursor(std::int32_t number);
    std::string displayedName();
    bool displayedByOtherApplication();
    DisplayedImage displayedImage();
    std::int32_t seed();
    std::uint64_t registryGeneration();
    float scale();
    int hideCount();
    bool dockOverrideEnabled();
    TVWSStatus simulateForeignCursorChange(std::string_view name);
    void setFault(TVWSFunction function, std::optional<std::string> name,
                  std::optional<std::int32_t> number, Fault fault);
    void clearFaults();
    unsigned callCount(std::string_view symbol);
    std::string callJournal();

  private:
    using Registry = std::map<std::string, CursorRecordPtr, std::less<>>;

    // The caller holds the lock for all of these.
    void resetLocked(const std::vector<double>& representationScales);
    const CursorRecordPtr& artwork(CursorShape shape);
    void installSystemCursors();
    // What the caller's connection (local first) or another application
    // (global only) sees under the name.
    CursorRecordPtr lookup(std::string_view name, bool asConnection) const;
    TVWSStatus store(const char* name, CursorRecordPtr record, bool globally, bool instantly,
                     std::int32_t* outSeed);
    // Shows the named cursor and redraws the screen.
    void display(std::string name, bool byOtherApplication);
    // Draws the displayed cursor anew; the seed moves when the pixels change.
    void redraw();
    TVWSStatus copyImages(const CursorRecordPtr& record, std::optional<Fault> fault,
                          TVWSSize* outSize, TVWSPoint* outHotSpot, std::size_t* outFrameCount,
                          double* outFrameDuration, TVWSArrayRef* outImages) const;

    std::mutex mutex_;
    // The artwork drawn so far, by representation scales.
    std::map<std::vector<double>, std::array<CursorRecordPtr, cursorShapeCount>> artwork_;
    std::vector<double> representationScales_;
    Registry global_;
    Registry connection_;
    std::string displayedName_;
    bool displayedByOtherApplication_ = true;
    DisplayedImage displayed_;
    std::int32_t seed_ = 1;
    // Moves whenever a registration is added, replaced or removed.
    std::uint64_t registryGeneration_ = 0;
    float scale_ = 1.0f;
    int hideCount_ = 0;
    bool dockOverride_ = false;
    FaultTable faults_;
    CallJournal journal_;
};

} // namespace tolvane
