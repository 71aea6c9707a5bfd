#pragma once

#include "platform/PreferenceDomain.h"
#include "platform/PropertyList.h"
#include "platform/Result.h"
#include "platform/UserFolders.h"

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace tolvane {

// Custom Accessibility pointer colours keep replaced system cursors from
// showing. This controller switches them to the standard pointer while the
// application runs and puts the user's values back afterwards. The user's
// values are kept in memory and in a backup file under Application Support,
// so that the next start can put them back after a crash. Main thread only.
class CursorAccessibilityAppearanceController {
  public:
    // The managed keys that are present, with their values as read.
    using ManagedValues = PropertyList::Dictionary;
    using WallClock = std::function<std::chrono::system_clock::time_point()>;

    static constexpr const char* preferencesDomain = "com.apple.universalaccess";
    static constexpr std::array<const char*, 5> managedKeys = {
        "cursorIsCustomized", "cursorFill", "cursorOutline", "mouseDriverCursorFillColor",
        "mouseDriverCursorOutlineColor"};
    static constexpr const char* backupFileName = "cursor_accessibility_backup.plist";

    // accessibility is the preference domain named preferencesDomain; both
    // collaborators must outlive the controller. now stamps the backup file.
    CursorAccessibilityAppearanceController(PreferenceDomain& accessibility,
                                            const UserFolders& folders,
                                            WallClock now = &std::chrono::system_clock::now);
    // One controller owns the backup file.
    CursorAccessibilityAppearanceController(const CursorAccessibilityAppearanceController&) =
        delete;
    CursorAccessibilityAppearanceController&
    operator=(const CursorAccessibilityAppearanceController&) = delete;

    // Puts back the values of a backup file that an earlier run left behind.
    void recoverPreviousSessionIfNeeded();
    // Once a run, after the recovery. True when this call switched custom
    // pointer colours off.
    bool activateSystemCursorAppearanceIfNeeded();
    void restoreOriginalAppearanceIfNeeded();

    // This run changed the settings and has not put them back yet.
    bool isOverrideActive() const { return activeSessionBackup_.has_value(); }
    // The settings are customised and could not be switched off.
    bool hasUnresolvedCustomizationConflict() const { return hasUnresolvedCustomizationConflict_; }
    // None when the user has no Application Support folder.
    const std::optional<std::filesystem::path>& backupURL() const { return backupURL_; }

  private:
    static bool hasConflictingCustomization(const ManagedValues& values);
    // The values as the preferences file holds them, then as the domain gives them.
    ManagedValues managedValues();
    std::optional<ManagedValues> loadManagedValuesFromDisk();
    ManagedValues loadCurrentManagedValues();
    void setPreferenceValue(std::optional<PropertyList> value, const std::string& key);
    // True when the pending changes reached the store.
    bool synchronize();
    // True when the values read back equal values.
    bool applyValues(const ManagedValues& values);
    void persistBackupFile(const ManagedValues& values);
    void removeBackupFile();
    // The backup's values restricted to the managed keys; none for a file
    // that is missing or not a backup.
    std::optional<ManagedValues> loadBackupValues();

    PreferenceDomain& accessibility_;
    WallClock now_;
    std::optional<std::filesystem::path> backupURL_;
    std::filesystem::path preferencesPlistURL_;
    // The user's values before this run's override; none while no override is active.
    std::optional<ManagedValues> activeSessionBackup_;
    bool hasUnresolvedCustomizationConflict_ = false;
};

} // namespace tolvane
