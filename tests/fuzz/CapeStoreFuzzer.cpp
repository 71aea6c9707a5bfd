// The input is the bytes of a cape file, read with its frames decoded and
// with only their headers checked, as a load does once it has read the file.
#include "capes/CursorCapeStore.h"
#include "fuzz/FuzzHome.h"

#include <cstdlib>

using namespace tolvane;

namespace {

// Smaller frames than the program allows, so that an input costs milliseconds;
// the checks are the same ones.
CapeLimits fuzzLimits() {
    CapeLimits limits;
    limits.maxCursors = 64;
    limits.maxFramesPerCursor = 16;
    limits.frame = {256, 256, 256ull * 256ull};
    limits.maxTotalPixels = 1024ull * 1024ull;
    return limits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzzing::FuzzHome::shared();
    static const CapeLimits limits = fuzzLimits();
    static const CursorCapeStore store(home.folders(), limits);
    static const auto file = *store.capeFile("en", "letter");
    const auto bytes = fuzzing::bytes(data, size);

    const auto decoded =
        store.readCape(bytes, "en", "letter", CursorCapeStore::Frames::decoded, file);
    const auto headers =
        store.readCape(bytes, "en", "letter", CursorCapeStore::Frames::headersChecked, file);
    // A frame that decodes has a sound header, so a cape that loads decoded
    // loads with headers checked, and holds no cursor that the other lacks.
    if (decoded && !headers) {
        std::abort();
    }
    for (const auto& [identifier, payload] : decoded.value_or(CursorCapeStore::CursorSet{})) {
        if (!headers->contains(identifier) || payload.images.empty() ||
            payload.images.size() > limits.maxFramesPerCursor ||
            payload.snapshot.frameCount > limits.maxFramesPerCursor) {
            std::abort();
        }
    }
    for (const auto& [identifier, payload] : headers.value_or(CursorCapeStore::CursorSet{})) {
        if (!payload.images.empty() || payload.snapshot.frameCount > limits.maxFramesPerCursor) {
            std::abort();
        }
    }
    return 0;
}
