#pragma once

#include "platform/InputSourceServices.h"

#include <optional>
#include <string>
#include <vector>

namespace tolvane::testing {

using Languages = std::optional<std::vector<std::string>>;

// A keyboard input source as the services describe it; absent properties stay absent.
inline InputSource keyboardSource(std::optional<std::string> sourceID,
                                  std::optional<std::string> name, Languages languages,
                                  std::optional<bool> enabled = true,
                                  std::optional<bool> selectCapable = true) {
    InputSource source;
    source.sourceID = std::move(sourceID);
    source.localizedName = std::move(name);
    source.languages = std::move(languages);
    source.isEnabled = enabled;
    source.isSelectCapable = selectCapable;
    return source;
}

} // namespace tolvane::testing
