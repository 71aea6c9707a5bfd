#pragma once

#include "platform/PropertyList.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tolvane {

class Menu;

// The check mark state of a menu item.
enum class ControlState { mixed = -1, off = 0, on = 1 };

// One entry of a menu: a title with an optional action, a separator, or the
// root of a submenu. The action stands in for target and selector: it holds
// its target (weakly, where the target owns the menu) and receives the item
// as the sender.
class MenuItem : public std::enable_shared_from_this<MenuItem> {
  public:
    using Action = std::function<void(MenuItem& sender)>;

    // keyEquivalent is a single lower-case letter pressed with the command
    // key, or empty for none.
    static std::shared_ptr<MenuItem> create(std::string title, Action action = {},
                                            std::string keyEquivalent = {});
    static std::shared_ptr<MenuItem> separator();

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    bool hasAction() const { return static_cast<bool>(action_); }
    void setAction(Action action) { action_ = std::move(action); }
    const std::string& keyEquivalent() const { return keyEquivalent_; }
    void setKeyEquivalent(std::string key) { keyEquivalent_ = std::move(key); }

    const std::optional<PropertyList>& representedObject() const { return representedObject_; }
    void setRepresentedObject(std::optional<PropertyList> object) {
        representedObject_ = std::move(object);
    }
    ControlState state() const { return state_; }
    void setState(ControlState state) { state_ = state; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }

    const std::shared_ptr<Menu>& submenu() const { return submenu_; }
    void setSubmenu(std::shared_ptr<Menu> submenu) { submenu_ = std::move(submenu); }
    bool isSeparatorItem() const { return separator_; }

    // Chooses the item as the user would: runs its action with the item as
    // the sender. A disabled item, a separator or an item without action does
    // nothing and returns false. The item stays alive while its action runs,
    // even when the action replaces the menu that holds it.
    bool performAction();

    explicit MenuItem(std::string title, Action action, std::string keyEquivalent, bool separator);

  private:
    std::string title_;
    Action action_;
    std::string keyEquivalent_;
    std::optional<PropertyList> representedObject_;
    ControlState state_ = ControlState::off;
    bool enabled_ = true;
    bool separator_ = false;
    std::shared_ptr<Menu> submenu_;
};

} // namespace tolvane
