#pragma once

#include "platform/UserFolders.h"

namespace tolvane {

// The folders of the simulated session's user, all inside its home folder.
class SimUserFolders final : public UserFolders {
  public:
    explicit SimUserFolders(std::filesystem::path home) : home_(std::move(home)) {}

    std::filesystem::path homeDirectory() const override { return home_; }
    std::optional<std::filesystem::path> applicationSupportDirectory() const override {
        if (!applicationSupportAvailable_) {
            return std::nullopt;
        }
        return home_ / "Library" / "Application Support";
    }

    void setApplicationSupportAvailable(bool available) {
        applicationSupportAvailable_ = available;
    }

  private:
    std::filesystem::path home_;
    bool applicationSupportAvailable_ = true;
};

} // namespace tolvane
