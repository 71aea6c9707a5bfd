#pragma once

#include "CursorFrames.h"

#include "XHeaders.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace tolvane {

// The user's cursor theme and size, and that theme's cursors by name.
class CursorTheme {
  public:
    // The desktop's choice from XSETTINGS (what toolkits follow), else
    // Xcursor's from the resources and the environment.
    static CursorTheme chosen(Display* display);
    CursorTheme(std::optional<std::string> name, int size);

    const std::optional<std::string>& name() const { return name_; }
    int size() const { return size_; }
    // The theme's own cursor under the name; null when the theme (and its
    // fallbacks) has none. Loaded once.
    std::shared_ptr<const CursorFrames> load(const std::string& cursorName);

  private:
    std::optional<std::string> name_;
    int size_;
    std::map<std::string, std::shared_ptr<const CursorFrames>> loaded_;
};

} // namespace tolvane
