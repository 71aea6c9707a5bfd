#pragma once

#include "runtime/WindowServerInterface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane::testing {

// A simulated window-server library opened by path and looked up by symbol
// name, the way the runtime binds it. The handle stays open for the process.
class SimwsLibrary {
  public:
    explicit SimwsLibrary(const std::string& path);

    bool isOpen() const { return handle_ != nullptr; }
    // The function under that name as the given pointer type; null when missing.
    template <typename Function> Function function(const char* symbol) const {
        return reinterpret_cast<Function>(address(symbol));
    }

  private:
    void* address(const char* symbol) const;
    void* handle_;
};

// A copy of an image's pixel rows (width * 4 bytes each).
std::vector<std::uint8_t> pixelBytes(TVWSImageRef image);

} // namespace tolvane::testing
