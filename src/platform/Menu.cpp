#include "platform/Menu.h"

namespace tolvane {

std::shared_ptr<MenuItem> Menu::itemWithTitle(std::string_view title) const {
    for (const auto& item : items_) {
        if (!item->isSeparatorItem() && item->title() == title) {
            return item;
        }
    }
    return nullptr;
}

} // namespace tolvane
