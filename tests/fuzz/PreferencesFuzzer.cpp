// The input is the application's defaults file, read setting by setting and
// value by value as each type of reading does.
#include "app/CursorPreferences.h"
#include "fuzz/FuzzHome.h"
#include "platform/sim/SimDefaultsStore.h"

#include <cstdlib>

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzzing::FuzzHome::shared();
    static SimDefaultsStore defaults(home.folders().preferencesDirectory() /
                                     "com.tolvane.app.plist");
    fuzzing::FuzzHome::write(defaults.plistPath(), fuzzing::bytes(data, size));

    const CursorPreferences preferences(defaults, false);
    (void)preferences.style();
    (void)preferences.isLeftHanded();
    const auto sourceID = preferences.primaryInputSourceID();
    const auto delay = preferences.primaryInputSourceReturnDelaySeconds();
    if ((sourceID && (sourceID->empty() || *sourceID != trimmedWhitespace(*sourceID))) ||
        delay < 0 || delay > CursorPreferences::maximumReturnDelaySeconds) {
        std::abort();
    }
    const auto stored = defaults.dictionaryRepresentation();
    for (const auto& [key, value] : stored ? stored.value() : PropertyList::Dictionary{}) {
        (void)DefaultsStore::stringReading(value);
        (void)DefaultsStore::booleanReading(value);
        (void)DefaultsStore::integerReading(value);
    }
    return 0;
}
