#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

enum class InputSourceCategory { keyboardInputSource, paletteInputSource, inkInputSource };

// One installed input source as the text input source services describe it.
// A property the source does not have is absent.
struct InputSource {
    // Names this installed source to the services; two sources may share an
    // identifier (an input method and one of its modes), never a handle.
    std::uint64_t handle = 0;
    std::optional<std::string> sourceID;
    std::optional<std::string> localizedName;
    // Language tags, the most important first.
    std::optional<std::vector<std::string>> languages;
    InputSourceCategory category = InputSourceCategory::keyboardInputSource;
    std::optional<bool> isEnabled;
    std::optional<bool> isSelectCapable;

    bool operator==(const InputSource&) const = default;
};

// Which sources an input source list holds: each set entry must match.
struct InputSourceFilter {
    std::optional<InputSourceCategory> category;
    std::optional<bool> isSelectCapable;
    std::optional<bool> isEnabled;
    std::optional<std::string> sourceID;

    bool matches(const InputSource& source) const {
        return (!category || source.category == *category) &&
               (!isSelectCapable || source.isSelectCapable == *isSelectCapable) &&
               (!isEnabled || source.isEnabled == *isEnabled) &&
               (!sourceID || source.sourceID == *sourceID);
    }
};

// The text input source services and their change notification.
class InputSourceServices {
  public:
    using ObserverID = std::uint64_t;

    // The name of the selected-keyboard-input-source-changed notification.
    static constexpr std::string_view selectedKeyboardInputSourceChangedNotification =
        "com.apple.Carbon.TISNotifySelectedKeyboardInputSourceChanged";
    // A status of selectInputSource: success, and a parameter the services refuse.
    static constexpr std::int32_t noErr = 0;
    static constexpr std::int32_t paramErr = -50;

    virtual ~InputSourceServices() = default;

    // The selected keyboard input source; none when there is none.
    virtual std::optional<InputSource> currentKeyboardInputSource() = 0;
    // Installed sources matching the filter, in the services' own order; with
    // includeAllInstalled false only enabled ones. None when the list could
    // not be made.
    virtual std::optional<std::vector<InputSource>> inputSourceList(const InputSourceFilter& filter,
                                                                    bool includeAllInstalled) = 0;
    // Selects the source; returns a status, noErr on success.
    virtual std::int32_t selectInputSource(const InputSource& source) = 0;

    // The observer runs on the main run loop, some time after the selected
    // keyboard input source changed. It must not outlive what it refers to:
    // remove it first.
    virtual ObserverID addSelectedKeyboardInputSourceObserver(std::function<void()> observer) = 0;
    virtual void removeObserver(ObserverID observer) = 0;
};

} // namespace tolvane
