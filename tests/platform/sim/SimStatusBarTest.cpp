#include "platform/sim/SimStatusBar.h"

#include "platform/sim/SimMenuOutline.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

void nothing(MenuItem&) {}

TEST(SimStatusBarTest, StatusItemsShowATitleAndOwnTheirMenu) {
    SimStatusBar bar;
    auto item = bar.statusItem(StatusBar::variableLength);
    item->button()->setTitle("TV");
    item->setMenu(Menu::create());
    item->menu()->addItem(MenuItem::create("Quit", nothing, "q"));
    EXPECT_EQ(bar.items().front()->button()->title(), "TV");
    EXPECT_EQ(bar.items().front()->menu()->itemWithTitle("Quit")->keyEquivalent(), "q");
    auto other = bar.statusItem(20);
    bar.removeStatusItem(item);
    EXPECT_EQ(bar.items(), std::vector<std::shared_ptr<StatusItem>>{other});
}

TEST(SimStatusBarTest, MenuOutlineShowsWhatTheUserSees) {
    auto styles = Menu::create("Cursor style");
    styles->addItem(MenuItem::create("System cursor", nothing));
    auto badge = MenuItem::create("Letter badge", nothing);
    badge->setState(ControlState::on);
    styles->addItem(badge);

    auto menu = Menu::create();
    auto root = MenuItem::create("Cursor style");
    root->setSubmenu(styles);
    menu->addItem(root);
    auto none = MenuItem::create("No selectable layouts found");
    none->setEnabled(false);
    menu->addItem(none);
    auto partly = MenuItem::create("Partly");
    partly->setState(ControlState::mixed);
    menu->addItem(partly);
    menu->addItem(MenuItem::separator());
    menu->addItem(MenuItem::create("Quit", nothing, "q"));

    EXPECT_EQ(menuOutline(*menu), "Cursor style\n"
                                  "    System cursor\n"
                                  "    ✓ Letter badge\n"
                                  "No selectable layouts found (disabled)\n"
                                  "- Partly\n"
                                  "---\n"
                                  "Quit ⌘q\n");
}

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
