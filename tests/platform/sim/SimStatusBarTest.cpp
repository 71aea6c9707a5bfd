// The status title, the menu outline, check marks, key equivalents, submenus
// and disabled items are pinned by the application's menu tests (tests/app).
#include "platform/sim/SimStatusBar.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(SimStatusBarTest, ChoosingAnEnabledItemRunsItsActionWithTheItemAsSender) {
    std::vector<std::string> chosen;
    auto menu = Menu::create("Delay");
    auto delay = MenuItem::create("30 seconds", [&](MenuItem& sender) {
        menu->removeAllItems(); // drops the only other reference to the sender
        chosen.push_back(sender.title() + "=" +
                         std::to_string(*sender.representedObject()->integerValue()));
    });
    delay->setRepresentedObject(PropertyList(30));
    menu->addItem(delay);
    delay->setEnabled(false);
    EXPECT_FALSE(delay->performAction());
    delay->setEnabled(true);
    std::weak_ptr<MenuItem> item = delay;
    delay.reset();
    EXPECT_TRUE(menu->items().front()->performAction()); // the sender outlives the rebuild
    EXPECT_TRUE(item.expired());
    EXPECT_FALSE(MenuItem::separator()->performAction());
    EXPECT_FALSE(MenuItem::create("Cursor style")->performAction());
    EXPECT_EQ(chosen, std::vector<std::string>{"30 seconds=30"});
}

} // namespace
} // namespace tolvane
