#pragma once

#include "platform/Environment.h"
#include "platform/UserFolders.h"

namespace tolvane {

// The user's folders on a freedesktop system: preferences under
// ${XDG_CONFIG_HOME:-~/.config}/tolvane, the application's own files (capes,
// backups) under ${XDG_CACHE_HOME:-~/.cache}/tolvane. A relative XDG
// variable is ignored, as the XDG base directory rules say.
class X11UserFolders final : public UserFolders {
  public:
    explicit X11UserFolders(const Environment& environment);

    std::filesystem::path homeDirectory() const override { return home_; }
    // ${XDG_DATA_HOME:-~/.local/share}, the counterpart of Application Support.
    std::optional<std::filesystem::path> applicationSupportDirectory() const override {
        return dataHome_;
    }
    std::optional<std::filesystem::path> applicationFilesDirectory() const override {
        return cacheHome_ / "tolvane";
    }
    std::filesystem::path preferencesDirectory() const override { return configHome_ / "tolvane"; }
    // Where the desktop finds what to start at login.
    std::filesystem::path autostartDirectory() const { return configHome_ / "autostart"; }

  private:
    std::filesystem::path home_;
    std::filesystem::path configHome_;
    std::filesystem::path cacheHome_;
    std::filesystem::path dataHome_;
};

} // namespace tolvane
