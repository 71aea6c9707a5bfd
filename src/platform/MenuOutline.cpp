#include "platform/MenuOutline.h"

namespace tolvane {

namespace {

void appendItems(const Menu& menu, const std::string& indent, std::string& out) {
    for (const auto& item : menu.items()) {
        out += indent;
        if (item->isSeparatorItem()) {
            out += "---\n";
            continue;
        }
        if (item->state() == ControlState::on) {
            out += "✓ ";
        } else if (item->state() == ControlState::mixed) {
            out += "- ";
        }
        out += item->title();
        if (!item->keyEquivalent().empty()) {
            out += " ⌘" + item->keyEquivalent();
        }
        if (!item->isEnabled()) {
            out += " (disabled)";
        }
        out += "\n";
        if (item->submenu()) {
            appendItems(*item->submenu(), indent + "    ", out);
        }
    }
}

} // namespace

std::string menuOutline(const Menu& menu) {
    std::string out;
    appendItems(menu, "", out);
    return out;
}

} // namespace tolvane
