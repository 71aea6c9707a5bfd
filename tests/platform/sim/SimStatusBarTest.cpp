#include "platform/sim/SimStatusBar.h"

#include "platform/sim/SimMenuOutline.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(SimStatusBarTest, StatusItemsShowATitleAndOwnTheirMenu) {
    SimStatusBar bar;
    auto item = bar.statusItem(StatusBar::variableLength);
    ASSERT_EQ(bar.items().size(), 1u);
    EXPECT_EQ(item->length(), -1);
    ASSERT_NE(item->button(), nullptr);
    item->button()->setTitle("TV");
    EXPECT_EQ(bar.items().front()->button()->title(), "TV");

    auto menu = Menu::create();
    menu->addItem(MenuItem::create(
        "Quit", [](MenuItem&) {}, "q"));
    item->setMenu(menu);
    EXPECT_EQ(bar.items().front()->menu()->itemWithTitle("Quit")->keyEquivalent(), "q");

    bar.setItemsHaveButtons(false);
    auto bare = bar.statusItem(20);
    EXPECT_EQ(bare->button(), nullptr);

    bar.removeStatusItem(item);
    ASSERT_EQ(bar.items().size(), 1u);
    EXPECT_EQ(bar.items().front(), bare);
}

TEST(SimStatusBarTest, MenuOutlineShowsWhatTheUserSees) {
    auto styles = Menu::create("Cursor style");
    auto system = MenuItem::create("System cursor", [](MenuItem&) {});
    auto badge = MenuItem::create("Letter badge", [](MenuItem&) {});
    badge->setState(ControlState::on);
    styles->addItem(system);
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
    menu->addItem(MenuItem::create(
        "Quit", [](MenuItem&) {}, "q"));

    EXPECT_EQ(menuOutline(*menu), "Cursor style\n"
                                  "    System cursor\n"
                                  "    ✓ Letter badge\n"
                                  "No selectable layouts found (disabled)\n"
                                  "- Partly\n"
                                  "---\n"
                                  "Quit ⌘q\n");
}

TEST(SimStatusBarTest, ChoosingAnItemRunsItsActionWithTheItemAsSender) {
    std::vector<std::string> chosen;
    auto delay = MenuItem::create("30 seconds", [&](MenuItem& sender) {
        chosen.push_back(sender.title() + "=" +
                         std::to_string(*sender.representedObject()->integerValue()));
    });
    delay->setRepresentedObject(PropertyList(30));
    EXPECT_TRUE(delay->performAction());
    EXPECT_EQ(chosen, std::vector<std::string>{"30 seconds=30"});

    delay->setEnabled(false);
    EXPECT_FALSE(delay->performAction());
    EXPECT_FALSE(MenuItem::separator()->performAction());
    EXPECT_FALSE(MenuItem::create("Cursor style")->performAction());
    EXPECT_EQ(chosen.size(), 1u);

    auto menu = Menu::create();
    EXPECT_EQ(menu->itemWithTitle("anything"), nullptr);
}

TEST(SimStatusBarTest, AnActionMayRebuildTheMenuThatHoldsItsItem) {
    auto menu = Menu::create("Cursor style");
    std::string seen;
    menu->addItem(MenuItem::create("Letter badge", [&](MenuItem& sender) {
        menu->removeAllItems(); // drops the only other reference to the sender
        menu->addItem(MenuItem::create("rebuilt"));
        seen = sender.title(); // the sender is still alive
    }));
    std::weak_ptr<MenuItem> item = menu->items().front();
    EXPECT_TRUE(menu->items().front()->performAction());
    EXPECT_EQ(seen, "Letter badge");
    EXPECT_TRUE(item.expired());
    EXPECT_EQ(menu->items().front()->title(), "rebuilt");
}

} // namespace
} // namespace tolvane
