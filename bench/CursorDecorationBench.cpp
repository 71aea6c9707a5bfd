// Decorating the simulated window server's whole core cursor set, and saving
// and loading it as a cape, each as a multiple of copying the set's pixels.
#include "BenchSupport.h"
#include "capes/CursorCapeStore.h"
#include "platform/sim/SimUserFolders.h"
#include "render/CursorRenderer.h"
#include "support/TemporaryDirectory.h"

#include <benchmark/benchmark.h>

namespace tolvane {
namespace {

void countSet(benchmark::State& state, const CursorCapeStore::CursorSet& set) {
    std::size_t images = 0;
    double pixels = 0;
    for (const auto& [identifier, payload] : set) {
        images += payload.images.size();
        for (const Image& image : payload.images) {
            pixels += static_cast<double>(image.width()) * image.height();
        }
    }
    state.counters["images"] = static_cast<double>(images);
    state.counters["pixels"] = pixels;
}

// As at a language switch: the renderer has seen these images before.
void BM_DecorateCoreCursorSet(benchmark::State& state) {
    decorateCoreCursors(letterBadge("ru")); // what the previous language left
    CursorCapeStore::CursorSet set;
    measureAgainstSetCopy(state, [&] {
        set = decorateCoreCursors(letterBadge());
        benchmark::DoNotOptimize(set);
    });
    countSet(state, set);
}
BENCHMARK(BM_DecorateCoreCursorSet)->Unit(benchmark::kMillisecond)->Iterations(50);

// As at the first apply after the launch: images the renderer never saw.
void BM_DecorateCoreCursorSetFirstTime(benchmark::State& state) {
    std::vector<CoreCursor> fresh = coreCursors();
    measureAgainstSetCopy(state, [&] {
        state.PauseTiming();
        for (CoreCursor& cursor : fresh) {
            for (Image& image : cursor.snapshot.images) {
                image = *Image::fromPixels(image.width(), image.height(), image.bytesPerRow(),
                                           image.bytes());
            }
        }
        state.ResumeTiming();
        for (const CoreCursor& cursor : fresh) {
            benchmark::DoNotOptimize(CursorRenderer::decoratePayload(
                cursor.snapshot, letterBadge(), cursor.cursorTemplate, cursor.horizontalResize,
                cursor.verticalResize, cursor.diagonalResize, false));
        }
    });
}
BENCHMARK(BM_DecorateCoreCursorSetFirstTime)->Unit(benchmark::kMillisecond)->Iterations(5);

struct CapeFixture {
    testing::TemporaryDirectory home;
    SimUserFolders folders{home.path()};
    CursorCapeStore store{folders};
    CursorCapeStore::CursorSet set = decorateCoreCursors(letterBadge());
};

// A first save, waited for: encodes every frame and writes the file.
void BM_SaveCapeWritten(benchmark::State& state) {
    CapeFixture fixture;
    measureAgainstSetCopy(state, [&] {
        state.PauseTiming();
        fixture.store.removeAllCapes();
        state.ResumeTiming();
        fixture.store.saveCape("en", "letterBadge", fixture.set);
        fixture.store.waitForSaves();
    });
    countSet(state, fixture.set);
}
BENCHMARK(BM_SaveCapeWritten)->Unit(benchmark::kMillisecond)->Iterations(5);

// A save of the same set again, waited for: only the unchanged check.
void BM_SaveCapeUnchanged(benchmark::State& state) {
    CapeFixture fixture;
    fixture.store.saveCape("en", "letterBadge", fixture.set);
    fixture.store.waitForSaves();
    measureAgainstSetCopy(state, [&] {
        fixture.store.saveCape("en", "letterBadge", fixture.set);
        fixture.store.waitForSaves();
    });
}
BENCHMARK(BM_SaveCapeUnchanged)->Unit(benchmark::kMillisecond)->Iterations(10);

// What a save costs the thread that asks for it.
void BM_SaveCapeOnTheCallersThread(benchmark::State& state) {
    CapeFixture fixture;
    measureAgainstSetCopy(state, [&] { fixture.store.saveCape("en", "letterBadge", fixture.set); });
    fixture.store.waitForSaves();
}
BENCHMARK(BM_SaveCapeOnTheCallersThread)->Unit(benchmark::kMicrosecond)->Iterations(20);

void BM_LoadCape(benchmark::State& state) {
    CapeFixture fixture;
    fixture.store.saveCape("en", "letterBadge", fixture.set);
    fixture.store.waitForSaves();
    std::optional<CursorCapeStore::CursorSet> loaded;
    measureAgainstSetCopy(state, [&] { loaded = fixture.store.loadCape("en", "letterBadge"); });
    if (!loaded) {
        state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_LoadCape)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
} // namespace tolvane
