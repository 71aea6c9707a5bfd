#pragma once

#include "platform/PropertyListDefaultsStore.h"

namespace tolvane {

// User defaults kept, as on the home platform, in a binary property-list
// file <home>/Library/Preferences/<domain>.plist, read afresh on every access.
// Another process is simulated by writing that file; a full disk by failing writes.
class SimDefaultsStore final : public PropertyListDefaultsStore {
  public:
    using PropertyListDefaultsStore::PropertyListDefaultsStore;

    // Every write fails from now on, as on a full disk (or works again).
    void setWritesFail(bool fail) { writesFail_ = fail; }

  private:
    Result<void> update(const std::function<bool(PropertyList::Dictionary&)>& change) override;

    bool writesFail_ = false;
};

} // namespace tolvane
