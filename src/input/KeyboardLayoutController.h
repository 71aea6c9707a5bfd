#pragma once

#include "input/KeyboardInputSourceChoice.h"
#include "platform/InputSourceServices.h"

#include <locale>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// Lists the keyboard input sources the user can switch to and switches to one.
// Keeps no state: every call reads the platform afresh.
class KeyboardLayoutController {
  public:
    // Names are sorted the way the user's locale orders them.
    explicit KeyboardLayoutController(InputSourceServices& services,
                                      std::locale locale = userLocale());

    // Enabled, selectable keyboard sources, one per identifier, sorted by name.
    std::vector<KeyboardInputSourceChoice> enabledSelectableSources() const;
    std::optional<KeyboardInputSourceChoice> sourceChoice(const std::string& sourceID) const;
    bool sourceExists(const std::string& sourceID) const;
    bool selectSource(const std::string& sourceID) const;

    // Describes one source; none when it has no identifier.
    static std::optional<KeyboardInputSourceChoice> choice(const InputSource& source);
    // First choice per identifier, then sorted by name ignoring case; names
    // that compare equal keep their order.
    static std::vector<KeyboardInputSourceChoice>
    menuOrder(const std::vector<KeyboardInputSourceChoice>& choices, const std::locale& locale);
    // The locale of the environment, or the classic one when that names no installed locale.
    static std::locale userLocale();

  private:
    // The enabled, select-capable source with exactly this identifier.
    std::optional<InputSource> inputSource(const std::string& sourceID) const;

    InputSourceServices& services_;
    std::locale locale_;
};

} // namespace tolvane
