#pragma once

#include "platform/Bundle.h"
#include "platform/Result.h"
#include "platform/UserFolders.h"

#include <filesystem>

namespace tolvane {

// The per-user launch agent that starts the application at login: an XML
// property list in the user's LaunchAgents folder. The file's existence is
// the setting; the service manager reads it at the next login.
class LaunchAgent {
  public:
    static constexpr const char* label = "com.tolvane.app";

    LaunchAgent(const UserFolders& folders, const Bundle& bundle);

    const std::filesystem::path& path() const { return path_; }
    bool exists() const;
    // Writes the agent (making its folder first) so that it starts the
    // bundle's executable, atomically.
    Result<void> install() const;
    Result<void> remove() const;

  private:
    std::filesystem::path path_;
    std::filesystem::path executable_;
};

} // namespace tolvane
