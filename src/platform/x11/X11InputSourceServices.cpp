#include "platform/x11/X11InputSourceServices.h"

#include "log/AppLog.h"
#include "platform/x11/X11ErrorTrap.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>

#include <memory>

namespace tolvane {

namespace {

constexpr std::uint64_t groupsPerGeneration = XkbNumKbdGroups;
constexpr unsigned long groupChanges = XkbGroupStateMask | XkbGroupLockMask;

struct KeyboardRelease {
    void operator()(XkbDescPtr keyboard) const { XkbFreeKeyboard(keyboard, 0, True); }
};
using Keyboard = std::unique_ptr<XkbDescRec, KeyboardRelease>;

std::string atomName(Display* display, Atom atom) {
    if (atom == None) {
        return {};
    }
    X11ErrorTrap trap(display);
    char* name = XGetAtomName(display, atom);
    std::string result = name != nullptr && !trap.failed() ? name : "";
    if (name != nullptr) {
        XFree(name);
    }
    return result;
}

} // namespace

X11InputSourceServices::X11InputSourceServices(X11Display& display,
                                               const XkbLayoutRegistry& registry)
    : display_(display), registry_(registry), observers_(display.loop()) {
    Display* x = display_.get();
    int opcode = 0;
    int errorBase = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    xkbAvailable_ = XkbQueryExtension(x, &opcode, &xkbEventBase_, &errorBase, &major, &minor);
    if (!xkbAvailable_) {
        AppLog::error("X11 input sources: the X server has no XKB extension; no keyboard layouts");
        return;
    }
    rulesNamesAtom_ = XInternAtom(x, "_XKB_RULES_NAMES", False);
    XkbSelectEventDetails(x, XkbUseCoreKbd, XkbStateNotify, groupChanges, groupChanges);
    XkbSelectEvents(x, XkbUseCoreKbd, XkbNewKeyboardNotifyMask, XkbNewKeyboardNotifyMask);
    display_.selectRootEvents(PropertyChangeMask);
    filters_.push_back(
        display_.addFilter(xkbEventBase_, [this](XEvent& event) { handleXkbEvent(event); }));
    filters_.push_back(display_.addFilter(PropertyNotify, [this](XEvent& event) {
        if (event.xproperty.window == display_.root() && event.xproperty.atom == rulesNamesAtom_) {
            readLayouts();
            observers_.post();
        }
    }));
    readLayouts();
    lastGroup_ = lockedGroup();
}

X11InputSourceServices::~X11InputSourceServices() {
    for (auto filter : filters_) {
        display_.removeFilter(filter);
    }
}

std::optional<std::string> X11InputSourceServices::rulesNamesProperty() const {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    X11ErrorTrap trap(display_.get());
    // 1024 longs is 4 kB: far more than any set of rules names.
    const int status =
        XGetWindowProperty(display_.get(), display_.root(), rulesNamesAtom_, 0, 1024, False,
                           XA_STRING, &type, &format, &count, &remaining, &data);
    std::unique_ptr<unsigned char, int (*)(void*)> owned(data, XFree);
    if (status != Success || trap.failed() || data == nullptr || format != 8) {
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(data), count);
}

void X11InputSourceServices::readLayouts() {
    Display* x = display_.get();
    ++generation_;
    sources_.clear();
    Keyboard keyboard(XkbAllocKeyboard());
    if (!keyboard || XkbGetControls(x, XkbGroupsWrapMask, keyboard.get()) != Success ||
        XkbGetNames(x, XkbGroupNamesMask, keyboard.get()) != Success) {
        AppLog::error("X11 input sources: cannot read the keyboard's groups");
        return;
    }
    const int groups = keyboard->ctrls->num_groups;
    const auto property = rulesNamesProperty();
    std::vector<XkbLayout> layouts;
    if (property) {
        layouts = XkbRulesNames::parse({reinterpret_cast<const std::uint8_t*>(property->data()),
                                        property->size()})
                      .layouts();
    } else {
        AppLog::warn("X11 input sources: no _XKB_RULES_NAMES on the root window; layouts are "
                     "named after the keymap's groups");
    }
    for (int group = 0; group < groups; ++group) {
        InputSource source;
        source.handle = generation_ * groupsPerGeneration + static_cast<std::uint64_t>(group);
        source.isEnabled = true;
        source.isSelectCapable = selectionAvailable_;
        const std::string groupName = atomName(x, keyboard->names->groups[group]);
        const bool known = static_cast<std::size_t>(group) < layouts.size() &&
                           !layouts[static_cast<std::size_t>(group)].layout.empty();
        if (known) {
            const XkbLayout& layout = layouts[static_cast<std::size_t>(group)];
            source.sourceID = "xkb:" + layout.name();
            if (auto description = registry_.describe(layout)) {
                source.localizedName = description->localizedName;
                source.languages = description->languages;
            } else {
                source.localizedName = groupName.empty() ? layout.name() : groupName;
            }
        } else {
            source.sourceID = "xkb:group" + std::to_string(group + 1);
            if (!groupName.empty()) {
                source.localizedName = groupName;
            }
        }
        sources_.push_back(std::move(source));
    }
    AppLog::info("X11 input sources: " + std::to_string(sources_.size()) + " keyboard layouts");
}

std::optional<int> X11InputSourceServices::lockedGroup() const {
    XkbStateRec state{};
    if (!xkbAvailable_ || XkbGetState(display_.get(), XkbUseCoreKbd, &state) != Success) {
        return std::nullopt;
    }
    return state.group;
}

std::optional<InputSource> X11InputSourceServices::currentKeyboardInputSource() {
    const auto group = lockedGroup();
    if (!group || *group < 0 || static_cast<std::size_t>(*group) >= sources_.size()) {
        return std::nullopt;
    }
    return sources_[static_cast<std::size_t>(*group)];
}

std::optional<std::vector<InputSource>>
X11InputSourceServices::inputSourceList(const InputSourceFilter& filter, bool) {
    if (!xkbAvailable_) {
        return std::nullopt;
    }
    // Every layout of the keymap is enabled: there are no installed ones besides.
    std::vector<InputSource> list;
    for (const auto& source : sources_) {
        if (filter.matches(source)) {
            list.push_back(source);
        }
    }
    return list;
}

std::int32_t X11InputSourceServices::selectInputSource(const InputSource& source) {
    if (!selectionAvailable_ || source.handle / groupsPerGeneration != generation_) {
        return paramErr;
    }
    const auto group = static_cast<unsigned int>(source.handle % groupsPerGeneration);
    if (group >= sources_.size()) {
        return paramErr;
    }
    X11ErrorTrap trap(display_.get());
    if (!XkbLockGroup(display_.get(), XkbUseCoreKbd, group) || trap.failed()) {
        AppLog::error("X11 input sources: locking group " + std::to_string(group + 1) + " failed");
        return paramErr;
    }
    pendingLock_ = PendingLock{lastGroup_.value_or(-1), static_cast<int>(group),
                               display_.loop()->now()};
    return noErr;
}

void X11InputSourceServices::handleXkbEvent(const XEvent& event) {
    const auto& xkb = reinterpret_cast<const XkbEvent&>(event);
    switch (xkb.any.xkb_type) {
    case XkbStateNotify:
        if ((xkb.state.changed & groupChanges) != 0) {
            groupChanged(xkb.state.group);
        }
        break;
    case XkbNewKeyboardNotify:
        readLayouts();
        observers_.post();
        break;
    default:
        break;
    }
}

void X11InputSourceServices::groupChanged(int group) {
    if (group == lastGroup_) {
        return;
    }
    if (pendingLock_ && lastGroup_ == pendingLock_->to && group == pendingLock_->from &&
        display_.loop()->now() - pendingLock_->at <= revertWindowSeconds && selectionAvailable_) {
        selectionAvailable_ = false;
        for (auto& source : sources_) {
            source.isSelectCapable = false;
        }
        AppLog::warn("X11 input sources: the desktop put the keyboard layout back after Tolvane "
                     "selected one; layouts are still shown but no longer selected by Tolvane");
    }
    if (!pendingLock_ || lastGroup_ != pendingLock_->from || group != pendingLock_->to) {
        pendingLock_.reset();
    }
    lastGroup_ = group;
    observers_.post();
}

InputSourceServices::ObserverID
X11InputSourceServices::addSelectedKeyboardInputSourceObserver(std::function<void()> observer) {
    return observers_.add(std::move(observer));
}

void X11InputSourceServices::removeObserver(ObserverID observer) { observers_.remove(observer); }

} // namespace tolvane
