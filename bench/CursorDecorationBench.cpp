// Decorating the simulated window server's whole core cursor set with a
// letter badge, and saving and loading it as a cape.
#include "capes/CursorCapeStore.h"
#include "input/InputLanguage.h"
#include "platform/sim/SimUserFolders.h"
#include "render/CursorRenderer.h"
#include "runtime/CGSRuntime.h"
#include "support/TemporaryDirectory.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>

namespace tolvane {
namespace {

struct CoreCursor {
    std::string identifier;
    CursorSnapshot snapshot;
    std::optional<CursorTemplate> cursorTemplate;
    DecorationFlags flags;
};

// The core cursors 0...44 with their images at every scale the server draws.
// Templates and resize flags follow what the cursor controller decides for
// them: a template for the arrow, I-beam and pointing hand, resize flags from
// the proportions of the others.
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
            CoreCursor cursor{
                "com.apple.cursor." + std::to_string(id), *snapshot, std::nullopt, {}};
            if (id == 0) {
                cursor.cursorTemplate = CursorTemplate::arrow;
            } else if (id == 1) {
                cursor.cursorTemplate = CursorTemplate::iBeam;
            } else if (id == 13) {
                cursor.cursorTemplate = CursorTemplate::pointingHand;
            } else {
                const double w = snapshot->size.width;
                const double h = snapshot->size.height;
                cursor.flags.isHorizontalResize = w > 1.3 * h;
                cursor.flags.isVerticalResize = h > 1.3 * w;
                cursor.flags.isDiagonalResize = !cursor.flags.isHorizontalResize &&
                                                !cursor.flags.isVerticalResize && w > 15 &&
                                                w < 35 && h > 15 && h < 35;
            }
            result.push_back(std::move(cursor));
        }
        return result;
    }();
    return cursors;
}

const CursorMarker& letterBadge() {
    static const CursorMarker marker =
        *CursorStyle(CursorStyle::letterBadge)
             .marker(InputLanguage::make("en", "English", "com.example.en"));
    return marker;
}

CursorCapeStore::CursorSet decorateAll() {
    CursorCapeStore::CursorSet set;
    for (const CoreCursor& cursor : coreCursors()) {
        auto payload = CursorRenderer::decoratePayload(
            cursor.snapshot, letterBadge(), cursor.cursorTemplate, cursor.flags.isHorizontalResize,
            cursor.flags.isVerticalResize, cursor.flags.isDiagonalResize, false);
        set.emplace(cursor.identifier, std::move(payload));
    }
    return set;
}

void countSet(benchmark::State& state, const CursorCapeStore::CursorSet& set) {
    std::size_t images = 0;
    double pixels = 0;
    for (const auto& [identifier, payload] : set) {
        images += payload.images.size();
        for (const Image& image : payload.images) {
            pixels += static_cast<double>(image.width()) * image.height();
        }
    }
    state.counters["cursors"] = static_cast<double>(set.size());
    state.counters["images"] = static_cast<double>(images);
    state.counters["pixels"] = pixels;
}

void BM_DecorateCoreCursorSet(benchmark::State& state) {
    coreCursors();
    CursorCapeStore::CursorSet set;
    for (auto _ : state) {
        set = decorateAll();
        benchmark::DoNotOptimize(set);
    }
    countSet(state, set);
}
BENCHMARK(BM_DecorateCoreCursorSet)->Unit(benchmark::kMillisecond);

// Left-handed: the controller mirrors every cursor but the resize cursors
// before decorating it.
void BM_DecorateCoreCursorSetLeftHanded(benchmark::State& state) {
    coreCursors();
    for (auto _ : state) {
        for (const CoreCursor& cursor : coreCursors()) {
            const DecorationFlags& flags = cursor.flags;
            const bool resize =
                flags.isHorizontalResize || flags.isVerticalResize || flags.isDiagonalResize;
            auto payload = CursorRenderer::decoratePayload(
                resize ? cursor.snapshot : CursorRenderer::mirrorSnapshot(cursor.snapshot),
                letterBadge(), cursor.cursorTemplate, flags.isHorizontalResize,
                flags.isVerticalResize, flags.isDiagonalResize, true);
            benchmark::DoNotOptimize(payload);
        }
    }
}
BENCHMARK(BM_DecorateCoreCursorSetLeftHanded)->Unit(benchmark::kMillisecond);

struct CapeFixture {
    testing::TemporaryDirectory home;
    SimUserFolders folders{home.path()};
    CursorCapeStore store{folders};
    CursorCapeStore::CursorSet set = decorateAll();
};

// A first save: encodes every frame, serialises, hashes and writes the file.
void BM_SaveCapeWritten(benchmark::State& state) {
    CapeFixture fixture;
    std::size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.store.removeAllCapes();
        state.ResumeTiming();
        auto path = fixture.store.saveCape("en", "letterBadge", fixture.set);
        if (!path) {
            state.SkipWithError("save failed");
            return;
        }
        bytes = std::filesystem::file_size(*path);
    }
    countSet(state, fixture.set);
    state.counters["capeBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SaveCapeWritten)->Unit(benchmark::kMillisecond);

// A repeated save of the same set: everything but the write.
void BM_SaveCapeUnchanged(benchmark::State& state) {
    CapeFixture fixture;
    fixture.store.saveCape("en", "letterBadge", fixture.set);
    for (auto _ : state) {
        benchmark::DoNotOptimize(fixture.store.saveCape("en", "letterBadge", fixture.set));
    }
}
BENCHMARK(BM_SaveCapeUnchanged)->Unit(benchmark::kMillisecond);

void BM_LoadCape(benchmark::State& state) {
    CapeFixture fixture;
    fixture.store.saveCape("en", "letterBadge", fixture.set);
    std::optional<CursorCapeStore::CursorSet> loaded;
    for (auto _ : state) {
        loaded = fixture.store.loadCape("en", "letterBadge");
        if (!loaded) {
            state.SkipWithError("load failed");
            return;
        }
    }
    countSet(state, *loaded);
}
BENCHMARK(BM_LoadCape)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tolvane
