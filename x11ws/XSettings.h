#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>

namespace tolvane {

// The settings a desktop publishes in the _XSETTINGS_SETTINGS property of the
// _XSETTINGS_S<screen> selection owner (GTK and every toolkit read their cursor
// theme and size there).
struct XSettings {
    std::map<std::string, std::int32_t> integers;
    std::map<std::string, std::string> strings;
    // Empty when the bytes parsed; otherwise why they did not, and no settings.
    std::string failure;

    // Reads the property's bytes in either byte order. Colours are skipped.
    // Never reads outside the bytes, whatever the lengths in them claim.
    static XSettings parse(std::span<const std::uint8_t> bytes);
};

} // namespace tolvane
