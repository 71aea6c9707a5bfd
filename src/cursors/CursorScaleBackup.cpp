#include "cursors/CursorScaleBackup.h"

#include "log/AppLog.h"
#include "platform/FileIO.h"
#include "platform/PropertyListSerialization.h"
#include "runtime/CGSRuntime.h"

namespace tolvane {

namespace {

constexpr const char* backupFileName = "cursor_scale_backup.plist";
constexpr const char* userScaleKey = "userScale";
constexpr const char* decoratedScaleKey = "decoratedScale";

// A scale the window server would take as it is: finite and within its range.
std::optional<float> validScale(const PropertyList::Dictionary& stored, const char* key) {
    const PropertyList* value = PropertyList::find(stored, key);
    const std::optional<double> real = value ? value->realValue() : std::nullopt;
    if (!real) {
        return std::nullopt;
    }
    const auto scale = static_cast<float>(*real);
    if (CGSRuntime::clampedCursorScale(scale) != scale) {
        return std::nullopt;
    }
    return scale;
}

} // namespace

CursorScaleBackup::CursorScaleBackup(const UserFolders& folders) {
    if (auto applicationFiles = folders.applicationFilesDirectory()) {
        path_ = *applicationFiles / backupFileName;
    }
}

void CursorScaleBackup::keep(const Scales& scales) {
    if (!path_ || kept_ == scales) {
        return;
    }
    const PropertyList backup(
        PropertyList::Dictionary{{userScaleKey, static_cast<double>(scales.userScale)},
                                 {decoratedScaleKey, static_cast<double>(scales.decoratedScale)}});
    if (auto written = PropertyListSerialization::writeFileCreatingFolder(backup, *path_,
                                                                          PropertyListFormat::xml);
        !written) {
        AppLog::error("Failed to keep the user's cursor scale: " + written.error());
        return;
    }
    kept_ = scales;
}

void CursorScaleBackup::followUserScale(float userScale) {
    if (kept_) {
        keep({userScale, kept_->decoratedScale});
    }
}

void CursorScaleBackup::discard() {
    if (!path_) {
        return;
    }
    if (auto removed = removeFileIfPresent(*path_); !removed) {
        AppLog::warn("Failed to remove cursor scale backup: " + removed.error());
        return;
    }
    kept_.reset();
}

std::optional<CursorScaleBackup::Scales> CursorScaleBackup::loadPrevious() {
    if (!path_) {
        return std::nullopt;
    }
    auto stored = PropertyListSerialization::readDictionaryFile(*path_);
    if (!stored) {
        if (stored.failure().isFileNotFound()) {
            return std::nullopt;
        }
        AppLog::warn("Ignoring unreadable cursor scale backup: " + stored.error());
        discard();
        return std::nullopt;
    }
    const std::optional<float> userScale = validScale(stored.value(), userScaleKey);
    const std::optional<float> decoratedScale = validScale(stored.value(), decoratedScaleKey);
    if (!userScale || !decoratedScale) {
        AppLog::warn("Ignoring cursor scale backup without valid scales: " + path_->string());
        discard();
        return std::nullopt;
    }
    kept_ = Scales{*userScale, *decoratedScale};
    return kept_;
}

} // namespace tolvane
