#include "accessibility/CursorAccessibilityAppearanceController.h"

#include "log/AppLog.h"
#include "log/LogFormat.h"
#include "platform/FileIO.h"
#include "platform/PropertyListSerialization.h"

#include <algorithm>
#include <ctime>

namespace tolvane {

namespace {

// The managed keys that hold colours: any of them present means customised.
constexpr std::array<const char*, 4> colourKeys = {
    "cursorFill", "cursorOutline", "mouseDriverCursorFillColor", "mouseDriverCursorOutlineColor"};

// UTC, whole seconds: 2024-05-06T07:08:09Z.
std::string iso8601(std::chrono::system_clock::time_point moment) {
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(moment));
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc));
}

bool isManagedKey(std::string_view key) {
    const auto& keys = CursorAccessibilityAppearanceController::managedKeys;
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

std::string joinedKeys(const PropertyList::Dictionary& values) {
    // The map keeps its keys in ascending order.
    std::string joined;
    for (const auto& [key, value] : values) {
        joined += (joined.empty() ? "" : ",") + key;
    }
    return joined;
}

} // namespace

CursorAccessibilityAppearanceController::CursorAccessibilityAppearanceController(
    PreferenceDomain& accessibility, const UserFolders& folders, WallClock now)
    : accessibility_(accessibility), now_(std::move(now)),
      preferencesPlistURL_(folders.preferencesDirectory() /
                           (std::string(preferencesDomain) + ".plist")) {
    if (auto applicationFiles = folders.applicationFilesDirectory()) {
        backupURL_ = *applicationFiles / backupFileName;
    }
}

bool CursorAccessibilityAppearanceController::hasConflictingCustomization(
    const ManagedValues& values) {
    if (const PropertyList* customized = PropertyList::find(values, "cursorIsCustomized")) {
        if (auto integer = customized->integerValue(); integer && *integer != 0) {
            return true;
        }
        if (auto real = customized->realValue(); real && *real != 0) {
            return true;
        }
        if (customized->booleanValue() == true) {
            return true;
        }
    }
    // A colour counts whatever its value.
    return std::any_of(colourKeys.begin(), colourKeys.end(),
                       [&](const char* key) { return values.contains(std::string_view(key)); });
}

CursorAccessibilityAppearanceController::ManagedValues
CursorAccessibilityAppearanceController::managedValues() {
    if (auto fromDisk = loadManagedValuesFromDisk()) {
        return std::move(*fromDisk);
    }
    return loadCurrentManagedValues();
}

std::optional<CursorAccessibilityAppearanceController::ManagedValues>
CursorAccessibilityAppearanceController::loadManagedValuesFromDisk() {
    auto stored = PropertyListSerialization::readDictionaryFile(preferencesPlistURL_);
    if (!stored) {
        if (!stored.failure().isFileNotFound()) {
            AppLog::warn("Accessibility preferences file unreadable; asking the preferences "
                         "instead: " +
                         stored.error());
        }
        return std::nullopt;
    }
    ManagedValues values;
    for (const char* key : managedKeys) {
        if (const PropertyList* value = PropertyList::find(stored.value(), key)) {
            values.emplace(key, *value);
        }
    }
    return values;
}

CursorAccessibilityAppearanceController::ManagedValues
CursorAccessibilityAppearanceController::loadCurrentManagedValues() {
    ManagedValues values;
    for (const char* key : managedKeys) {
        if (auto value = accessibility_.copyValue(key)) {
            values.emplace(key, std::move(*value));
        }
    }
    return values;
}

void CursorAccessibilityAppearanceController::setPreferenceValue(std::optional<PropertyList> value,
                                                                 const std::string& key) {
    accessibility_.setValue(key, std::move(value));
}

bool CursorAccessibilityAppearanceController::synchronize() {
    auto synchronized = accessibility_.synchronize();
    if (!synchronized) {
        AppLog::warn("Accessibility preferences not synchronized: " + synchronized.error());
    }
    return synchronized.ok();
}

