#include "app/CursorPreferences.h"

#include "log/AppLog.h"
#include "log/LogFormat.h"
#include "platform/AsciiCase.h"

#include <algorithm>

namespace tolvane {

CursorPreferences::CursorPreferences(DefaultsStore& defaults, bool leftHandedByDefault)
    : defaults_(defaults), leftHandedByDefault_(leftHandedByDefault) {}

bool CursorPreferences::defaultLeftHandedMode(const Bundle& bundle) {
    auto holdsMarker = [](const std::string& text) {
        return lowercasedASCII(text).find("quellmarrow") != std::string::npos;
    };
    const PropertyList* name = bundle.objectForInfoDictionaryKey("CFBundleName");
    const std::string* nameText = name != nullptr ? name->stringValue() : nullptr;
    return holdsMarker(bundle.bundleIdentifier().value_or("")) ||
           (nameText != nullptr && holdsMarker(*nameText));
}

CursorStyle
CursorPreferences::style([[maybe_unused]] const std::optional<InputLanguage>& language) const {
    if (auto global = storedStyle(globalStyleKey)) {
        AppLog::debug("Preference global style loaded: " + global->rawValue());
        return *global;
    }
    for (const char* legacyKey : {legacyEnglishStyleKey, legacyRussianStyleKey}) {
        if (auto legacy = storedStyle(legacyKey)) {
            if (store(globalStyleKey, legacy->rawValue())) {
                AppLog::info("Preference migrated to global style from legacy key: " +
                             legacy->rawValue());
            }
            return *legacy;
        }
    }
    AppLog::debug("Preference missing global style; using default letterBadge");
    return CursorStyle::letterBadge;
}

void CursorPreferences::setStyle(CursorStyle style,
                                 [[maybe_unused]] const std::optional<InputLanguage>& language) {
    bool stored = true;
    for (const char* key : {globalStyleKey, legacyEnglishStyleKey, legacyRussianStyleKey}) {
        stored = store(key, style.rawValue()) && stored;
    }
    if (stored) {
        AppLog::info("Preference global style saved: " + style.rawValue());
    }
}

bool CursorPreferences::isLeftHanded() const {
    auto value = storedObject(leftHandedKey);
    return value ? DefaultsStore::booleanReading(*value) : leftHandedByDefault_;
}

void CursorPreferences::setLeftHanded(bool leftHanded) {
    if (store(leftHandedKey, leftHanded)) {
        AppLog::info("Preference left-handed saved: " + logformat::boolean(leftHanded));
    }
}

bool CursorPreferences::showsCapsLock() const {
    auto value = storedObject(showsCapsLockKey);
    return value ? DefaultsStore::booleanReading(*value) : true;
}

void CursorPreferences::setShowsCapsLock(bool shows) {
    if (store(showsCapsLockKey, shows)) {
        AppLog::info("Preference show Caps Lock saved: " + logformat::boolean(shows));
    }
}

std::optional<std::string> CursorPreferences::primaryInputSourceID() const {
    auto value = storedObject(primaryInputSourceIDKey);
    const std::string* text = value ? value->stringValue() : nullptr;
    if (text == nullptr) {
        return std::nullopt;
    }
    std::string trimmed = trimmedWhitespace(*text);
    if (trimmed.empty()) {
        return std::nullopt;
    }
    return trimmed;
}

void CursorPreferences::setPrimaryInputSourceID(const std::optional<std::string>& sourceID) {
    std::string trimmed = trimmedWhitespace(sourceID.value_or(""));
    if (!trimmed.empty()) {
        if (store(primaryInputSourceIDKey, trimmed)) {
            AppLog::info("Preference primary input source saved: " + trimmed);
        }
        return;
    }
    auto removed = defaults_.removeObject(primaryInputSourceIDKey);
    if (!removed) {
        AppLog::error(std::string("Preference write failed: key=") + primaryInputSourceIDKey +
                      " error=" + removed.error());
        return;
    }
    AppLog::info("Preference primary input source cleared");
}

std::int64_t CursorPreferences::primaryInputSourceReturnDelaySeconds() const {
    auto value = storedObject(returnDelayKey);
    if (!value) {
        return 0;
    }
    return std::clamp<std::int64_t>(DefaultsStore::integerReading(*value), 0,
                                    maximumReturnDelaySeconds);
}

void CursorPreferences::setPrimaryInputSourceReturnDelaySeconds(std::int64_t seconds) {
    std::int64_t clamped = std::clamp<std::int64_t>(seconds, 0, maximumReturnDelaySeconds);
    if (store(returnDelayKey, clamped)) {
        AppLog::info(
            "Preference primary input source return delay saved: " + std::to_string(clamped) + "s");
    }
}

// A store that cannot be read holds nothing: every setting falls back to its default.
std::optional<PropertyList> CursorPreferences::storedObject(const std::string& key) const {
    auto stored = defaults_.dictionaryRepresentation();
    if (!stored) {
        AppLog::warn("Preference store unreadable: key=" + key + " error=" + stored.error());
        return std::nullopt;
    }
    const PropertyList* value = PropertyList::find(stored.value(), key);
    return value ? std::optional<PropertyList>(*value) : std::nullopt;
}

std::optional<CursorStyle> CursorPreferences::storedStyle(const std::string& key) const {
    auto value = storedObject(key);
    const std::string* text = value ? value->stringValue() : nullptr;
    return text != nullptr ? CursorStyle::fromRawValue(*text) : std::nullopt;
}

bool CursorPreferences::store(const std::string& key, const PropertyList& value) const {
    auto written = defaults_.setObject(key, value);
    if (!written) {
        AppLog::error("Preference write failed: key=" + key + " error=" + written.error());
    }
    return written.ok();
}

} // namespace tolvane
