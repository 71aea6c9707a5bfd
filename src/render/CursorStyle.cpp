#include "render/CursorStyle.h"

#include <glib.h>
#include <memory>

namespace tolvane {

namespace {

Color languageColor(const std::string& code) {
    if (code == "en") {
        return Color::calibratedRGB(0.0, 0.2, 0.7, 1.0);
    }
    if (code == "ru") {
        return Color::systemRed();
    }
    return InputLanguage::stableColor(code);
}

} // namespace

std::optional<CursorStyle> CursorStyle::fromRawValue(const std::string& rawValue) {
    for (Value value : allCases) {
        if (CursorStyle(value).rawValue() == rawValue) {
            return CursorStyle(value);
        }
    }
    return std::nullopt;
}

std::string CursorStyle::rawValue() const {
    switch (value_) {
    case system:
        return "system";
    case letterBadge:
        return "letterBadge";
    case dotBadge:
        return "dotBadge";
    case highContrast:
        return "highContrast";
    }
    return "system";
}

std::string CursorStyle::capsLockText(const std::string& text) {
    std::unique_ptr<gchar, decltype(&g_free)> upper(
        g_utf8_strup(text.c_str(), static_cast<gssize>(text.size())), &g_free);
    return upper ? std::string(upper.get()) : text;
}

std::optional<CursorMarker> CursorStyle::marker(const InputLanguage& language,
                                                bool capsLock) const {
    std::optional<CursorMarker> marker = plainMarker(language);
    if (marker && capsLock) {
        if (marker->text) {
            marker->text = capsLockText(*marker->text);
            marker->capsLockMark = CapsLockMark::bar;
        } else {
            marker->capsLockMark = CapsLockMark::ring;
        }
    }
    return marker;
}

std::optional<CursorMarker> CursorStyle::plainMarker(const InputLanguage& language) const {
    switch (value_) {
    case system:
        return std::nullopt;
    case letterBadge:
        return CursorMarker{language.badgeText(), languageColor(language.code()), Color::white(),
                            Color::white().withAlpha(0.85), 18.0, 1.0};
    case dotBadge:
        return CursorMarker{std::nullopt, languageColor(language.code()), Color::clear(),
                            Color::black().withAlpha(0.85), 18.0, 1.4};
    case highContrast:
        return CursorMarker{language.badgeText(), Color::systemYellow(), Color::black(),
                            Color::black().withAlpha(0.9), 18.0, 1.2};
    }
    return std::nullopt;
}

} // namespace tolvane