bool CursorAccessibilityAppearanceController::activateSystemCursorAppearanceIfNeeded() {
    const ManagedValues before = managedValues();
    if (!hasConflictingCustomization(before)) {
        hasUnresolvedCustomizationConflict_ = false;
        AppLog::info("Accessibility cursor appearance already standard; no override needed");
        return false;
    }

    // Saved before anything changes, so that a crash from here on can be recovered.
    persistBackupFile(before);
    setPreferenceValue(PropertyList(false), "cursorIsCustomized");
    for (const char* key : colourKeys) {
        setPreferenceValue(std::nullopt, key);
    }
    const bool synchronized = synchronize();

    if (!hasConflictingCustomization(managedValues())) {
        activeSessionBackup_ = before;
        hasUnresolvedCustomizationConflict_ = false;
        AppLog::warn("Applied temporary cursor accessibility override for native cursor "
                     "replacement synchronized=" +
                     logformat::boolean(synchronized));
        return true;
    }

    hasUnresolvedCustomizationConflict_ = true;
    AppLog::error("Failed to auto-disable Accessibility cursor customization (synchronized=" +
                  logformat::boolean(synchronized) +
                  "); native cursor replacement can remain shake/Launchpad-only. Please disable "
                  "custom pointer color manually in System Settings > Accessibility > Display > "
                  "Pointer.");
    // Part of the override may have been written: the user's values go back.
    if (applyValues(before)) {
        removeBackupFile();
        activeSessionBackup_.reset();
        AppLog::info("Put back the user's Accessibility cursor settings after the failed override");
    } else {
        // Still changed by this run: the restore at quit tries again.
        activeSessionBackup_ = before;
        AppLog::error("Failed to put back the user's Accessibility cursor settings after the "
                      "failed override; keeping backup file for the next start and trying again "
                      "at quit");
    }
    return false;
}

bool CursorAccessibilityAppearanceController::applyValues(const ManagedValues& values) {
    for (const char* key : managedKeys) {
        setPreferenceValue(std::nullopt, key);
    }
    for (const auto& [key, value] : values) {
        setPreferenceValue(value, key);
    }
    const bool synchronized = synchronize();
    const bool applied = managedValues() == values;
    AppLog::info(
        "Cursor accessibility values applied synchronized=" + logformat::boolean(synchronized) +
        " applied=" + logformat::boolean(applied) + " keys=" + joinedKeys(values));
    return applied;
}

void CursorAccessibilityAppearanceController::persistBackupFile(const ManagedValues& values) {
    const std::string failed = "Failed to persist cursor accessibility backup: ";
    if (!backupURL_) {
        AppLog::error(failed + "no Application Support folder");
        return;
    }
    const PropertyList backup(
        PropertyList::Dictionary{{"values", values}, {"savedAt", iso8601(now_())}});
    auto written = PropertyListSerialization::writeFileCreatingFolder(backup, *backupURL_,
                                                                      PropertyListFormat::xml);
    if (!written) {
        AppLog::error(failed + written.error());
        return;
    }
    AppLog::info("Saved cursor accessibility backup: " + backupURL_->string());
}

void CursorAccessibilityAppearanceController::removeBackupFile() {
    if (!backupURL_) {
        return;
    }
    if (auto removed = removeFileIfPresent(*backupURL_); !removed) {
        AppLog::warn("Failed to remove cursor accessibility backup: " + removed.error());
    }
}

std::optional<CursorAccessibilityAppearanceController::ManagedValues>
CursorAccessibilityAppearanceController::loadBackupValues() {
    if (!backupURL_) {
        return std::nullopt;
    }
    auto backup = PropertyListSerialization::readDictionaryFile(*backupURL_);
    if (!backup) {
        if (!backup.failure().isFileNotFound()) {
            AppLog::warn("Ignoring unreadable cursor accessibility backup: " + backup.error());
        }
        return std::nullopt;
    }
    const PropertyList* saved = PropertyList::find(backup.value(), "values");
    if (saved == nullptr || saved->dictionaryValue() == nullptr) {
        AppLog::warn("Ignoring cursor accessibility backup without a values dictionary: " +
                     backupURL_->string());
        return std::nullopt;
    }
    // Only the managed keys go back: anything else in the file was not
    // written by us and must not reach the user's Accessibility settings.
    ManagedValues values;
    std::size_t ignored = 0;
    for (const auto& [key, value] : *saved->dictionaryValue()) {
        if (isManagedKey(key)) {
            values.emplace(key, value);
        } else {
            ++ignored;
        }
    }
    if (ignored > 0) {
        AppLog::warn("Ignoring keys outside the managed cursor keys in the cursor accessibility "
                     "backup: count=" +
                     std::to_string(ignored));
    }
    return values;
}

void CursorAccessibilityAppearanceController::recoverPreviousSessionIfNeeded() {
    auto recovered = loadBackupValues();
    if (!recovered) {
        return;
    }
    AppLog::warn("Recovered pending cursor accessibility backup from previous run; restoring user "
                 "settings");
    if (applyValues(*recovered)) {
        removeBackupFile();
    } else {
        AppLog::error("Failed to restore recovered cursor accessibility backup; keeping backup "
                      "file for manual recovery");
    }
}

void CursorAccessibilityAppearanceController::restoreOriginalAppearanceIfNeeded() {
    if (!activeSessionBackup_) {
        return;
    }
    if (!applyValues(*activeSessionBackup_)) {
        // The override stays marked active and the file stays for the next start.
        AppLog::error("Failed to restore original Accessibility cursor appearance settings");
        return;
    }
    removeBackupFile();
    activeSessionBackup_.reset();
    hasUnresolvedCustomizationConflict_ = false;
    AppLog::info("Restored original Accessibility cursor appearance settings");
}

} // namespace tolvane
