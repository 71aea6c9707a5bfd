#include "platform/sim/SimDefaultsStore.h"

#include <cerrno>

namespace tolvane {

Result<void>
SimDefaultsStore::update(const std::function<bool(PropertyList::Dictionary&)>& change) {
    if (writesFail_) {
        return Failure{"cannot write " + plistPath().string() + ": No space left on device",
                       ENOSPC};
    }
    return PropertyListDefaultsStore::update(change);
}

} // namespace tolvane
