#include "input/KeyboardInputSourceChoice.h"

#include "input/InputLanguage.h"

namespace tolvane {

std::string KeyboardInputSourceChoice::menuTitle() const {
    const std::string badge =
        badgeText.empty() ? InputLanguage::badgeText(languageCode) : badgeText;
    return localizedName + " [" + badge + "]";
}

} // namespace tolvane
