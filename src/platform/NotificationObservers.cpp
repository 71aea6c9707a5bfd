#include "platform/NotificationObservers.h"

#include <vector>

namespace tolvane {

NotificationObservers::ObserverID NotificationObservers::add(std::function<void()> observer) {
    const ObserverID id = registry_->nextID++;
    registry_->observers.emplace(id, std::move(observer));
    return id;
}

void NotificationObservers::remove(ObserverID observer) {
    registry_->observers.erase(observer);
}

void NotificationObservers::post() {
    loop_->post([weakRegistry = std::weak_ptr<Registry>(registry_)] {
        auto registry = weakRegistry.lock();
        if (!registry) {
            return;
        }
        std::vector<ObserverID> ids;
        for (const auto& entry : registry->observers) {
            ids.push_back(entry.first);
        }
        for (ObserverID id : ids) {
            auto found = registry->observers.find(id);
            if (found != registry->observers.end()) {
                auto observer = found->second;
                observer();
            }
        }
    });
}

} // namespace tolvane
