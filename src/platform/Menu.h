#pragma once

#include "platform/MenuItem.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// An ordered list of menu items with a title.
class Menu {
  public:
    explicit Menu(std::string title = {}) : title_(std::move(title)) {}
    static std::shared_ptr<Menu> create(std::string title = {}) {
        return std::make_shared<Menu>(std::move(title));
    }

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }

    void addItem(std::shared_ptr<MenuItem> item) { items_.push_back(std::move(item)); }
    void removeAllItems() { items_.clear(); }
    const std::vector<std::shared_ptr<MenuItem>>& items() const { return items_; }
    // The first item with exactly this title; null when there is none.
    std::shared_ptr<MenuItem> itemWithTitle(std::string_view title) const;

  private:
    std::string title_;
    std::vector<std::shared_ptr<MenuItem>> items_;
};

} // namespace tolvane
