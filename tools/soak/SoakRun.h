#pragma once

#include "AppProcess.h"
#include "SoakStep.h"
#include "support/SimulatedWindowServer.h"
#include "support/TemporaryDirectory.h"

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::soak {

// The first thing a user would have noticed, and when.
struct SoakFailure {
    std::size_t stepIndex = 0;
    std::string check; // which promise broke: a failing replay must break the same one
    std::string detail;
};

struct SoakTally {
    std::array<int, stepKindCount> steps{};
    int appliesChecked = 0;  // pointers looked at right after something applied
    int pointersChecked = 0; // every look at the pointer
    int endingsChecked = 0;
};

// Plays a list of steps from scratch against the real application object: a
// fresh home folder, a fresh window server and a manual clock. After every
// step the pointer on screen must be what the user asked for, and after every
// orderly ending the window server and the Accessibility settings must be as
// the user had them before the first launch.
class SoakRun {
  public:
    explicit SoakRun(const testing::SimulatedWindowServer& server);
    ~SoakRun();
    SoakRun(const SoakRun&) = delete;
    SoakRun& operator=(const SoakRun&) = delete;

    std::optional<SoakFailure> play(const std::vector<SoakStep>& steps);
    const SoakTally& tally() const { return tally_; }

  private:
    // What the user had before the program first ran.
    struct UserState {
        testing::CursorContents globalCursors;
        testing::CursorContents connectionCursors;
        float scale = 0;
        std::vector<unsigned char> pointer;
        std::string accessibilityFile;
    };
    using Verdict = std::optional<SoakFailure>;

    void setUserAccessibilityColours();
    // Starts the program anew, dropping the running one, on the layout it left.
    void launch();
    // Performs the step's action; true when it makes the program apply.
    bool perform(const SoakStep& step, Verdict& verdict);
    void chooseAutoReturnDelay(int choice);
    void choosePrimaryLayout(int choice);
    void showForeignCursor(const char* name);
    void endInOrder(const SoakStep& step, Verdict& verdict);
    Verdict checkEnding();
    Verdict checkPointer(bool applied, bool restored);
    std::string currentSourceID();
    std::filesystem::path accessibilityFile();
    SoakFailure failure(std::string check, std::string detail) const;

    const testing::SimulatedWindowServer& server_;
    testing::TemporaryDirectory home_;
    std::shared_ptr<Clock> clock_;
    CGSRuntime otherProgram_;
    UserState user_;
    std::unique_ptr<AppProcess> process_;
    SoakTally tally_;
    std::size_t stepIndex_ = 0;

    // What the user chose, and what the window server went through.
    int styleIndex_ = 1; // the program's default, "Letter badge"
    bool leftHanded_ = false;
    bool restored_ = false;
    bool faultsActive_ = false;
    // A fault may leave any state behind until the program next applies on a
    // healthy window server.
    bool tainted_ = false;
    // The pointer first shown for each language, style, hand and scale.
    std::map<std::string, std::vector<unsigned char>> shownFor_;
};

} // namespace tolvane::soak
