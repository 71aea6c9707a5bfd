#pragma once

#include "runtime/WindowServerObject.h"
#include "simws/Control.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::testing {

// What the window server holds under a name.
struct HeldCursor {
    TVWSSize size{};
    TVWSPoint hotSpot{};
    std::size_t frameCount = 0;
    double frameDuration = 0;
    std::vector<TVWSImageRef> images; // borrowed from `array`
    WindowServerObject array;
    bool isSystemArtwork = false;
};

// A registered cursor by value: what an application would see under its name.
struct CursorContent {
    TVWSSize size{};
    TVWSPoint hotSpot{};
    std::size_t frameCount = 0;
    double frameDuration = 0;
    std::vector<std::vector<unsigned char>> images; // every image's bytes, in order

    bool operator==(const CursorContent& other) const {
        return size.width == other.size.width && size.height == other.size.height &&
               hotSpot.x == other.hotSpot.x && hotSpot.y == other.hotSpot.y &&
               frameCount == other.frameCount && frameDuration == other.frameDuration &&
               images == other.images;
    }
};

using CursorContents = std::map<std::string, CursorContent>;

// The cursor on screen, as CGSGetGlobalCursorData hands it out.
struct DisplayedCursor {
    std::vector<unsigned char> bytes;
    std::size_t width = 0;
    std::size_t height = 0;
    TVWSPoint hotSpot{}; // pixels
};

// The control interface of one simulated window-server library. It is reached
// with dlsym on that library's own handle: the test program does not link the
// window server, so the default search handle finds none of its cursor names.
class SimulatedWindowServer {
  public:
    explicit SimulatedWindowServer(const char* path);

    void reset() const;
    // A fresh server whose system cursors carry images at these densities only.
    void resetWithDensities(const std::vector<double>& densities) const;
    // These throw when the window server refuses the call (a fault that does not
    // apply to the function, densities out of range).
    void injectFault(TVWSFunction function, TVWSFaultKind kind, std::int32_t value = 0) const;
    void injectFaultForName(TVWSFunction function, const char* name, TVWSFaultKind kind,
                            std::int32_t value = 0) const;
    void clearFaults() const;
    void injectFaultForNumber(TVWSFunction function, std::int32_t number, TVWSFaultKind kind,
                              std::int32_t value = 0) const;

    unsigned callCount(const char* symbolName) const;
    std::vector<std::string> journal() const;
    // Journal lines since the reset whose exported name is `symbolName`.
    std::vector<std::string> calls(const std::string& symbolName) const;

    // Another application shows the globally registered cursor of that name.
    void simulateForeignCursorChange(const char* name) const;
    std::string displayedName() const;
    DisplayedCursor displayed() const;
    std::int32_t seed() const;
    float scale() const;
    bool dockOverrideEnabled() const;
    std::optional<HeldCursor> registeredCursor(TVWSScope scope, const char* name) const;
    std::vector<std::string> registeredNames(TVWSScope scope) const;
    // Every cursor registered in the scope, by name.
    CursorContents contents(TVWSScope scope) const;
    std::optional<HeldCursor> systemCursor(std::int32_t number) const;

  private:
    template <typename Function> Function symbol(const char* name) const;

    void* handle_;
};

} // namespace tolvane::testing
