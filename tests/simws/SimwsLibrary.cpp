#include "simws/SimwsLibrary.h"

#include <dlfcn.h>

namespace tolvane::testing {

SimwsLibrary::SimwsLibrary(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW)) {}

void* SimwsLibrary::address(const char* symbol) const {
    return handle_ != nullptr ? dlsym(handle_, symbol) : nullptr;
}

std::vector<std::uint8_t> pixelBytes(TVWSImageRef image) {
    std::vector<std::uint8_t> bytes;
    const std::size_t rowLength = TVWSImageGetWidth(image) * 4;
    const unsigned char* pixels = TVWSImageGetBytes(image);
    for (std::size_t row = 0; row < TVWSImageGetHeight(image); ++row) {
        const unsigned char* start = pixels + row * TVWSImageGetBytesPerRow(image);
        bytes.insert(bytes.end(), start, start + rowLength);
    }
    return bytes;
}

} // namespace tolvane::testing
