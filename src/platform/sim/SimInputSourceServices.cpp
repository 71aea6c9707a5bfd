#include "platform/sim/SimInputSourceServices.h"

#include <algorithm>

namespace tolvane {

namespace {

bool isSelectableKeyboardSource(const InputSource& source) {
    return source.category == InputSourceCategory::keyboardInputSource &&
           source.isEnabled == true && source.isSelectCapable == true;
}

} // namespace

SimInputSourceServices::SimInputSourceServices(std::shared_ptr<RunLoop> loop)
    : observers_(std::move(loop)) {}

InputSource SimInputSourceServices::keyboardSource(
    std::optional<std::string> sourceID, std::optional<std::string> localizedName,
    std::optional<std::vector<std::string>> languages, std::optional<bool> enabled,
    std::optional<bool> selectCapable) {
    InputSource source;
    source.sourceID = std::move(sourceID);
    source.localizedName = std::move(localizedName);
    source.languages = std::move(languages);
    source.isEnabled = enabled;
    source.isSelectCapable = selectCapable;
    return source;
}

std::vector<InputSource> SimInputSourceServices::defaultSources() {
    InputSource palette =
        keyboardSource("com.apple.CharacterPaletteIM", "Emoji & Symbols", std::nullopt);
    palette.category = InputSourceCategory::paletteInputSource;
    return {
        keyboardSource("com.apple.keylayout.ABC", "ABC", std::vector<std::string>{"en"}),
        keyboardSource("com.apple.keylayout.Russian", "Russian", std::vector<std::string>{"ru"}),
        keyboardSource("com.apple.keylayout.German", "German", std::vector<std::string>{"de"}),
        keyboardSource("com.apple.keylayout.Dutch", "Dutch", std::vector<std::string>{"nl"}),
        keyboardSource("com.apple.keylayout.Ukrainian", "Ukrainian",
                       std::vector<std::string>{"uk"}),
        keyboardSource("com.apple.inputmethod.SCIM.ITABC", "Pinyin - Simplified",
                       std::vector<std::string>{"zh-Hans"}),
        keyboardSource("com.apple.inputmethod.TCIM.Zhuyin", "Zhuyin - Traditional",
                       std::vector<std::string>{"zh-Hant"}),
        keyboardSource("com.apple.inputmethod.Kotoeri.RomajiTyping", "Japanese - Romaji",
                       std::vector<std::string>{"ja"}, true, false),
        keyboardSource("com.apple.inputmethod.Kotoeri.RomajiTyping.Japanese", "Hiragana",
                       std::vector<std::string>{"ja"}),
        keyboardSource("com.example.keylayout.Dutch_Special", "Dutch Special", std::nullopt),
        keyboardSource("com.apple.keylayout.French", "French", std::vector<std::string>{"fr"},
                       false),
        palette,
    };
}

void SimInputSourceServices::installDefaultSources() {
    for (auto& source : defaultSources()) {
        install(std::move(source));
    }
    switchWithoutNotification("com.apple.keylayout.ABC");
}

InputSource SimInputSourceServices::install(InputSource source) {
    source.handle = nextHandle_++;
    installed_.push_back(source);
    return source;
}

bool SimInputSourceServices::uninstall(const std::string& sourceID) {
    auto removed = std::erase_if(installed_, [&](const InputSource& source) {
        bool remove = source.sourceID == sourceID;
        if (remove && currentHandle_ == source.handle) {
            currentHandle_.reset();
        }
        return remove;
    });
    return removed > 0;
}

bool SimInputSourceServices::setEnabled(const std::string& sourceID, bool enabled) {
    bool found = false;
    for (auto& source : installed_) {
        if (source.sourceID == sourceID) {
            source.isEnabled = enabled;
            found = true;
        }
    }
    return found;
}

const InputSource* SimInputSourceServices::findSelectable(const std::string& sourceID) const {
    auto found = std::find_if(installed_.begin(), installed_.end(), [&](const InputSource& source) {
        return source.sourceID == sourceID && isSelectableKeyboardSource(source);
    });
    return found == installed_.end() ? nullptr : &*found;
}

bool SimInputSourceServices::makeCurrent(std::uint64_t handle) {
    bool changed = currentHandle_ != handle;
    currentHandle_ = handle;
    return changed;
}

bool SimInputSourceServices::switchTo(const std::string& sourceID) {
    const InputSource* source = findSelectable(sourceID);
    if (source == nullptr) {
        return false;
    }
    if (makeCurrent(source->handle)) {
        postNotification();
    }
    return true;
}

bool SimInputSourceServices::switchWithoutNotification(const std::string& sourceID) {
    const InputSource* source = findSelectable(sourceID);
    if (source == nullptr) {
        return false;
    }
    makeCurrent(source->handle);
    return true;
}

void SimInputSourceServices::clearCurrentSource() {
    currentHandle_.reset();
}

std::optional<InputSource> SimInputSourceServices::currentKeyboardInputSource() {
    for (const auto& source : installed_) {
        if (currentHandle_ == source.handle) {
            return source;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<InputSource>>
SimInputSourceServices::inputSourceList(const InputSourceFilter& filter, bool includeAllInstalled) {
    if (listCreationFails_) {
        return std::nullopt;
    }
    std::vector<InputSource> list;
    for (const auto& source : installed_) {
        if ((includeAllInstalled || source.isEnabled == true) && filter.matches(source)) {
            list.push_back(source);
        }
    }
    return list;
}

std::int32_t SimInputSourceServices::selectInputSource(const InputSource& source) {
    selectionRequests_.push_back(source.sourceID.value_or(""));
    if (selectionStatus_ != noErr) {
        return selectionStatus_;
    }
    auto installed =
        std::find_if(installed_.begin(), installed_.end(), [&](const InputSource& candidate) {
            return candidate.handle == source.handle;
        });
    if (installed == installed_.end() || !isSelectableKeyboardSource(*installed)) {
        return paramErr;
    }
    if (selectionOutcome_ == SelectionOutcome::doesNotSwitch) {
        return noErr;
    }
    if (makeCurrent(installed->handle) &&
        selectionOutcome_ == SelectionOutcome::switchesAndNotifies) {
        postNotification();
    }
    return noErr;
}

InputSourceServices::ObserverID
SimInputSourceServices::addSelectedKeyboardInputSourceObserver(std::function<void()> observer) {
    return observers_.add(std::move(observer));
}

void SimInputSourceServices::removeObserver(ObserverID observer) {
    observers_.remove(observer);
}

void SimInputSourceServices::postNotification() {
    ++notificationsPosted_;
    observers_.post();
}

} // namespace tolvane
