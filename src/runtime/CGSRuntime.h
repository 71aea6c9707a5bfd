#pragma once

#include "cursors/CursorSnapshot.h"
#include "runtime/SystemCursorEntry.h"
#include "runtime/WindowServerInterface.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

class EventServices;

// Which window-server library the process-wide runtime binds on this platform.
enum class WindowServerLibrary { simulated, x11 };

// The only door to the window server's private cursor interface. The interface
// is not linked: every function is looked up by name in the libraries on the
// search path and may be missing, which disables only the operations that need
// it. Bindings are fixed at construction.
class CGSRuntime {
  public:
    // The process-wide runtime: the platform libraries, then the chosen window
    // server library, then everything already loaded. Created on first use,
    // one per library, never released. shared() binds the simulated one.
    static CGSRuntime& shared();
    static CGSRuntime& shared(WindowServerLibrary library);
    // Where the window server lives on its home platform.
    static const std::vector<std::string>& platformLibraryPaths();

    // Opens each library (those that fail are skipped), binds every function and
    // logs what was found. Synthetic mouse moves go through eventServices.
    explicit CGSRuntime(const std::vector<std::string>& libraryPaths,
                        std::shared_ptr<EventServices> eventServices = nullptr);
    CGSRuntime(const CGSRuntime&) = delete;
    CGSRuntime& operator=(const CGSRuntime&) = delete;

    void setEventServices(std::shared_ptr<EventServices> eventServices);

    // Asks the window server afresh on every call; nothing without the binding
    // or when the window server refuses the connection (hands out 0).
    std::optional<std::int32_t> mainConnectionID() const;

    // Images and activation.
    std::optional<CursorSnapshot> snapshotCursor(std::int32_t connectionID,
                                                 const std::string& identifier) const;
    std::optional<CursorSnapshot> snapshotCoreCursor(std::int32_t connectionID,
                                                     std::int32_t cursorID) const;
    bool registerCursor(std::int32_t connectionID, const std::string& identifier,
                        const CursorSnapshot& snapshot, const std::vector<Image>& images,
                        bool setGlobally, bool instantly) const;
    bool setRegisteredCursorNow(std::int32_t connectionID, const std::string& identifier) const;
    bool setSystemDefinedCursor(std::int32_t connectionID, std::int32_t cursorID) const;
    std::optional<std::int32_t> setSystemDefinedCursorWithSeed(std::int32_t connectionID,
                                                               std::int32_t cursorID) const;
    bool setCoreCursor(std::int32_t connectionID, std::int32_t cursorID) const;
    std::optional<std::int32_t> setCoreCursorWithSeed(std::int32_t connectionID,
                                                      std::int32_t cursorID) const;

    // The displayed cursor as a whole.
    void refreshCursorDisplay(std::int32_t connectionID) const;
    std::optional<float> cursorScale(std::int32_t connectionID) const;
    // Sets the scale clamped to 0.5...16.0.
    bool setCursorScale(std::int32_t connectionID, float scale) const;
    // What setCursorScale passes on: 0.5...16.0; not-a-number becomes 16.0.
    static float clampedCursorScale(float scale);
    // Moves the scale by 0.3 and straight back so that the cursor is drawn anew.
    void nudgeCursorScale(std::int32_t connectionID) const;
    // Puts every core cursor up to maxCursorID (at most 44) back to the system's own.
    bool hardResetSystemCursors(std::int32_t connectionID, std::int32_t maxCursorID) const;
    // Names of system cursors below maxCursorID that contain the token, ignoring
    // case; each name once, at its first number.
    std::vector<std::string> discoverSystemCursorNames(const std::string& token,
                                                       std::int32_t maxCursorID) const;
    std::vector<SystemCursorEntry> discoverSystemCursorEntries(std::int32_t maxCursorID) const;
    // FNV-1a 64 of the displayed cursor's image bytes as 16 hexadecimal digits.
    std::optional<std::string> currentCursorFingerprint(std::int32_t connectionID) const;
    // The window server's connection descriptor for the run loop; -1 when it
    // has none (the simulated one) or no connection.
    int connectionDescriptor() const;
    // Lets the window server handle what arrived on its connection; whether
    // there was anything.
    bool dispatchConnection() const;

    // Mouse-moved events at the pointer's own position, so the pointer is redrawn
    // without moving.
    void postSyntheticMouseMovedEvents(int count) const;

    // Bound window-server functions; null when missing. The controller and the
    // application call currentCursorSeedFn and createRegisteredCursorImageFn directly.
    const CGSMainConnectionIDFunction mainConnectionIDFn;
    const CGSRegisterCursorWithImagesFunction registerCursorWithImagesFn;
    const CGSRegisterCursorWithImageFunction registerCursorWithImageFn;
    const CGSCopyRegisteredCursorImagesFunction copyRegisteredCursorImagesFn;
    const CGSSetRegisteredCursorFunction setRegisteredCursorFn;
    const CGSCreateRegisteredCursorImageFunction createRegisteredCursorImageFn;
    const CGSCursorNameForSystemCursorFunction cursorNameForSystemCursorFn;
    const CGSSetDockCursorOverrideFunction setDockCursorOverrideFn;
    const CGSSetSystemDefinedCursorFunction setSystemDefinedCursorFn;
    const CGSSetSystemDefinedCursorWithSeedFunction setSystemDefinedCursorWithSeedFn;
    const CGSShowCursorFunction showCursorFn;
    const CGSHideCursorFunction hideCursorFn;
    const CGSGetCursorScaleFunction getCursorScaleFn;
    const CGSSetCursorScaleFunction setCursorScaleFn;
    const CoreCursorUnregisterAllFunction coreCursorUnregisterAllFn;
    const CoreCursorSetFunction coreCursorSetFn;
    const CoreCursorSetAndReturnSeedFunction coreCursorSetAndReturnSeedFn;
    const CoreCursorCopyImagesFunction coreCursorCopyImagesFn;
    const CGSRemoveRegisteredCursorFunction removeRegisteredCursorFn;
    const CGSGetGlobalCursorDataSizeFunction getGlobalCursorDataSizeFn;
    const CGSGetGlobalCursorDataFunction getGlobalCursorDataFn;
    const CGSCurrentCursorSeedFunction currentCursorSeedFn;
    // Only a window server reached over a socket has these.
    const TVX11ConnectionDescriptorFunction connectionDescriptorFn;
    const TVX11DispatchFunction dispatchFn;

  private:
    CGSRuntime(std::vector<void*> handles, std::shared_ptr<EventServices> eventServices);

    // Libraries that opened, then the pseudo-handle that searches everything
    // loaded. Never closed.
    const std::vector<void*> searchHandles_;
    std::shared_ptr<EventServices> eventServices_;
};

} // namespace tolvane
