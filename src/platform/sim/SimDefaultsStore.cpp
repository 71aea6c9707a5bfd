#include "platform/sim/SimDefaultsStore.h"

#include <cerrno>

namespace tolvane {

Result<void>
SimDefaultsStore::update(const std::function<bool(PropertyList::Dictionary&)>& change) {
    if (writesFail_) {
        return Failure{"cannot write " + plistPath().string() + ": No space left on device",
                       ENOSPC};
    }
    return file_.update(change);
}

Result<void> SimDefaultsStore::setObject(const std::string& key, const PropertyList& value) {
    return update([&](PropertyList::Dictionary& stored) {
        stored.insert_or_assign(key, value);
        return true;
    });
}

Result<void> SimDefaultsStore::removeObject(const std::string& key) {
    return update([&](PropertyList::Dictionary& stored) { return stored.erase(key) > 0; });
}

} // namespace tolvane
