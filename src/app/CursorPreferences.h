#pragma once

#include "input/InputLanguage.h"
#include "platform/Bundle.h"
#include "platform/DefaultsStore.h"
#include "render/CursorStyle.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tolvane {

// The user's settings, kept in the application's user defaults. Every reading
// goes to the store, so a value written by another process counts at once.
class CursorPreferences {
  public:
    static constexpr const char* globalStyleKey = "tolvane.cursor_style.global";
    static constexpr const char* legacyEnglishStyleKey = "tolvane.cursor_style.en";
    static constexpr const char* legacyRussianStyleKey = "tolvane.cursor_style.ru";
    static constexpr const char* leftHandedKey = "tolvane.left_handed";
    static constexpr const char* showsCapsLockKey = "tolvane.show_caps_lock";
    static constexpr const char* primaryInputSourceIDKey = "tolvane.primary_input_source_id";
    static constexpr const char* returnDelayKey =
        "tolvane.primary_input_source_return_delay_seconds";
    static constexpr std::int64_t maximumReturnDelaySeconds = 86400;

    // leftHandedByDefault is what isLeftHanded() reads while nothing is stored.
    CursorPreferences(DefaultsStore& defaults, bool leftHandedByDefault);

    // Whether this build mirrors the cursors unless the user says otherwise:
    // true for a bundle whose identifier or name holds "quellmarrow".
    static bool defaultLeftHandedMode(const Bundle& bundle);

    // One style for every language: the language is accepted and ignored.
    // A style stored under an older per-language key is moved to the global key.
    CursorStyle style(const std::optional<InputLanguage>& language = std::nullopt) const;
    void setStyle(CursorStyle style, const std::optional<InputLanguage>& language = std::nullopt);

    bool isLeftHanded() const;
    void setLeftHanded(bool leftHanded);

    // Whether the badge shows Caps Lock; on while nothing is stored.
    bool showsCapsLock() const;
    void setShowsCapsLock(bool shows);

    // Trimmed; none when unset or blank.
    std::optional<std::string> primaryInputSourceID() const;
    // None or blank clears it.
    void setPrimaryInputSourceID(const std::optional<std::string>& sourceID);

    // Seconds of keyboard idle before returning to the primary source, 0 for
    // never; clamped to 0...86400 both ways.
    std::int64_t primaryInputSourceReturnDelaySeconds() const;
    void setPrimaryInputSourceReturnDelaySeconds(std::int64_t seconds);

  private:
    std::optional<PropertyList> storedObject(const std::string& key) const;
    std::optional<CursorStyle> storedStyle(const std::string& key) const;
    // False, with an error line, when the store refused the write. Const
    // because it changes the store, not this object: reading may migrate.
    bool store(const std::string& key, const PropertyList& value) const;

    DefaultsStore& defaults_;
    bool leftHandedByDefault_;
};

} // namespace tolvane
