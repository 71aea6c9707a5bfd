#pragma once

#include "platform/DefaultsStore.h"
#include "platform/sim/PropertyListDictionaryFile.h"

#include <filesystem>

namespace tolvane {

// User defaults kept, as on the home platform, in a binary property-list
// file <home>/Library/Preferences/<domain>.plist, read afresh on every access.
// Another process is simulated by writing that file.
class SimDefaultsStore final : public DefaultsStore {
  public:
    explicit SimDefaultsStore(std::filesystem::path plistPath) : file_(std::move(plistPath)) {}

    const std::filesystem::path& plistPath() const { return file_.path(); }
    // Every write fails from now on, as on a full disk (or works again).
    void setWritesFail(bool fail) { writesFail_ = fail; }

    Result<PropertyList::Dictionary> dictionaryRepresentation() const override {
        return file_.read();
    }
    Result<void> setObject(const std::string& key, const PropertyList& value) override;
    Result<void> removeObject(const std::string& key) override;

  private:
    Result<void> update(const std::function<bool(PropertyList::Dictionary&)>& change);

    PropertyListDictionaryFile file_;
    bool writesFail_ = false;
};

} // namespace tolvane
