#pragma once

#include "platform/LoginItem.h"

#include <filesystem>
#include <string>

namespace tolvane {

// The XDG autostart entry that starts the application at login on a
// freedesktop desktop: <autostart folder>/tolvane.desktop, a desktop entry
// whose Exec line runs the given program on the X11 session.
class XdgAutostartEntry final : public LoginItem {
  public:
    XdgAutostartEntry(const std::filesystem::path& autostartDirectory,
                      std::filesystem::path executable);

    Result<void> install() const override;
    // The entry's text.
    std::string content() const;

  private:
    std::filesystem::path executable_;
};

} // namespace tolvane
