#include "SimulatedWindowServer.h"

#include <dlfcn.h>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace tolvane::testing {

namespace {

template <typename Function> Function bind(void* handle, const char* symbol) {
    void* address = handle != nullptr ? dlsym(handle, symbol) : nullptr;
    if (address == nullptr) {
        throw std::runtime_error(std::string("simulated window server lacks ") + symbol);
    }
    return reinterpret_cast<Function>(address);
}

std::optional<HeldCursor> held(int result, TVWSCursorInfo& info) {
    if (result != 0) {
        return std::nullopt;
    }
    HeldCursor cursor{info.size,          info.hotSpot, info.frameCount,
                      info.frameDuration, {},           WindowServerObject(info.images)};
    for (std::size_t index = 0; index < TVWSArrayGetCount(info.images); ++index) {
        cursor.images.push_back(TVWSArrayGetValueAtIndex(info.images, index));
    }
    return cursor;
}

} // namespace

SimulatedWindowServer::SimulatedWindowServer(const char* path)
    : handle_(dlopen(path, RTLD_NOW)), reset_(bind<decltype(reset_)>(handle_, "tvws_reset")),
      injectFault_(bind<decltype(injectFault_)>(handle_, "tvws_inject_fault")),
      injectFaultForName_(
          bind<decltype(injectFaultForName_)>(handle_, "tvws_inject_fault_for_name")),
      injectFaultForNumber_(
          bind<decltype(injectFaultForNumber_)>(handle_, "tvws_inject_fault_for_number")),
      callCount_(bind<decltype(callCount_)>(handle_, "tvws_call_count")),
      copyCallJournal_(bind<decltype(copyCallJournal_)>(handle_, "tvws_copy_call_journal")),
      copyDisplayedName_(bind<decltype(copyDisplayedName_)>(handle_, "tvws_copy_displayed_name")),
      copyDisplayedImage_(
          bind<decltype(copyDisplayedImage_)>(handle_, "tvws_copy_displayed_image")),
      seed_(bind<decltype(seed_)>(handle_, "tvws_seed")),
      scale_(bind<decltype(scale_)>(handle_, "tvws_scale")),
      hideCount_(bind<decltype(hideCount_)>(handle_, "tvws_hide_count")),
      dockOverrideEnabled_(
          bind<decltype(dockOverrideEnabled_)>(handle_, "tvws_dock_override_enabled")),
      copyRegisteredCursor_(
          bind<decltype(copyRegisteredCursor_)>(handle_, "tvws_copy_registered_cursor")),
      copySystemCursor_(bind<decltype(copySystemCursor_)>(handle_, "tvws_copy_system_cursor")),
      free_(bind<decltype(free_)>(handle_, "tvws_free")) {}

void SimulatedWindowServer::injectFault(TVWSFunction function, TVWSFaultKind kind,
                                        std::int32_t value) const {
    if (injectFault_(function, kind, value) != 0) {
        throw std::invalid_argument("fault does not apply");
    }
}

void SimulatedWindowServer::injectFaultForName(TVWSFunction function, const char* name,
                                               TVWSFaultKind kind, std::int32_t value) const {
    if (injectFaultForName_(function, name, kind, value) != 0) {
        throw std::invalid_argument("fault does not apply");
    }
}

void SimulatedWindowServer::injectFaultForNumber(TVWSFunction function, std::int32_t number,
                                                 TVWSFaultKind kind, std::int32_t value) const {
    if (injectFaultForNumber_(function, number, kind, value) != 0) {
        throw std::invalid_argument("fault does not apply");
    }
}

std::vector<std::string> SimulatedWindowServer::journal() const {
    std::unique_ptr<char, decltype(free_)> text(copyCallJournal_(), free_);
    std::vector<std::string> lines;
    std::istringstream stream(text ? text.get() : "");
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> SimulatedWindowServer::calls(const std::string& symbol) const {
    std::vector<std::string> matching;
    for (const std::string& line : journal()) {
        if (line == symbol || line.starts_with(symbol + " ")) {
            matching.push_back(line);
        }
    }
    return matching;
}

std::string SimulatedWindowServer::displayedName() const {
    std::unique_ptr<char, decltype(free_)> name(copyDisplayedName_(), free_);
    return name ? name.get() : "";
}

DisplayedCursor SimulatedWindowServer::displayed() const {
    DisplayedCursor cursor;
    WindowServerObject image(copyDisplayedImage_(&cursor.hotSpot));
    const unsigned char* bytes = TVWSImageGetBytes(image.get());
    cursor.width = TVWSImageGetWidth(image.get());
    cursor.height = TVWSImageGetHeight(image.get());
    cursor.bytes.assign(bytes, bytes + cursor.height * TVWSImageGetBytesPerRow(image.get()));
    return cursor;
}

std::optional<HeldCursor> SimulatedWindowServer::registeredCursor(TVWSScope scope,
                                                                  const char* name) const {
    TVWSCursorInfo info{};
    int result = copyRegisteredCursor_(scope, name, &info);
    return held(result, info);
}

std::optional<HeldCursor> SimulatedWindowServer::systemCursor(std::int32_t number) const {
    TVWSCursorInfo info{};
    int result = copySystemCursor_(number, &info);
    return held(result, info);
}

} // namespace tolvane::testing
