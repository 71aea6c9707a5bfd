#pragma once

#include "platform/Bundle.h"
#include "platform/LoginItem.h"
#include "platform/UserFolders.h"

#include <filesystem>

namespace tolvane {

// The per-user launch agent that starts the application at login: an XML
// property list in the user's LaunchAgents folder.
class LaunchAgent final : public LoginItem {
  public:
    static constexpr const char* label = "com.tolvane.app";

    LaunchAgent(const UserFolders& folders, const Bundle& bundle);

    // Starts the bundle's executable.
    Result<void> install() const override;

  private:
    std::filesystem::path executable_;
};

} // namespace tolvane
