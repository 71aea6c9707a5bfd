// The real program on a private Xvfb with the Adwaita cursor theme at 24
// pixels and twenty X clients: from a layout switch (XkbLockGroup), and from a
// Caps Lock toggle (XkbLockModifiers), to the new badge under the pointer, the
// X server's own CPU time per switch, and the resident sizes of the server and
// the program before and after 1,000 switches.
#include "BenchSupport.h"
#include "render/CursorRenderer.h"
#include "support/ChildProcess.h"
#include "support/X11Screen.h"
#include "support/XvfbDisplay.h"

#include <X11/XKBlib.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <unistd.h>

namespace tolvane {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::ShownCursor;
using testing::X11Screen;
using testing::XvfbDisplay;
using Watch = std::chrono::steady_clock;

constexpr int groups = 3;
constexpr int clients = 20;

// The process's resident size in megabytes, from /proc.
double residentMegabytes(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(file, line)) {
        if (line.starts_with("VmRSS:")) {
            return std::stod(line.substr(6)) / 1024;
        }
    }
    return 0;
}

// CPU seconds the process has used (user and system), from /proc.
double cpuSeconds(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string skipped;
    for (int field = 3; field < 14; ++field) {
        fields >> skipped;
    }
    unsigned long long user = 0, system = 0;
    fields >> user >> system;
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// One plain copy of every pixel byte of the theme's core cursors as the
// program decorates them, the best of several.
double decoratedThemeSetCopySeconds(std::size_t& bytes) {
    CGSRuntime runtime({TOLVANE_X11WS_PATH});
    const auto connection = runtime.mainConnectionID();
    std::vector<Image> images;
    for (std::int32_t cursor = 0; connection && cursor <= 44; ++cursor) {
        if (auto own = runtime.snapshotCoreCursor(*connection, cursor)) {
            auto payload = CursorRenderer::decoratePayload(*own, letterBadge(), CursorTemplate::arrow,
                                                           false, false, false, false);
            images.insert(images.end(), payload.images.begin(), payload.images.end());
        }
    }
    bytes = 0;
    for (const Image& image : images) {
        bytes += image.byteCount();
    }
    std::vector<unsigned char> copy(bytes);
    double best = 1e9;
    for (int round = 0; round < 20; ++round) {
        const auto start = Watch::now();
        std::size_t offset = 0;
        for (const Image& image : images) {
            std::memcpy(copy.data() + offset, image.bytes(), image.byteCount());
            offset += image.byteCount();
        }
        benchmark::DoNotOptimize(copy.data());
        best = std::min(best, std::chrono::duration<double>(Watch::now() - start).count());
    }
    return best;
}

// The program on the private Xvfb with the twenty clients, the pointer
// resting in the first xterm as the program starts.
struct X11Desk {
    X11Desk() : server(options(home)) {
        others.push_back(server.startClient({"xterm", "-geometry", "20x5+500+400"}));
        for (int client = 1; client < clients; ++client) {
            others.push_back(server.startClient({"xterm", "-geometry", "20x5+0+0"}));
        }
        screen.emplace(server);
        own = screen->awaitAt(560, 430, [](const ShownCursor& shown) { return shown.width > 0; });
        program = server.startClient({TOLVANE_EXECUTABLE, "--session=x11"}, home / "output.txt");
    }

    static XvfbDisplay::Options options(const testing::TemporaryDirectory& home) {
        XvfbDisplay::Options options;
        options.keyboardLayouts = {"us", "ru", "de"};
        options.environment = {{"XCURSOR_THEME", "Adwaita"},
                               {"XCURSOR_SIZE", "24"},
                               {"HOME", home.path().string()},
                               {"XDG_CONFIG_HOME", (home / "config").string()},
                               {"XDG_CACHE_HOME", (home / "cache").string()},
                               {"TOLVANE_LOG_FILE", (home / "Tolvane.log").string()}};
        options.rootCursor = "left_ptr";
        return options;
    }

    ShownCursor shown() const { return screen->at(560, 430); }

    // What the pointer shows after each of `count` changes, made in turn twice
    // once the program has put up its badge; none when a change did not reach
    // the pointer or the second round showed otherwise than the first.
    std::optional<std::vector<ShownCursor>> looks(const std::function<void(std::size_t)>& change,
                                                  std::size_t count) const {
        ShownCursor previous = settled(own);
        std::vector<ShownCursor> looks(count);
        for (std::size_t round = 0; round < 2 * count; ++round) {
            const std::size_t step = (round + 1) % count;
            change(step);
            XSync(screen->display(), False);
            const ShownCursor now = settled(previous);
            if (now == previous || (round >= count && now != looks[step])) {
                return std::nullopt;
            }
            looks[step] = previous = now;
        }
        return looks;
    }

    testing::TemporaryDirectory home;
    XvfbDisplay server;
    std::vector<ChildProcess> others;
    std::optional<X11Screen> screen;
    // The theme's own cursor, before the program starts.
    ShownCursor own;
    ChildProcess program;

  private:
    // What the pointer shows once a change has taken it away from `previous`.
    ShownCursor settled(const ShownCursor& previous) const {
        return screen->awaitAt(560, 430, [&](const ShownCursor& shown) {
            return shown.width > 0 && shown != previous;
        });
    }
};

// Makes change `step % looks.size()` once per iteration and waits until the
// pointer shows its look; reports the median and 99th percentile as
// multiples of the copy floor, the X server's CPU time per change, and the
// resident sizes of the server and the program before and after.
void measureChanges(benchmark::State& state, X11Desk& desk,
                    const std::function<void(std::size_t)>& change,
                    const std::vector<ShownCursor>& looks) {
    std::size_t bytes = 0;
    const double floor = decoratedThemeSetCopySeconds(bytes);
    std::vector<double> times;
    const double serverBefore = cpuSeconds(desk.server.serverPid());
    const double programBefore = cpuSeconds(desk.program.pid());
    const double serverResidentBefore = residentMegabytes(desk.server.serverPid());
    const double programResidentBefore = residentMegabytes(desk.program.pid());
    std::size_t step = 0;
    for (auto _ : state) {
        step = (step + 1) % looks.size();
        const auto start = Watch::now();
        change(step);
        XSync(desk.screen->display(), False);
        while (desk.shown() != looks[step]) {
            if (Watch::now() - start > 10s) {
                state.SkipWithError("the pointer did not follow the change within 10 s");
                return;
            }
        }
        times.push_back(std::chrono::duration<double>(Watch::now() - start).count());
    }
    const double serverSeconds = cpuSeconds(desk.server.serverPid()) - serverBefore;
    const double programSeconds = cpuSeconds(desk.program.pid()) - programBefore;
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    const double p99 = times[std::min(times.size() - 1, times.size() * 99 / 100)];
    state.counters["set_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["floor_ms"] = floor * 1000;
    state.counters["median_ms"] = median * 1000;
    state.counters["p99_ms"] = p99 * 1000;
    state.counters["x_floor_median"] = median / floor;
    state.counters["x_floor_p99"] = p99 / floor;
    // Flat when neither side keeps what a switch made.
    state.counters["xserver_rss_mb_before"] = serverResidentBefore;
    state.counters["xserver_rss_mb_after"] = residentMegabytes(desk.server.serverPid());
    state.counters["program_rss_mb_before"] = programResidentBefore;
    state.counters["program_rss_mb_after"] = residentMegabytes(desk.program.pid());
    state.counters["xserver_cpu_ms_per_switch"] =
        serverSeconds * 1000 / static_cast<double>(times.size());
    state.counters["program_cpu_ms_per_switch"] =
        programSeconds * 1000 / static_cast<double>(times.size());
    desk.program.stop();
}

void BM_X11LayoutSwitchToPointer(benchmark::State& state) {
    X11Desk desk;
    auto lockGroup = [&](std::size_t group) {
        XkbLockGroup(desk.screen->display(), XkbUseCoreKbd, static_cast<unsigned>(group));
    };
    // Each layout's badge as it shows once the program has settled on it.
    const auto badges = desk.looks(lockGroup, groups);
    if (!badges) {
        state.SkipWithError("the badge did not follow the layout as it settled");
        return;
    }
    measureChanges(state, desk, lockGroup, *badges);
}
BENCHMARK(BM_X11LayoutSwitchToPointer)->Unit(benchmark::kMillisecond)->Iterations(1000);

// From Caps Lock locked or unlocked (XkbLockModifiers) to the badge with or
// without its bar under the pointer.
void BM_X11CapsLockToggleToPointer(benchmark::State& state) {
    X11Desk desk;
    auto lockCaps = [&](std::size_t locked) {
        XkbLockModifiers(desk.screen->display(), XkbUseCoreKbd, LockMask,
                         locked != 0 ? LockMask : 0);
    };
    const auto looks = desk.looks(lockCaps, 2);
    if (!looks) {
        state.SkipWithError("the pointer did not follow Caps Lock as it settled");
        return;
    }
    measureChanges(state, desk, lockCaps, *looks);
}
BENCHMARK(BM_X11CapsLockToggleToPointer)->Unit(benchmark::kMillisecond)->Iterations(1000);

} // namespace
} // namespace tolvane
