// The application on the simulated session: what a poll costs when nothing
// changed, and how long a layout switch and a Caps Lock toggle take to show
// on the pointer.
#include "BenchSupport.h"
#include "app/LaunchAgent.h"
#include "app/TolvaneTrayApp.h"
#include "input/LanguageDetector.h"
#include "platform/sim/SimSession.h"
#include "platform/sim/SimStandardCursors.h"
#include "support/SimulatedWindowServer.h"
#include "support/TemporaryDirectory.h"

namespace tolvane {
namespace {

// Reports nothing and looks for nothing.
class QuietUpdater final : public Updater {
  public:
    bool automaticallyChecksForUpdates() const override { return false; }
    void checkForUpdatesInBackground() override {}
    void checkForUpdates() override {}
};

// The application launched on a fresh session with the manual clock.
struct LaunchedApp {
    LaunchedApp() { app.applicationDidFinishLaunching(); }

    FreshWindowServer freshWindowServer;
    testing::TemporaryDirectory home;
    SimSession session{home.path()};
    CGSRuntime runtime{{TOLVANE_SIMWS_PATH}, session.events()};
    CursorCapeStore capes{*session.folders()};
    SimStandardCursors standardCursors;
    TolvaneTrayApp app{
        TrayAppContext{session.loop(), session.application(), session.statusBar(),
                       *session.inputSources(), *session.events(), *session.defaults(),
                       *session.preferenceDomain("com.apple.universalaccess"), *session.folders(),
                       session.bundle(), standardCursors, runtime, capes, Environment(),
                       [] { return std::make_unique<QuietUpdater>(); },
                       std::make_shared<LaunchAgent>(*session.folders(), session.bundle())}};
};

// The poll itself, without the run loop's timer around it. Its floor is the
// one input source detection it has to make.
double detectionSeconds(SimSession& session) {
    LanguageDetector detector(*session.inputSources());
    constexpr int rounds = 100000;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round) {
        benchmark::DoNotOptimize(detector.detect());
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / rounds;
}

void BM_UnchangedPoll(benchmark::State& state) {
    LaunchedApp launched;
    RunLoop& loop = *launched.session.loop();
    loop.advance(5); // past every reapply of the launch
    const std::size_t calls = testing::SimulatedWindowServer(TOLVANE_SIMWS_PATH).journal().size();
    measureAgainstFloor(state, detectionSeconds(launched.session),
                        [&] { launched.app.pollInputSource(); });
    if (testing::SimulatedWindowServer(TOLVANE_SIMWS_PATH).journal().size() != calls) {
        state.SkipWithError("an unchanged poll called the window server");
    }
}
BENCHMARK(BM_UnchangedPoll);

// From the switch to the new badge on the displayed arrow: the notification,
// the refresh and a language-only apply.
void BM_LayoutSwitchToDecoratedArrow(benchmark::State& state) {
    LaunchedApp launched;
    RunLoop& loop = *launched.session.loop();
    loop.advance(5);
    const char* sources[] = {"com.apple.keylayout.Russian", "com.apple.keylayout.German",
                             "com.apple.keylayout.ABC"};
    std::size_t next = 0;
    measureAgainstSetCopy(state, [&] {
        launched.session.inputSources()->switchTo(sources[next++ % 3]);
        loop.drain();
    });
}
BENCHMARK(BM_LayoutSwitchToDecoratedArrow)->Unit(benchmark::kMillisecond)->Iterations(50);

// From Caps Lock pressed to the badge with or without its bar on the
// displayed arrow: the notification, the refresh and a lightweight apply.
void BM_CapsLockToggleToDecoratedArrow(benchmark::State& state) {
    LaunchedApp launched;
    RunLoop& loop = *launched.session.loop();
    loop.advance(5);
    measureAgainstSetCopy(state, [&] {
        launched.session.events()->pressCapsLock();
        loop.drain();
    });
}
BENCHMARK(BM_CapsLockToggleToDecoratedArrow)->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace
} // namespace tolvane
