#include "simws/SimwsLibrary.h"

#include <dlfcn.h>

namespace tolvane::testing {

SimwsLibrary::SimwsLibrary(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW)) {}

void* SimwsLibrary::address(const char* symbol) const {
    return handle_ != nullptr ? dlsym(handle_, symbol) : nullptr;
}

bool SimwsLibrary::exports(const char* symbol) const {
    return address(symbol) != nullptr;
}

const std::vector<std::string>& pairedFunctionNames() {
    static const std::vector<std::string> names{"MainConnectionID",
                                                "RegisterCursorWithImages",
                                                "RegisterCursorWithImage",
                                                "CopyRegisteredCursorImages",
                                                "SetRegisteredCursor",
                                                "CreateRegisteredCursorImage",
                                                "CursorNameForSystemCursor",
                                                "SetDockCursorOverride",
                                                "SetSystemDefinedCursor",
                                                "SetSystemDefinedCursorWithSeed",
                                                "ShowCursor",
                                                "HideCursor",
                                                "GetCursorScale",
                                                "SetCursorScale",
                                                "RemoveRegisteredCursor",
                                                "GetGlobalCursorDataSize",
                                                "GetGlobalCursorData",
                                                "CurrentCursorSeed"};
    return names;
}

const std::vector<std::string>& coreCursorFunctionNames() {
    static const std::vector<std::string> names{"CoreCursorUnregisterAll", "CoreCursorSet",
                                                "CoreCursorSetAndReturnSeed",
                                                "CoreCursorCopyImages"};
    return names;
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

std::uint8_t alphaAt(TVWSImageRef image, std::size_t x, std::size_t y) {
    // Premultiplied ARGB in native byte order: alpha is the top byte of the word.
    return TVWSImageGetBytes(image)[y * TVWSImageGetBytesPerRow(image) + x * 4 + 3];
}

} // namespace tolvane::testing
