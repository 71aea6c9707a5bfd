#pragma once

#include "platform/UserFolders.h"

#include <filesystem>
#include <optional>

namespace tolvane {

// The user's own cursor scale, kept in a small file for as long as the window
// server holds a decorated scale of ours. The window server outlives this
// process: after a crash the next start finds the file and can put the
// user's scale back instead of taking the decorated one for the user's.
//
// The file, "cursor_scale_backup.plist" in the application's Application
// Support folder, is an XML property list with the reals "userScale" and
// "decoratedScale" (the scale that was set over it). Main thread only.
class CursorScaleBackup {
  public:
    struct Scales {
        float userScale = 1.0f;
        float decoratedScale = 1.0f;
        bool operator==(const Scales&) const = default;
    };

    // Keeps nothing.
    CursorScaleBackup() = default;
    // Keeps nothing when the platform names no Application Support folder.
    explicit CursorScaleBackup(const UserFolders& folders);

    // Writes the file before the decorated scale is set; a file that already
    // says the same is not written again. A failure is logged: a crash then
    // cannot be undone, but the decoration goes on.
    void keep(const Scales& scales);
    // The user chose another scale: a kept file names that one from now on.
    void followUserScale(float userScale);
    // The user's scale is back on the window server: nothing left to undo.
    void discard();
    // What an earlier run kept. An unreadable file or one without two valid
    // scales is logged, removed and gives none.
    std::optional<Scales> loadPrevious();

  private:
    std::optional<std::filesystem::path> path_;
    // What the file holds, as far as this run knows.
    std::optional<Scales> kept_;
};

} // namespace tolvane
