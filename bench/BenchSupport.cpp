#include "BenchSupport.h"

#include "cursors/ResizeDetection.h"
#include "input/InputLanguage.h"
#include "platform/sim/SimEventServices.h"
#include "render/CursorRenderer.h"
#include "runtime/CGSRuntime.h"
#include "support/SimulatedWindowServer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

namespace tolvane {

const std::vector<CoreCursor>& coreCursors() {
    static const std::vector<CoreCursor> cursors = [] {
        std::vector<CoreCursor> result;
        CGSRuntime runtime({TOLVANE_SIMWS_PATH});
        const auto connection = runtime.mainConnectionID();
        if (!connection) {
            std::abort();
        }
        for (std::int32_t id = 0; id <= 44; ++id) {
            auto snapshot = runtime.snapshotCoreCursor(*connection, id);
            if (!snapshot || snapshot->images.empty()) {
                continue;
            }
            CoreCursor cursor{"com.apple.cursor." + std::to_string(id), *snapshot, std::nullopt};
            if (id == 0) {
                cursor.cursorTemplate = CursorTemplate::arrow;
            } else if (id == 1) {
                cursor.cursorTemplate = CursorTemplate::iBeam;
            } else if (id == 13) {
                cursor.cursorTemplate = CursorTemplate::pointingHand;
            } else {
                const ResizeDetection resize = detectResize(snapshot->size);
                cursor.horizontalResize = resize.horizontal;
                cursor.verticalResize = resize.vertical;
                cursor.diagonalResize = resize.diagonal;
            }
            result.push_back(std::move(cursor));
        }
        return result;
    }();
    return cursors;
}

const CursorMarker& letterBadge(const std::string& code) {
    static std::map<std::string, CursorMarker> markers;
    auto found = markers.find(code);
    if (found == markers.end()) {
        found = markers
                    .emplace(code, *CursorStyle(CursorStyle::letterBadge)
                                        .marker(InputLanguage::make(code, code, code)))
                    .first;
    }
    return found->second;
}

FreshWindowServer::FreshWindowServer() {
    testing::SimulatedWindowServer(TOLVANE_SIMWS_PATH).reset();
    coreCursors();
}

ControllerDesk::ControllerDesk()
    : runtime({TOLVANE_SIMWS_PATH}, std::make_shared<SimEventServices>(clock, loop)),
      controller(runtime, capes, standardCursors, loop, Environment()) {}

bool ControllerDesk::apply(const std::string& code) {
    return controller.apply(letterBadge(code), code, "letterBadge", false);
}

CursorCapeStore::CursorSet decorateCoreCursors(const CursorMarker& marker) {
    CursorCapeStore::CursorSet set;
    for (const CoreCursor& cursor : coreCursors()) {
        set.emplace(cursor.identifier,
                    CursorRenderer::decoratePayload(cursor.snapshot, marker, cursor.cursorTemplate,
                                                    cursor.horizontalResize, cursor.verticalResize,
                                                    cursor.diagonalResize, false));
    }
    return set;
}

double decoratedSetCopySeconds(std::size_t& bytes) {
    const CursorCapeStore::CursorSet set = decorateCoreCursors(letterBadge());
    std::vector<const Image*> images;
    bytes = 0;
    for (const auto& [identifier, payload] : set) {
        for (const Image& image : payload.images) {
            images.push_back(&image);
            bytes += image.byteCount();
        }
    }
    std::vector<unsigned char> target(bytes);
    double best = 1e9;
    for (int round = 0; round < 20; ++round) {
        const auto start = std::chrono::steady_clock::now();
        unsigned char* out = target.data();
        for (const Image* image : images) {
            std::memcpy(out, image->bytes(), image->byteCount());
            out += image->byteCount();
        }
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

} // namespace tolvane
