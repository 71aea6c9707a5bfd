#pragma once

#include "runtime/WindowServerObject.h"
#include "simws/Control.h"

#include <cstdint>
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
};

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

    void reset() const { reset_(); }
    void injectFault(TVWSFunction function, TVWSFaultKind kind, std::int32_t value = 0) const;
    void injectFaultForName(TVWSFunction function, const char* name, TVWSFaultKind kind,
                            std::int32_t value = 0) const;
    void injectFaultForNumber(TVWSFunction function, std::int32_t number, TVWSFaultKind kind,
                              std::int32_t value = 0) const;

    unsigned callCount(const char* symbol) const { return callCount_(symbol); }
    // Journal lines since the reset whose exported name is `symbol`.
    std::vector<std::string> calls(const std::string& symbol) const;
    std::vector<std::string> journal() const;

    std::string displayedName() const;
    DisplayedCursor displayed() const;
    std::int32_t seed() const { return seed_(); }
    float scale() const { return scale_(); }
    int hideCount() const { return hideCount_(); }
    bool dockOverrideEnabled() const { return dockOverrideEnabled_() != 0; }
    std::optional<HeldCursor> registeredCursor(TVWSScope scope, const char* name) const;
    std::optional<HeldCursor> systemCursor(std::int32_t number) const;

  private:
    void* handle_;
    decltype(&tvws_reset) reset_;
    decltype(&tvws_inject_fault) injectFault_;
    decltype(&tvws_inject_fault_for_name) injectFaultForName_;
    decltype(&tvws_inject_fault_for_number) injectFaultForNumber_;
    decltype(&tvws_call_count) callCount_;
    decltype(&tvws_copy_call_journal) copyCallJournal_;
    decltype(&tvws_copy_displayed_name) copyDisplayedName_;
    decltype(&tvws_copy_displayed_image) copyDisplayedImage_;
    decltype(&tvws_seed) seed_;
    decltype(&tvws_scale) scale_;
    decltype(&tvws_hide_count) hideCount_;
    decltype(&tvws_dock_override_enabled) dockOverrideEnabled_;
    decltype(&tvws_copy_registered_cursor) copyRegisteredCursor_;
    decltype(&tvws_copy_system_cursor) copySystemCursor_;
    decltype(&tvws_free) free_;
};

} // namespace tolvane::testing
