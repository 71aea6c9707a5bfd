#pragma once

#include "platform/InputSourceServices.h"
#include "platform/NotificationObservers.h"
#include "platform/RunLoop.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tolvane {

// The input sources of the simulated session. Tests and the front end
// install sources, enable them and switch between them as the user would;
// the change notification then reaches the observers on the main run loop.
class SimInputSourceServices final : public InputSourceServices {
  public:
    // What a selection made through selectInputSource() does.
    enum class SelectionOutcome {
        switchesAndNotifies, // as on a working system
        switchesSilently,    // the notification is lost
        doesNotSwitch,       // reported as done, but the source stays as it was
    };

    explicit SimInputSourceServices(std::shared_ptr<RunLoop> loop);

    // A keyboard input source with these properties; absent ones stay absent.
    static InputSource keyboardSource(std::optional<std::string> sourceID,
                                      std::optional<std::string> localizedName,
                                      std::optional<std::vector<std::string>> languages,
                                      std::optional<bool> enabled = true,
                                      std::optional<bool> selectCapable = true);

    // A set a user would recognise: English (ABC, the current one), Russian,
    // German, Dutch, Ukrainian, simplified Chinese Pinyin, traditional
    // Chinese Zhuyin, a Japanese input method (a mode that can be selected
    // and its parent that cannot), a layout that declares no language, a
    // disabled French layout and the emoji palette.
    static std::vector<InputSource> defaultSources();
    // Installs defaultSources() and selects ABC without notification.
    void installDefaultSources();

    // Installs a source at the end of the list and returns it with its handle.
    InputSource install(InputSource source);
    // Removes every source with this identifier; the current one among them
    // leaves no source selected. False when there was none.
    bool uninstall(const std::string& sourceID);
    // Enables or disables every source with this identifier. A disabled
    // current source stays selected. False when there is none.
    bool setEnabled(const std::string& sourceID, bool enabled);

    // The user switches to the first enabled, selectable keyboard source with
    // this identifier; observers hear of it when the source changed. False,
    // changing nothing, when there is no such source.
    bool switchTo(const std::string& sourceID);
    // The same switch without any notification.
    bool switchWithoutNotification(const std::string& sourceID);
    // No keyboard source is selected any more.
    void clearCurrentSource();

    // Failures of the services.
    void setListCreationFails(bool fails) { listCreationFails_ = fails; }
    // A status other than noErr refuses every selection with that status.
    void setSelectionStatus(std::int32_t status) { selectionStatus_ = status; }
    void setSelectionOutcome(SelectionOutcome outcome) { selectionOutcome_ = outcome; }

    const std::vector<InputSource>& installedSources() const { return installed_; }
    // Identifiers of the sources the application asked to select, in order.
    const std::vector<std::string>& selectionRequests() const { return selectionRequests_; }
    std::size_t observerCount() const { return observers_.size(); }
    int notificationsPosted() const { return notificationsPosted_; }

    std::optional<InputSource> currentKeyboardInputSource() override;
    std::optional<std::vector<InputSource>> inputSourceList(const InputSourceFilter& filter,
                                                            bool includeAllInstalled) override;
    std::int32_t selectInputSource(const InputSource& source) override;
    ObserverID addSelectedKeyboardInputSourceObserver(std::function<void()> observer) override;
    void removeObserver(ObserverID observer) override;

  private:
    const InputSource* findSelectable(const std::string& sourceID) const;
    // Makes the source current; true when the current source changed.
    bool makeCurrent(std::uint64_t handle);
    void postNotification();

    NotificationObservers observers_;
    std::vector<InputSource> installed_;
    std::optional<std::uint64_t> currentHandle_;
    std::uint64_t nextHandle_ = 1;
    bool listCreationFails_ = false;
    std::int32_t selectionStatus_ = noErr;
    SelectionOutcome selectionOutcome_ = SelectionOutcome::switchesAndNotifies;
    std::vector<std::string> selectionRequests_;
    int notificationsPosted_ = 0;
};

} // namespace tolvane
