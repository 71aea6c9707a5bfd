#pragma once

#include "app/LaunchAgent.h"
#include "app/TolvaneTrayApp.h"
#include "platform/sim/SimSession.h"

#include <memory>

namespace tolvane::testing {

// Counts what the application asks of the updater.
class RecordingUpdater final : public Updater {
  public:
    explicit RecordingUpdater(bool automaticChecks) : automaticChecks_(automaticChecks) {}
    bool automaticallyChecksForUpdates() const override { return automaticChecks_; }
    void checkForUpdatesInBackground() override { ++backgroundChecks; }
    void checkForUpdates() override { ++userChecks; }

    int backgroundChecks = 0;
    int userChecks = 0;

  private:
    bool automaticChecks_;
};

inline constexpr const char* accessibilityDomain = "com.apple.universalaccess";

// What the application object takes from a simulated session, wired as the
// program's entry wires it.
inline TrayAppContext
simulatedTrayAppContext(SimSession& session, const StandardCursors& standardCursors,
                        CGSRuntime& runtime, CursorCapeStore& capes, Environment environment,
                        std::function<std::unique_ptr<Updater>()> makeUpdater) {
    return TrayAppContext{session.loop(),
                          session.application(),
                          session.statusBar(),
                          *session.inputSources(),
                          *session.events(),
                          *session.defaults(),
                          *session.preferenceDomain(accessibilityDomain),
                          *session.folders(),
                          session.bundle(),
                          standardCursors,
                          runtime,
                          capes,
                          std::move(environment),
                          std::move(makeUpdater),
                          std::make_shared<LaunchAgent>(*session.folders(), session.bundle())};
}

// The item whose title begins with each text in turn, down the submenus;
// null when one is missing.
inline std::shared_ptr<MenuItem> menuItemAt(std::shared_ptr<Menu> menu,
                                            std::initializer_list<std::string> path) {
    std::shared_ptr<MenuItem> found;
    for (const std::string& title : path) {
        if (!menu) {
            return nullptr;
        }
        auto match =
            std::find_if(menu->items().begin(), menu->items().end(),
                         [&](const auto& item) { return item->title().starts_with(title); });
        if (match == menu->items().end()) {
            return nullptr;
        }
        found = *match;
        menu = found->submenu();
    }
    return found;
}

} // namespace tolvane::testing
