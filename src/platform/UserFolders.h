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

    std::filesystem::path preferencesDirectory() const {
        return homeDirectory() / "Library" / "Preferences";
    }
    std::filesystem::path launchAgentsDirectory() const {
        return homeDirectory() / "Library" / "LaunchAgents";
    }
};

} // namespace tolvane
