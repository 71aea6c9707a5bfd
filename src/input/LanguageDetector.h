#pragma once

#include "input/InputLanguage.h"
#include "platform/InputSourceServices.h"

#include <optional>
#include <string>

namespace tolvane {

// Which keyboard input source is selected now, and which language it types.
// Keeps no state: every call reads the platform afresh.
class LanguageDetector {
  public:
    explicit LanguageDetector(InputSourceServices& services) : services_(services) {}

    LanguageState detect() const;

    // The platform-free part of detect(): none stands for "no source selected".
    static LanguageState languageState(const std::optional<InputSource>& source);
    // A raw language code recognised from well-known words of the source's
    // identifier and name, or "unknown".
    static std::string languageCode(const std::string& sourceID, const std::string& fallbackName);

  private:
    InputSourceServices& services_;
};

} // namespace tolvane
