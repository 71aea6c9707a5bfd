#include "BenchSupport.h"

#include "cursors/SystemCursorController.h"
#include "support/SimulatedWindowServer.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tolvane {

double cursorSetCopySeconds(std::size_t& bytes) {
    const testing::SimulatedWindowServer server(TOLVANE_SIMWS_PATH);
    std::vector<TVWSImageRef> images;
    std::vector<testing::HeldCursor> cursors;
    for (std::int32_t id = 0; id <= SystemCursorController::maxTrackedCursorID; ++id) {
        if (auto cursor = server.systemCursor(id)) {
            images.insert(images.end(), cursor->images.begin(), cursor->images.end());
            cursors.push_back(std::move(*cursor)); // keeps the images alive
        }
    }
    const auto sizeOf = [](TVWSImageRef image) {
        return TVWSImageGetBytesPerRow(image) * TVWSImageGetHeight(image);
    };
    bytes = 0;
    for (TVWSImageRef image : images) {
        bytes += sizeOf(image);
    }
    std::vector<unsigned char> target(bytes);
    double best = 1e9;
    for (int round = 0; round < 20; ++round) {
        const auto start = std::chrono::steady_clock::now();
        unsigned char* out = target.data();
        for (TVWSImageRef image : images) {
            std::memcpy(out, TVWSImageGetBytes(image), sizeOf(image));
            out += sizeOf(image);
        }
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

} // namespace tolvane
