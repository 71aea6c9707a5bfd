#pragma once

#include "platform/Menu.h"

#include <memory>
#include <string>

namespace tolvane {

// An item in the system status bar: a button showing a title, and the menu
// that opens when the button is clicked.
class StatusItem {
  public:
    class Button {
      public:
        const std::string& title() const { return title_; }
        void setTitle(std::string title) { title_ = std::move(title); }

      private:
        std::string title_;
    };

    StatusItem(double length, bool hasButton) : length_(length), hasButton_(hasButton) {}

    double length() const { return length_; }
    // Null when the item has no button.
    Button* button() { return hasButton_ ? &button_ : nullptr; }
    const Button* button() const { return hasButton_ ? &button_ : nullptr; }
    const std::shared_ptr<Menu>& menu() const { return menu_; }
    void setMenu(std::shared_ptr<Menu> menu) { menu_ = std::move(menu); }

  private:
    double length_;
    bool hasButton_;
    Button button_;
    std::shared_ptr<Menu> menu_;
};

} // namespace tolvane
