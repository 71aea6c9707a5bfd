// Soak driver: plays long random scenarios against the real application object
// on the simulated session and window server, checks after every step what a
// user would see, and on a failure prints the shortest step list that still fails.
//
//   tolvane_soak --seed 7 --steps 10000 [--seeds 3] [--without KIND]... [--no-shrink] [--log FILE]
//   tolvane_soak --replay FILE... [--log FILE]
//
// A replayed file holds one step a line as a failure report prints it; blank
// lines and lines starting with # are skipped.
#include "SoakRun.h"
#include "StepShrinker.h"
#include "log/AppLog.h"
#include "platform/RunLoop.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

using namespace tolvane;
using namespace tolvane::soak;

namespace {

struct Options {
    std::uint64_t seed = 1;
    std::size_t steps = 10000;
    int seeds = 1;
    bool shrink = true;
    std::vector<StepKind> without; // kinds left out, to look past a known fault
    std::string logFile;
    std::vector<std::string> replays; // scenario files played instead of seeds
};

bool parse(int argc, char** argv, Options& options) {
    for (int index = 1; index < argc; ++index) {
        const std::string argument = argv[index];
        const bool hasValue = index + 1 < argc;
        if (argument == "--seed" && hasValue) {
            options.seed = std::stoull(argv[++index]);
        } else if (argument == "--steps" && hasValue) {
            options.steps = std::stoull(argv[++index]);
        } else if (argument == "--seeds" && hasValue) {
            options.seeds = std::stoi(argv[++index]);
        } else if (argument == "--replay" && hasValue) {
            options.replays.emplace_back(argv[++index]);
        } else if (argument == "--log" && hasValue) {
            options.logFile = argv[++index];
        } else if (argument == "--without" && hasValue) {
            const std::string name = argv[++index];
            int kind = 0;
            while (kind < stepKindCount && name != stepKindName(static_cast<StepKind>(kind))) {
                ++kind;
            }
            if (kind == stepKindCount) {
                return false;
            }
            options.without.push_back(static_cast<StepKind>(kind));
        } else if (argument == "--no-shrink") {
            options.shrink = false;
        } else {
            return false;
        }
    }
    return options.steps > 0 && options.seeds > 0;
}

void printSummary(std::uint64_t seed, const SoakTally& tally, double seconds) {
    std::printf("seed %llu passed in %.1f s: %d pointers checked (%d right after an apply), "
                "%d orderly endings checked\n",
                static_cast<unsigned long long>(seed), seconds, tally.pointersChecked,
                tally.appliesChecked, tally.endingsChecked);
    for (int kind = 0; kind < stepKindCount; ++kind) {
        std::printf("  %-22s %d\n", stepKindName(static_cast<StepKind>(kind)),
                    tally.steps[static_cast<std::size_t>(kind)]);
    }
}

// `scenario` names the seed or the file.
void printFailure(const std::string& scenario, const SoakFailure& failure,
                  const std::vector<SoakStep>& steps) {
    std::printf("%s FAILED [%s] at step %zu of %zu: %s\n", scenario.c_str(),
                failure.check.c_str(), failure.stepIndex + 1,
                steps.size(), failure.detail.c_str());
    for (std::size_t index = 0; index < steps.size(); ++index) {
        std::printf("  %3zu %s\n", index + 1, describe(steps[index]).c_str());
    }
}

// True when the seed passes.
bool soakSeed(const testing::SimulatedWindowServer& server, std::uint64_t seed,
              const Options& options) {
    const auto started = std::chrono::steady_clock::now();
    const std::vector<SoakStep> steps = generateSteps(seed, options.steps, options.without);
    std::optional<SoakFailure> failure;
    SoakTally tally;
    {
        SoakRun run(server);
        failure = run.play(steps);
        tally = run.tally();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!failure) {
        printSummary(seed, tally, seconds);
        return true;
    }
    std::vector<SoakStep> failing(
        steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(failure->stepIndex + 1));
    printFailure("seed " + std::to_string(seed), *failure, failing);
    if (!options.shrink) {
        return false;
    }
    std::printf("shrinking...\n");
    std::fflush(stdout);
    SoakFailure shortest = *failure;
    failing = shrinkSteps(failing, [&](const std::vector<SoakStep>& candidate) {
        std::optional<SoakFailure> again = SoakRun(server).play(candidate);
        if (again && again->check == failure->check) {
            shortest = *again;
            return true;
        }
        return false;
    });
    // The last failing replay may have been a longer list than the one kept.
    shortest = SoakRun(server).play(failing).value_or(shortest);
    printFailure("seed " + std::to_string(seed), shortest, failing);
    return false;
}

// True when the scenario in the file passes.
bool replay(const testing::SimulatedWindowServer& server, const std::string& file) {
    std::ifstream in(file);
    if (!in) {
        std::printf("%s: cannot be read\n", file.c_str());
        return false;
    }
    std::vector<SoakStep> steps;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.find_first_not_of(" \t") == std::string::npos ||
            line[line.find_first_not_of(" \t")] == '#') {
            continue;
        }
        std::optional<SoakStep> step = parseStep(line);
        if (!step) {
            std::printf("%s:%d: not a step: %s\n", file.c_str(), number, line.c_str());
            return false;
        }
        steps.push_back(*step);
    }
    if (std::optional<SoakFailure> failure = SoakRun(server).play(steps)) {
        std::vector<SoakStep> played(
            steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(failure->stepIndex + 1));
        printFailure(file, *failure, played);
        return false;
    }
    std::printf("%s passed: %zu steps\n", file.c_str(), steps.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // Before any thread exists: the signal steps are read from the run loop.
    blockTerminationSignals();
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s [--seed N] [--steps N] [--seeds N] [--without KIND]... "
                     "[--no-shrink] [--log FILE]\n       %s --replay FILE... [--log FILE]\n",
                     argv[0], argv[0]);
        return 2;
    }
    AppLog::configure({options.logFile.empty()
                           ? Environment(EnvironmentMap{{"TOLVANE_ENABLE_LOGS", "0"}})
                           : Environment(EnvironmentMap{{"TOLVANE_VERBOSE", "1"}}),
                       options.logFile.empty() ? "/dev/null" : options.logFile, nullptr});
    const testing::SimulatedWindowServer server(TOLVANE_SIMWS_PATH);
    bool passed = true;
    for (const std::string& file : options.replays) {
        passed = replay(server, file) && passed;
    }
    for (int offset = 0; options.replays.empty() && offset < options.seeds; ++offset) {
        passed =
            soakSeed(server, options.seed + static_cast<std::uint64_t>(offset), options) && passed;
        std::fflush(stdout);
    }
    AppLog::flush();
    return passed ? 0 : 1;
}
