#include "input/KeyboardLayoutController.h"

#include "log/AppLog.h"
#include "input/InputLanguage.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <set>

namespace tolvane {

namespace {

// The name folded to lower case in the locale, as wide text its collation compares.
std::wstring foldedName(const std::string& name, const std::locale& locale) {
    const auto& ctype = std::use_facet<std::ctype<wchar_t>>(locale);
    std::wstring folded;
    for (char32_t scalar : unicodeScalars(name)) {
        folded += ctype.tolower(static_cast<wchar_t>(scalar));
    }
    return folded;
}

} // namespace

KeyboardLayoutController::KeyboardLayoutController(InputSourceServices& services,
                                                   std::locale locale)
    : services_(services), locale_(std::move(locale)) {}

std::vector<KeyboardInputSourceChoice> KeyboardLayoutController::enabledSelectableSources() const {
    InputSourceFilter filter;
    filter.category = InputSourceCategory::keyboardInputSource;
    filter.isSelectCapable = true;
    filter.isEnabled = true;
    auto sources = services_.inputSourceList(filter, false);
    if (!sources) {
        AppLog::warn("KeyboardLayoutController: failed to create input source list");
        return {};
    }
    std::vector<KeyboardInputSourceChoice> choices;
    for (const auto& source : *sources) {
        if (auto described = choice(source)) {
            choices.push_back(std::move(*described));
        }
    }
    return menuOrder(choices, locale_);
}

std::optional<KeyboardInputSourceChoice>
KeyboardLayoutController::sourceChoice(const std::string& sourceID) const {
    for (auto& candidate : enabledSelectableSources()) {
        if (candidate.sourceID == sourceID) {
            return std::move(candidate);
        }
    }
    return std::nullopt;
}

bool KeyboardLayoutController::sourceExists(const std::string& sourceID) const {
    return sourceChoice(sourceID).has_value();
}

bool KeyboardLayoutController::selectSource(const std::string& sourceID) const {
    auto source = inputSource(sourceID);
    if (!source) {
        AppLog::warn("KeyboardLayoutController: source not found for selection: " + sourceID);
        return false;
    }
    std::int32_t status = services_.selectInputSource(*source);
    if (status != InputSourceServices::noErr) {
        AppLog::error("KeyboardLayoutController: TISSelectInputSource failed sourceID=" + sourceID +
                      " status=" + std::to_string(status));
        return false;
    }
    AppLog::info("KeyboardLayoutController: selected input source " + sourceID);
    return true;
}

std::optional<InputSource>
KeyboardLayoutController::inputSource(const std::string& sourceID) const {
    InputSourceFilter filter;
    filter.sourceID = sourceID;
    auto sources = services_.inputSourceList(filter, false);
    if (!sources) {
        return std::nullopt;
    }
    for (auto& source : *sources) {
        if (source.isEnabled == true && source.isSelectCapable == true) {
            return std::move(source);
        }
    }
    return std::nullopt;
}

std::optional<KeyboardInputSourceChoice>
KeyboardLayoutController::choice(const InputSource& source) {
    if (!source.sourceID || source.sourceID->empty()) {
        return std::nullopt;
    }
    std::string language = "unknown";
    if (source.languages && !source.languages->empty()) {
        language = source.languages->front();
    }
    std::string code = InputLanguage::normalizedCode(language);
    return KeyboardInputSourceChoice{*source.sourceID,
                                     source.localizedName.value_or(*source.sourceID), code,
                                     InputLanguage::badgeText(code)};
}

std::vector<KeyboardInputSourceChoice>
KeyboardLayoutController::menuOrder(const std::vector<KeyboardInputSourceChoice>& choices,
                                    const std::locale& locale) {
    struct Entry {
        std::wstring key;
        const KeyboardInputSourceChoice* choice;
    };
    std::vector<Entry> entries;
    std::set<std::string> seen;
    for (const auto& candidate : choices) {
        if (seen.insert(candidate.sourceID).second) {
            entries.push_back({foldedName(candidate.localizedName, locale), &candidate});
        }
    }
    const auto& collate = std::use_facet<std::collate<wchar_t>>(locale);
    std::stable_sort(entries.begin(), entries.end(), [&collate](const Entry& a, const Entry& b) {
        return collate.compare(a.key.data(), a.key.data() + a.key.size(), b.key.data(),
                               b.key.data() + b.key.size()) < 0;
    });
    std::vector<KeyboardInputSourceChoice> ordered;
    ordered.reserve(entries.size());
    for (const auto& entry : entries) {
        ordered.push_back(*entry.choice);
    }
    return ordered;
}

std::locale KeyboardLayoutController::userLocale() {
    try {
        return std::locale("");
    } catch (const std::runtime_error&) {
        return std::locale::classic();
    }
}

} // namespace tolvane
