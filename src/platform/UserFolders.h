#pragma once

#include <filesystem>
#include <optional>

namespace tolvane {

// The current user's folders.
class UserFolders {
  public:
    virtual ~UserFolders() = default;

    virtual std::filesystem::path homeDirectory() const = 0;
    // The user's Application Support folder; none when the platform names none.
    virtual std::optional<std::filesystem::path> applicationSupportDirectory() const = 0;

    // This application's own files (capes, backups); none when the platform
    // names no Application Support folder.
    virtual std::optional<std::filesystem::path> applicationFilesDirectory() const {
        auto support = applicationSupportDirectory();
        return support ? std::optional(*support / "Tolvane") : std::nullopt;
    }
    // Where applications' preference files are kept.
    virtual std::filesystem::path preferencesDirectory() const {
        return homeDirectory() / "Library" / "Preferences";
    }
    std::filesystem::path launchAgentsDirectory() const {
        return homeDirectory() / "Library" / "LaunchAgents";
    }
};

} // namespace tolvane
