#pragma once

#include "simws/Control.h"

#include <array>
#include <csignal>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::soak {

// What a user, another program or the machine does in one step.
enum class StepKind {
    switchLayout,         // the user picks a layout; the change notification arrives
    switchLayoutSilently, // the same, but the notification is lost: only the poll sees it
    chooseStyle,          // menu: Cursor style
    toggleLeftHanded,     // menu: Left-handed cursor
    reapply,              // menu: Reapply for current language
    restore,              // menu: Restore OS cursor
    setAutoReturnDelay,   // menu: Auto-return, a preset or the custom dialog
    setPrimaryLayout,     // menu: Primary layout, a source, "Use current" or "Clear"
    type,                 // a key or a modifier key is pressed
    foreignCursor,        // another program shows a cursor
    injectFault,          // the window server starts failing one function
    clearFaults,          // and works again
    advanceClock,         // time passes
    quitFromMenu,         // menu: Quit, then the program is started again
    quitOnSignal,         // a termination signal, then the program is started again
    crash,                // the program dies without cleaning up and is started again
};
inline constexpr int stepKindCount = static_cast<int>(StepKind::crash) + 1;

const char* stepKindName(StepKind kind);

// One step: its kind, which of the kind's choices, and how long time then
// passes. A replay runs the list, never the generator, so a list is a whole
// scenario on its own.
struct SoakStep {
    StepKind kind = StepKind::advanceClock;
    int choice = 0;
    double seconds = 0;
};

// The choices of the kinds that have them.
inline constexpr std::array layouts{"com.apple.keylayout.ABC",
                                    "com.apple.keylayout.Russian",
                                    "com.apple.keylayout.German",
                                    "com.apple.keylayout.Dutch",
                                    "com.apple.keylayout.Ukrainian",
                                    "com.apple.inputmethod.SCIM.ITABC",
                                    "com.apple.inputmethod.TCIM.Zhuyin",
                                    "com.apple.inputmethod.Kotoeri.RomajiTyping.Japanese",
                                    "com.example.keylayout.Dutch_Special"};
inline constexpr std::array styleTitles{"System cursor", "Letter badge", "Color dot",
                                        "High contrast"};
// The menu's presets first, then delays typed into the custom dialog.
inline constexpr std::array autoReturnDelays{0, 5, 10, 30, 60, 300, 1, 2, 3, 7};
inline constexpr int presetDelayCount = 6;
// A layout, then "Use current", then "Clear primary layout".
inline constexpr int primaryLayoutChoices = static_cast<int>(layouts.size()) + 2;
// A key press or a modifier key.
inline constexpr int keyChoices = 2;
// Another program shows a system cursor, or registers one of its own and shows it.
inline constexpr const char* foreignCursorName = "com.example.Sketch.Pen";
inline constexpr std::array foreignCursors{"com.apple.coregraphics.IBeam",
                                           "com.apple.coregraphics.PointingHand",
                                           "com.apple.coregraphics.Arrow", foreignCursorName};
struct FaultChoice {
    TVWSFunction function;
    TVWSFaultKind kind;
    std::int32_t value;
    const char* name; // only calls naming this cursor; null: every call
};
inline constexpr std::array faults{
    FaultChoice{TVWS_FN_MAIN_CONNECTION_ID, TVWS_FAULT_STATUS, 0, nullptr},
    FaultChoice{TVWS_FN_REGISTER_CURSOR_WITH_IMAGES, TVWS_FAULT_STATUS, 1000, nullptr},
    FaultChoice{TVWS_FN_REGISTER_CURSOR_WITH_IMAGES, TVWS_FAULT_STATUS, 1000,
                "com.apple.coregraphics.Arrow"},
    FaultChoice{TVWS_FN_COPY_REGISTERED_CURSOR_IMAGES, TVWS_FAULT_NO_ARRAY, 0, nullptr},
    FaultChoice{TVWS_FN_COPY_REGISTERED_CURSOR_IMAGES, TVWS_FAULT_EMPTY_ARRAY, 0, nullptr},
    FaultChoice{TVWS_FN_COPY_REGISTERED_CURSOR_IMAGES, TVWS_FAULT_NON_IMAGE_FIRST, 0, nullptr},
    FaultChoice{TVWS_FN_SET_REGISTERED_CURSOR, TVWS_FAULT_STATUS, 1000, nullptr},
    FaultChoice{TVWS_FN_CREATE_REGISTERED_CURSOR_IMAGE, TVWS_FAULT_NULL_RESULT, 0, nullptr},
    FaultChoice{TVWS_FN_GET_CURSOR_SCALE, TVWS_FAULT_STATUS, 1000, nullptr},
    FaultChoice{TVWS_FN_SET_CURSOR_SCALE, TVWS_FAULT_STATUS, 1000, nullptr},
    FaultChoice{TVWS_FN_CORE_CURSOR_UNREGISTER_ALL, TVWS_FAULT_STATUS, 1000, nullptr},
    FaultChoice{TVWS_FN_CORE_CURSOR_COPY_IMAGES, TVWS_FAULT_EMPTY_ARRAY, 0, nullptr},
    FaultChoice{TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_STATUS, 1000, nullptr},
    FaultChoice{TVWS_FN_GET_GLOBAL_CURSOR_DATA, TVWS_FAULT_SHORT_DATA, 16, nullptr},
};
inline constexpr std::array terminationSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// A reproducible random scenario, without steps of the kinds left out.
std::vector<SoakStep> generateSteps(std::uint64_t seed, std::size_t count,
                                    const std::vector<StepKind>& without = {});

std::string describe(const SoakStep& step);
// The step that `describe` gives this text for, with or without the number in
// front that a failure report puts there; none for any other text.
std::optional<SoakStep> parseStep(const std::string& text);

} // namespace tolvane::soak
