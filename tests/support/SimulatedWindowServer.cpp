#include "support/SimulatedWindowServer.h"

#include <dlfcn.h>
#include <memory>
#include <sstream>
#include <stdexcept>

// The control function of this library's own window server.
#define SIMWS(function) symbol<decltype(&function)>(#function)

namespace tolvane::testing {

namespace {

void expectApplies(int result) {
    if (result != 0) {
        throw std::invalid_argument("the window server refused the control call");
    }
}

std::optional<HeldCursor> held(int result, TVWSCursorInfo& info) {
    if (result != 0) {
        return std::nullopt;
    }
    HeldCursor cursor{info.size,
                      info.hotSpot,
                      info.frameCount,
                      info.frameDuration,
                      {},
                      WindowServerObject(info.images),
                      info.isSystemArtwork != 0};
    for (std::size_t index = 0; index < TVWSArrayGetCount(info.images); ++index) {
        cursor.images.push_back(TVWSArrayGetValueAtIndex(info.images, index));
    }
    return cursor;
}

} // namespace

SimulatedWindowServer::SimulatedWindowServer(const char* path) : handle_(dlopen(path, RTLD_NOW)) {}

template <typename Function> Function SimulatedWindowServer::symbol(const char* name) const {
    void* address = handle_ != nullptr ? dlsym(handle_, name) : nullptr;
    if (address == nullptr) {
        throw std::runtime_error(std::string("simulated window server lacks ") + name);
    }
    return reinterpret_cast<Function>(address);
}

void SimulatedWindowServer::reset() const {
    SIMWS(tvws_reset)();
}

void SimulatedWindowServer::resetWithDensities(const std::vector<double>& densities) const {
    expectApplies(SIMWS(tvws_reset_with_densities)(densities.data(), densities.size()));
}

void SimulatedWindowServer::injectFault(TVWSFunction function, TVWSFaultKind kind,
                                        std::int32_t value) const {
    expectApplies(SIMWS(tvws_inject_fault)(function, kind, value));
}

void SimulatedWindowServer::injectFaultForName(TVWSFunction function, const char* name,
                                               TVWSFaultKind kind, std::int32_t value) const {
    expectApplies(SIMWS(tvws_inject_fault_for_name)(function, name, kind, value));
}

void SimulatedWindowServer::injectFaultForNumber(TVWSFunction function, std::int32_t number,
                                                 TVWSFaultKind kind, std::int32_t value) const {
    expectApplies(SIMWS(tvws_inject_fault_for_number)(function, number, kind, value));
}

void SimulatedWindowServer::clearFaults() const {
    SIMWS(tvws_clear_faults)();
}

unsigned SimulatedWindowServer::callCount(const char* symbolName) const {
    return SIMWS(tvws_call_count)(symbolName);
}

std::vector<std::string> SimulatedWindowServer::journal() const {
    std::unique_ptr<char, decltype(&tvws_free)> text(SIMWS(tvws_copy_call_journal)(),
                                                     SIMWS(tvws_free));
    std::vector<std::string> lines;
    std::istringstream stream(text ? text.get() : "");
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> SimulatedWindowServer::calls(const std::string& symbolName) const {
    std::vector<std::string> matching;
    for (const std::string& line : journal()) {
        if (line == symbolName || line.starts_with(symbolName + " ")) {
            matching.push_back(line);
        }
    }
    return matching;
}

void SimulatedWindowServer::simulateForeignCursorChange(const char* name) const {
    expectApplies(SIMWS(tvws_simulate_foreign_cursor_change)(name));
}

std::string SimulatedWindowServer::displayedName() const {
    std::unique_ptr<char, decltype(&tvws_free)> name(SIMWS(tvws_copy_displayed_name)(),
                                                     SIMWS(tvws_free));
    return name ? name.get() : "";
}

DisplayedCursor SimulatedWindowServer::displayed() const {
    DisplayedCursor cursor;
    WindowServerObject image(SIMWS(tvws_copy_displayed_image)(&cursor.hotSpot));
    const unsigned char* bytes = TVWSImageGetBytes(image.get());
    cursor.width = TVWSImageGetWidth(image.get());
    cursor.height = TVWSImageGetHeight(image.get());
    cursor.bytes.assign(bytes, bytes + cursor.height * TVWSImageGetBytesPerRow(image.get()));
    return cursor;
}

std::int32_t SimulatedWindowServer::seed() const {
    return SIMWS(tvws_seed)();
}

float SimulatedWindowServer::scale() const {
    return SIMWS(tvws_scale)();
}

bool SimulatedWindowServer::dockOverrideEnabled() const {
    return SIMWS(tvws_dock_override_enabled)() != 0;
}

std::optional<HeldCursor> SimulatedWindowServer::registeredCursor(TVWSScope scope,
                                                                  const char* name) const {
    TVWSCursorInfo info{};
    int result = SIMWS(tvws_copy_registered_cursor)(scope, name, &info);
    return held(result, info);
}

std::vector<std::string> SimulatedWindowServer::registeredNames(TVWSScope scope) const {
    std::size_t count = 0;
    char** names = SIMWS(tvws_copy_registered_names)(scope, &count);
    std::vector<std::string> result(names, names + (names != nullptr ? count : 0));
    SIMWS(tvws_free_names)(names);
    return result;
}

CursorContents SimulatedWindowServer::contents(TVWSScope scope) const {
    CursorContents result;
    for (const std::string& name : registeredNames(scope)) {
        std::optional<HeldCursor> cursor = registeredCursor(scope, name.c_str());
        if (!cursor) {
            continue;
        }
        CursorContent& content = result[name];
        content = {cursor->size, cursor->hotSpot, cursor->frameCount, cursor->frameDuration, {}};
        for (TVWSImageRef image : cursor->images) {
            const unsigned char* bytes = TVWSImageGetBytes(image);
            content.images.emplace_back(bytes, bytes + TVWSImageGetHeight(image) *
                                                           TVWSImageGetBytesPerRow(image));
        }
    }
    return result;
}

std::optional<HeldCursor> SimulatedWindowServer::systemCursor(std::int32_t number) const {
    TVWSCursorInfo info{};
    int result = SIMWS(tvws_copy_system_cursor)(number, &info);
    return held(result, info);
}

} // namespace tolvane::testing
