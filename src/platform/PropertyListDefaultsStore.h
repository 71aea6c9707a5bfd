#pragma once

#include "platform/DefaultsStore.h"
#include "platform/PropertyListDictionaryFile.h"

#include <filesystem>
#include <functional>

namespace tolvane {

// User defaults kept in a binary property-list file, read afresh on every
// access, so that what another process wrote is seen at once.
class PropertyListDefaultsStore : public DefaultsStore {
  public:
    explicit PropertyListDefaultsStore(std::filesystem::path plistPath)
        : file_(std::move(plistPath)) {}

    const std::filesystem::path& plistPath() const { return file_.path(); }

    Result<PropertyList::Dictionary> dictionaryRepresentation() const override {
        return file_.read();
    }
    Result<void> setObject(const std::string& key, const PropertyList& value) override;
    Result<void> removeObject(const std::string& key) override;

  protected:
    // Every write: reads the file, lets change edit it and writes it back when change says so.
    virtual Result<void> update(const std::function<bool(PropertyList::Dictionary&)>& change);

  private:
    PropertyListDictionaryFile file_;
};

} // namespace tolvane
