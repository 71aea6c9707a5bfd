#include "platform/sim/SimPreferenceDomain.h"

namespace tolvane {

std::optional<PropertyList> SimPreferenceDomain::copyValue(const std::string& key) {
    if (auto pending = pending_.find(key); pending != pending_.end()) {
        return pending->second;
    }
    auto stored = file_.read();
    const PropertyList* value = stored ? PropertyList::find(stored.value(), key) : nullptr;
    return value ? std::optional<PropertyList>(*value) : std::nullopt;
}

void SimPreferenceDomain::setValue(const std::string& key, std::optional<PropertyList> value) {
    if (managedKeys_.contains(key)) {
        return;
    }
    pending_.insert_or_assign(key, std::move(value));
}

void SimPreferenceDomain::setManaged(const std::string& key, bool managed) {
    if (managed) {
        managedKeys_.insert(key);
        pending_.erase(key);
    } else {
        managedKeys_.erase(key);
    }
}

Result<void> SimPreferenceDomain::synchronize() {
    if (synchronizeFails_) {
        return Failure{"cannot synchronize preferences of " + name_};
    }
    if (pending_.empty()) {
        return Result<void>::success();
    }
    auto written = file_.update([this](PropertyList::Dictionary& stored) {
        for (const auto& [key, value] : pending_) {
            if (value) {
                stored.insert_or_assign(key, *value);
            } else {
                stored.erase(key);
            }
        }
        return true;
    });
    if (written) {
        pending_.clear();
    }
    return written;
}

} // namespace tolvane
