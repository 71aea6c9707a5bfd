#include "SoakStep.h"

#include <algorithm>
#include <random>
#include <sstream>
#include <stdexcept>

namespace tolvane::soak {

namespace {

struct KindInfo {
    const char* name;
    int weight; // how often the generator picks the kind, relative to the others
    int choices;
};

// Orderly endings and crashes each relaunch the program, the dearest step,
// so they come about once in sixty steps.
constexpr std::array<KindInfo, stepKindCount> kinds{{
    {"switchLayout", 40, static_cast<int>(layouts.size())},
    {"switchLayoutSilently", 24, static_cast<int>(layouts.size())},
    {"chooseStyle", 10, static_cast<int>(styleTitles.size())},
    {"toggleLeftHanded", 6, 1},
    {"reapply", 6, 1},
    {"restore", 6, 1},
    {"setAutoReturnDelay", 8, static_cast<int>(autoReturnDelays.size())},
    {"setPrimaryLayout", 6, primaryLayoutChoices},
    {"type", 14, keyChoices},
    {"foreignCursor", 8, static_cast<int>(foreignCursors.size())},
    {"injectFault", 5, static_cast<int>(faults.size())},
    {"clearFaults", 6, 1},
    {"advanceClock", 24, 1},
    {"quitFromMenu", 1, 1},
    {"quitOnSignal", 1, static_cast<int>(terminationSignals.size())},
    {"crash", 1, 1},
}};

const char* functionName(TVWSFunction function) {
    static constexpr std::array<const char*, TVWS_FUNCTION_COUNT> names{
        "MainConnectionID",
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
        "CoreCursorUnregisterAll",
        "CoreCursorSet",
        "CoreCursorSetAndReturnSeed",
        "CoreCursorCopyImages",
        "RemoveRegisteredCursor",
        "GetGlobalCursorDataSize",
        "GetGlobalCursorData",
        "CurrentCursorSeed"};
    return names[static_cast<std::size_t>(function)];
}

std::string choiceText(const SoakStep& step) {
    const auto index = static_cast<std::size_t>(step.choice);
    switch (step.kind) {
    case StepKind::switchLayout:
    case StepKind::switchLayoutSilently:
        return layouts[index];
    case StepKind::chooseStyle:
        return styleTitles[index];
    case StepKind::setAutoReturnDelay:
        return std::to_string(autoReturnDelays[index]) + "s";
    case StepKind::setPrimaryLayout:
        return index < layouts.size()    ? layouts[index]
               : index == layouts.size() ? "use current"
                                         : "clear";
    case StepKind::type:
        return step.choice == 0 ? "key" : "modifier";
    case StepKind::foreignCursor:
        return foreignCursors[index];
    case StepKind::injectFault: {
        const FaultChoice& fault = faults[index];
        return std::string(functionName(fault.function)) + " kind=" + std::to_string(fault.kind) +
               " value=" + std::to_string(fault.value) +
               (fault.name != nullptr ? std::string(" name=") + fault.name : "");
    }
    case StepKind::quitOnSignal:
        return "signal " + std::to_string(terminationSignals[index]);
    default:
        return {};
    }
}

} // namespace

const char* stepKindName(StepKind kind) {
    return kinds[static_cast<std::size_t>(kind)].name;
}

std::vector<SoakStep> generateSteps(std::uint64_t seed, std::size_t count,
                                    const std::vector<StepKind>& without) {
    std::mt19937_64 random(seed);
    std::vector<int> weights;
    for (int kind = 0; kind < stepKindCount; ++kind) {
        const bool left =
            std::find(without.begin(), without.end(), static_cast<StepKind>(kind)) != without.end();
        weights.push_back(left ? 0 : kinds[static_cast<std::size_t>(kind)].weight);
    }
    std::discrete_distribution<int> pickKind(weights.begin(), weights.end());
    std::vector<SoakStep> steps;
    steps.reserve(count);
    while (steps.size() < count) {
        SoakStep step;
        step.kind = static_cast<StepKind>(pickKind(random));
        const KindInfo& info = kinds[static_cast<std::size_t>(step.kind)];
        step.choice = std::uniform_int_distribution<int>(0, info.choices - 1)(random);
        // Mostly a moment, sometimes past every delay the program keeps
        // (reapplies, the auto-return window), now and then minutes.
        const double roll = std::uniform_real_distribution<double>(0, 1)(random);
        step.seconds = roll < 0.7    ? std::uniform_real_distribution<double>(0.0, 0.5)(random)
                       : roll < 0.95 ? std::uniform_real_distribution<double>(0.5, 12.0)(random)
                                     : std::uniform_real_distribution<double>(12.0, 400.0)(random);
        steps.push_back(step);
    }
    return steps;
}

std::string describe(const SoakStep& step) {
    const std::string choice = choiceText(step);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", step.seconds);
    return std::string(stepKindName(step.kind)) + (choice.empty() ? "" : " " + choice) + " +" +
           seconds + "s";
}

std::optional<SoakStep> parseStep(const std::string& text) {
    std::istringstream words(text);
    std::string word;
    std::vector<std::string> parts;
    while (words >> word) {
        parts.push_back(word);
    }
    if (!parts.empty() && std::all_of(parts.front().begin(), parts.front().end(),
                                      [](char c) { return c >= '0' && c <= '9'; })) {
        parts.erase(parts.begin());
    }
    if (parts.empty()) {
        return std::nullopt;
    }
    SoakStep step;
    const auto kind = std::find_if(kinds.begin(), kinds.end(), [&](const KindInfo& info) {
        return parts.front() == info.name;
    });
    if (kind == kinds.end()) {
        return std::nullopt;
    }
    step.kind = static_cast<StepKind>(kind - kinds.begin());
    parts.erase(parts.begin());
    if (!parts.empty() && parts.back().size() > 2 && parts.back().front() == '+' &&
        parts.back().back() == 's') {
        try {
            step.seconds = std::stod(parts.back().substr(1, parts.back().size() - 2));
        } catch (const std::exception&) {
            return std::nullopt;
        }
        parts.pop_back();
    }
    std::string choice;
    for (const std::string& part : parts) {
        choice += (choice.empty() ? "" : " ") + part;
    }
    for (step.choice = 0; step.choice < kind->choices; ++step.choice) {
        if (choiceText(step) == choice) {
            return step;
        }
    }
    return std::nullopt;
}

} // namespace tolvane::soak
