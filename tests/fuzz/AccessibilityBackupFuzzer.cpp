// The input is the Accessibility backup file an earlier run left behind: it
// is recovered into the pointer preferences, which are then overridden and
// put back as in a run.
#include "accessibility/CursorAccessibilityAppearanceController.h"
#include "fuzz/FuzzHome.h"
#include "platform/sim/SimPreferenceDomain.h"

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzzing::FuzzHome::shared();
    using Controller = CursorAccessibilityAppearanceController;
    SimPreferenceDomain domain(Controller::preferencesDomain,
                               home.folders().preferencesDirectory() /
                                   (std::string(Controller::preferencesDomain) + ".plist"));
    std::filesystem::remove(domain.plistPath());
    Controller controller(domain, home.folders());
    fuzzing::FuzzHome::write(*controller.backupURL(), fuzzing::bytes(data, size));

    controller.recoverPreviousSessionIfNeeded();
    controller.activateSystemCursorAppearanceIfNeeded();
    controller.restoreOriginalAppearanceIfNeeded();
    return 0;
}
