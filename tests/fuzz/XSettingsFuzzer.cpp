// The input is an _XSETTINGS_SETTINGS property as a settings manager wrote it.
#include "XSettings.h"

#include <cstdlib>
#include <span>

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const XSettings settings = XSettings::parse(std::span<const std::uint8_t>(data, size));
    // Refused bytes give no settings; a name is never longer than the property.
    if (!settings.failure.empty() && (!settings.integers.empty() || !settings.strings.empty())) {
        std::abort();
    }
    for (const auto& [name, value] : settings.strings) {
        if (name.size() + value.size() > size) {
            std::abort();
        }
    }
    return 0;
}
