#include "platform/PropertyListDefaultsStore.h"

namespace tolvane {

Result<void>
PropertyListDefaultsStore::update(const std::function<bool(PropertyList::Dictionary&)>& change) {
    return file_.update(change);
}

Result<void> PropertyListDefaultsStore::setObject(const std::string& key,
                                                  const PropertyList& value) {
    return update([&](PropertyList::Dictionary& stored) {
        stored.insert_or_assign(key, value);
        return true;
    });
}

Result<void> PropertyListDefaultsStore::removeObject(const std::string& key) {
    return update([&](PropertyList::Dictionary& stored) { return stored.erase(key) > 0; });
}

} // namespace tolvane
