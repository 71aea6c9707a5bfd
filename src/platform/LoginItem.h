#pragma once

#include "platform/Result.h"

#include <filesystem>

namespace tolvane {

// What starts the application when the user logs in: one file, whose
// existence is the setting; the desktop reads it at the next login.
class LoginItem {
  public:
    explicit LoginItem(std::filesystem::path path) : path_(std::move(path)) {}
    virtual ~LoginItem() = default;

    const std::filesystem::path& path() const { return path_; }
    bool exists() const;
    // Writes the file, making its folder first, atomically.
    virtual Result<void> install() const = 0;
    // A failure when there is nothing to remove, too.
    Result<void> remove() const;

  private:
    std::filesystem::path path_;
};

} // namespace tolvane
