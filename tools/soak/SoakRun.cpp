#include "SoakRun.h"

#include "cursors/Fnv1a.h"
#include "input/LanguageDetector.h"
#include "render/CursorStyle.h"
#include "support/PixelProbes.h"
#include "support/TrayAppContext.h"

#include <algorithm>
#include <stdexcept>

namespace tolvane::soak {

namespace {

// Time for the program to notice and finish what a step started: the 0.25 s
// poll and the re-activations up to 0.32 s after an apply.
constexpr double settleSeconds = 0.4;
// The smallest badge drawn at 1x covers far more pixels of its colour.
constexpr int minimumBadgePixels = 40;
constexpr float userScale = 1.25f;
// The names under which the program shows its arrow.
const std::array arrowNames{"com.apple.coregraphics.GlobalCurrent", "com.apple.coregraphics.Arrow",
                            "com.apple.cursor.0"};

std::string hexHash(const std::vector<unsigned char>& bytes) {
    return hexDigest(fnv1a64(bytes));
}

// Names whose content differs between the two, or that only one holds.
std::string differingNames(const testing::CursorContents& expected,
                           const testing::CursorContents& actual) {
    std::vector<std::string> names;
    for (const auto& [name, content] : expected) {
        auto found = actual.find(name);
        if (found == actual.end() || !(found->second == content)) {
            names.push_back(name + (found == actual.end() ? "(missing)" : ""));
        }
    }
    for (const auto& [name, content] : actual) {
        if (!expected.contains(name)) {
            names.push_back(name + "(extra)");
        }
    }
    std::string text = " " + std::to_string(names.size()) + " names:";
    for (std::size_t index = 0; index < std::min<std::size_t>(names.size(), 4); ++index) {
        text += " " + names[index];
    }
    return text;
}

} // namespace

SoakRun::SoakRun(const testing::SimulatedWindowServer& server)
    : server_(server), clock_(std::make_shared<ManualClock>()),
      otherProgram_({TOLVANE_SIMWS_PATH}) {
    server_.resetWithDensities({1, 2});
    // The user's own pointer size, which the program enlarges while it runs.
    if (auto connection = otherProgram_.mainConnectionID()) {
        otherProgram_.setCursorScale(*connection, userScale);
    }
    user_.globalCursors = server_.contents(TVWS_SCOPE_GLOBAL);
    user_.connectionCursors = server_.contents(TVWS_SCOPE_CONNECTION);
    user_.scale = server_.scale();
    user_.pointer = server_.displayed().bytes;
    setUserAccessibilityColours();
    launch();
}

SoakRun::~SoakRun() {
    process_.reset();
}

// Colours the program overrides for its run, and a setting it never touches.
void SoakRun::setUserAccessibilityColours() {
    SimSession session(home_.path());
    auto& domain = *session.preferenceDomain(testing::accessibilityDomain);
    domain.setValue("cursorIsCustomized", PropertyList(true));
    domain.setValue("cursorFill", PropertyList(PropertyList::Data{0x10, 0x80, 0xf0, 0xff}));
    domain.setValue("mouseDriverCursorOutlineColor", PropertyList(PropertyList::Data{1, 2, 3}));
    domain.setValue("closeViewScrollWheelToggle", PropertyList(true));
    if (!domain.synchronize()) {
        throw std::runtime_error("the user's Accessibility settings cannot be written");
    }
    user_.accessibilityFile = testing::readFile(accessibilityFile());
}

std::filesystem::path SoakRun::accessibilityFile() {
    return home_.path() / "Library" / "Preferences" /
           (std::string(testing::accessibilityDomain) + ".plist");
}

void SoakRun::launch() {
    const std::string source = process_ ? currentSourceID() : layouts[0];
    process_.reset();
    process_ = std::make_unique<AppProcess>(home_.path(), clock_, source);
}

std::string SoakRun::currentSourceID() {
    return LanguageDetector(*process_->session().inputSources()).detect().language.sourceID();
}

SoakFailure SoakRun::failure(std::string check, std::string detail) const {
    return SoakFailure{stepIndex_, std::move(check), std::move(detail)};
}

std::optional<SoakFailure> SoakRun::play(const std::vector<SoakStep>& steps) {
    for (stepIndex_ = 0; stepIndex_ < steps.size(); ++stepIndex_) {
        const SoakStep& step = steps[stepIndex_];
        ++tally_.steps[static_cast<std::size_t>(step.kind)];
        const std::string sourceBefore = currentSourceID();
        const int noticesBefore = process_->session().inputSources()->notificationsPosted();
        Verdict verdict;
        bool applied = perform(step, verdict);
        if (verdict) {
            return verdict;
        }
        process_->session().loop()->advance(settleSeconds + step.seconds);
        // Every change of layout, the user's or auto-return's, is applied:
        // at once when announced, within a poll when not.
        applied = applied || currentSourceID() != sourceBefore ||
                  process_->session().inputSources()->notificationsPosted() != noticesBefore;
        // An apply after the restore, within the step, decorates again.
        restored_ = !applied && (restored_ || step.kind == StepKind::restore);
        if (applied || step.kind == StepKind::restore) {
            tainted_ = tainted_ && faultsActive_;
        }
        if (Verdict pointer = checkPointer(applied, restored_)) {
            return pointer;
        }
    }
    return std::nullopt;
}

bool SoakRun::perform(const SoakStep& step, Verdict& verdict) {
    SimSession& session = process_->session();
    const auto choice = static_cast<std::size_t>(step.choice);
    switch (step.kind) {
    case StepKind::switchLayout:
        session.inputSources()->switchTo(layouts[choice]);
        return false;
    case StepKind::switchLayoutSilently:
        session.inputSources()->switchWithoutNotification(layouts[choice]);
        return false;
    case StepKind::chooseStyle:
        styleIndex_ = step.choice;
        return process_->choose({"Cursor style", styleTitles[choice]});
    case StepKind::toggleLeftHanded:
        leftHanded_ = !leftHanded_;
        return process_->choose({"Left-handed cursor"});
    case StepKind::reapply:
        return process_->choose({"Reapply for current language"});
    case StepKind::restore:
        process_->choose({"Restore OS cursor"});
        return false;
    case StepKind::setAutoReturnDelay:
        chooseAutoReturnDelay(step.choice);
        return false;
    case StepKind::setPrimaryLayout:
        choosePrimaryLayout(step.choice);
        return false;
    case StepKind::type:
        session.events()->recordEvent(step.choice == 0 ? EventType::keyDown
                                                       : EventType::flagsChanged);
        return false;
    case StepKind::foreignCursor:
        showForeignCursor(foreignCursors[choice]);
        return false;
    case StepKind::injectFault: {
        const FaultChoice& fault = faults[choice];
        if (fault.name != nullptr) {
            server_.injectFaultForName(fault.function, fault.name, fault.kind, fault.value);
        } else {
            server_.injectFault(fault.function, fault.kind, fault.value);
        }
        faultsActive_ = tainted_ = true;
        return false;
    }
    case StepKind::clearFaults:
        server_.clearFaults();
        faultsActive_ = false;
        return false;
    case StepKind::advanceClock:
        return false;
    case StepKind::quitFromMenu:
    case StepKind::quitOnSignal:
        endInOrder(step, verdict);
        return true;
    case StepKind::crash:
        launch();
        return true;
    }
    return false;
}

void SoakRun::chooseAutoReturnDelay(int choice) {
    const int delay = autoReturnDelays[static_cast<std::size_t>(choice)];
    if (choice < presetDelayCount) {
        process_->choose({"Auto-return", delay == 0 ? "Off" : std::to_string(delay) + " seconds"});
        return;
    }
    process_->session().application().setAlertResponder(
        SimApplication::answer("Save", std::to_string(delay)));
    process_->choose({"Auto-return", "Custom seconds"});
}

void SoakRun::choosePrimaryLayout(int choice) {
    const auto index = static_cast<std::size_t>(choice);
    if (index == layouts.size()) {
        process_->choose({"Primary layout", "Use current"});
        return;
    }
    if (index > layouts.size()) {
        process_->choose({"Primary layout", "Clear primary layout"});
        return;
    }
    auto submenu = testing::menuItemAt(process_->menu(), {"Primary layout"})->submenu();
    for (const auto& item : submenu->items()) {
        const auto& represented = item->representedObject();
        const std::string* sourceID = represented ? represented->stringValue() : nullptr;
        if (sourceID != nullptr && *sourceID == layouts[index]) {
            item->performAction();
        }
    }
}

void SoakRun::showForeignCursor(const char* name) {
    if (name == std::string(foreignCursorName)) {
        // Another program's own cursor: a copy of the system's crosshair.
        if (auto connection = otherProgram_.mainConnectionID()) {
            if (auto crosshair = otherProgram_.snapshotCoreCursor(*connection, 7)) {
                otherProgram_.registerCursor(*connection, name, *crosshair, crosshair->images, true,
                                             false);
            }
        }
    }
    if (server_.registeredCursor(TVWS_SCOPE_GLOBAL, name)) {
        server_.simulateForeignCursorChange(name);
    }
}

void SoakRun::endInOrder(const SoakStep& step, Verdict& verdict) {
    // What the user must find after any orderly ending is only promised by a
    // window server that works while the program restores.
    server_.clearFaults();
    faultsActive_ = false;
    if (step.kind == StepKind::quitFromMenu) {
        process_->quitFromMenu();
    } else {
        process_->quitOnSignal(terminationSignals[static_cast<std::size_t>(step.choice)]);
    }
    verdict = checkEnding();
    launch();
}

SoakRun::Verdict SoakRun::checkEnding() {
    ++tally_.endingsChecked;
    for (auto [scope, expected] : {std::pair{TVWS_SCOPE_GLOBAL, &user_.globalCursors},
                                   std::pair{TVWS_SCOPE_CONNECTION, &user_.connectionCursors}}) {
        testing::CursorContents held = server_.contents(scope);
        held.erase(foreignCursorName); // another program's, not ours to put back
        if (held != *expected) {
            return failure("ending-cursors", "registered cursors differ from the system's own:" +
                                                 differingNames(*expected, held));
        }
    }
    if (server_.scale() != user_.scale) {
        return failure("ending-scale", "cursor scale " + std::to_string(server_.scale()) +
                                           ", the user's is " + std::to_string(user_.scale));
    }
    if (server_.displayed().bytes != user_.pointer) {
        return failure("ending-pointer",
                       "the pointer shown is not the system's arrow: " + server_.displayedName());
    }
    if (testing::readFile(accessibilityFile()) != user_.accessibilityFile) {
        return failure("ending-accessibility",
                       "the Accessibility pointer settings are not the user's own");
    }
    const auto support = home_.path() / "Library" / "Application Support" / "Tolvane";
    if (std::filesystem::exists(support / "cursor_accessibility_backup.plist")) {
        return failure("ending-accessibility", "the Accessibility backup is left behind");
    }
    if (std::filesystem::exists(support / "cursor_scale_backup.plist")) {
        return failure("ending-scale", "the cursor scale backup is left behind");
    }
    return std::nullopt;
}

SoakRun::Verdict SoakRun::checkPointer(bool applied, bool restored) {
    if (tainted_) {
        return std::nullopt;
    }
    const std::string name = server_.displayedName();
    if (std::find(arrowNames.begin(), arrowNames.end(), name) == arrowNames.end()) {
        if (applied) {
            return failure("pointer-after-apply", "the pointer shown after an apply is " + name);
        }
        return std::nullopt; // another program's cursor is up
    }
    const InputLanguage language =
        LanguageDetector(*process_->session().inputSources()).detect().language;
    const CursorStyle style = CursorStyle::allCases[static_cast<std::size_t>(styleIndex_)];
    const std::optional<CursorMarker> marker = restored ? std::nullopt : style.marker(language);
    const bool mirrored = !restored && leftHanded_;
    const testing::DisplayedCursor shown = server_.displayed();
    if (!marker && !mirrored && server_.scale() != user_.scale) {
        return failure("system-pointer-scale",
                       "the system's arrow is shown at scale " + std::to_string(server_.scale()) +
                           ", the user's is " + std::to_string(user_.scale));
    }
    if (!marker && !mirrored && shown.bytes != user_.pointer) {
        return failure("system-pointer", "the pointer is not the system's own arrow");
    }
    if (!marker && mirrored && shown.bytes == user_.pointer) {
        return failure("left-handed", "the pointer is not mirrored");
    }
    if (marker && testing::opaquePixelsOf(shown.bytes, marker->fillColor) < minimumBadgePixels) {
        return failure("badge", "the pointer lacks the " + style.rawValue() + " badge of " +
                                    language.code());
    }
    const std::string state = (marker ? language.code() + " " + style.rawValue() : "plain") +
                              (mirrored ? " left" : " right") + " scale " +
                              std::to_string(server_.scale());
    auto [first, inserted] = shownFor_.try_emplace(state, shown.bytes);
    if (!inserted && first->second != shown.bytes) {
        return failure("same-state-same-pointer", "the pointer for " + state + " is " +
                                                      hexHash(shown.bytes) + ", earlier " +
                                                      hexHash(first->second));
    }
    ++tally_.pointersChecked;
    tally_.appliesChecked += applied ? 1 : 0;
    return std::nullopt;
}

} // namespace tolvane::soak
