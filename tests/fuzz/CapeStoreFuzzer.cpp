// The input is a cape file in Application Support, loaded with its frames
// decoded and with only their headers checked.
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
    static CursorCapeStore store(home.folders(), limits);
    fuzzing::FuzzHome::write(*store.capeFile("en", "letter"), fuzzing::bytes(data, size));

    const auto decoded = store.loadCape("en", "letter", CursorCapeStore::Frames::decoded);
    const auto headers = store.loadCape("en", "letter", CursorCapeStore::Frames::headersChecked);
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
