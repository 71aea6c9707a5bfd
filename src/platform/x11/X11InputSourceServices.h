#pragma once

#include "platform/InputSourceServices.h"
#include "platform/NotificationObservers.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/XkbLayoutRegistry.h"

#include <optional>
#include <vector>

namespace tolvane {

// The keyboard's XKB groups as input sources, one for each layout of the
// keymap ("xkb:us", "xkb:de(neo)"), named and given languages by the XKB
// layout registry. Selecting a source locks its group; observers hear of
// every change of the keyboard's group, whoever made it, and of a new keymap.
// Some desktops own the group and put it back after another client locks
// it: once that is seen, sources are reported as not selectable, while the
// current source is still read.
class X11InputSourceServices final : public InputSourceServices {
  public:
    // How soon after our lock a return to the group before it counts as the
    // desktop putting it back rather than the user switching.
    static constexpr double revertWindowSeconds = 1.0;

    X11InputSourceServices(X11Display& display, const XkbLayoutRegistry& registry);
    ~X11InputSourceServices() override;
    X11InputSourceServices(const X11InputSourceServices&) = delete;
    X11InputSourceServices& operator=(const X11InputSourceServices&) = delete;

    bool selectionAvailable() const { return selectionAvailable_; }

    std::optional<InputSource> currentKeyboardInputSource() override;
    std::optional<std::vector<InputSource>> inputSourceList(const InputSourceFilter& filter,
                                                            bool includeAllInstalled) override;
    std::int32_t selectInputSource(const InputSource& source) override;
    ObserverID addSelectedKeyboardInputSourceObserver(std::function<void()> observer) override;
    void removeObserver(ObserverID observer) override;

  private:
    struct PendingLock {
        int from;
        int to;
        double at;
    };

    void readLayouts();
    std::optional<int> lockedGroup() const;
    std::optional<std::string> rulesNamesProperty() const;
    void groupChanged(int group);
    void handleXkbEvent(const XEvent& event);

    X11Display& display_;
    const XkbLayoutRegistry& registry_;
    NotificationObservers observers_;
    bool xkbAvailable_ = false;
    int xkbEventBase_ = 0;
    unsigned long rulesNamesAtom_ = 0; // an Atom
    std::vector<X11Display::FilterID> filters_;
    // Group i is sources_[i]; handles change with every new keymap.
    std::vector<InputSource> sources_;
    std::uint64_t generation_ = 0;
    std::optional<int> lastGroup_;
    std::optional<PendingLock> pendingLock_;
    bool selectionAvailable_ = true;
};

} // namespace tolvane
