#pragma once

#include "platform/PropertyList.h"
#include "platform/Result.h"

#include <optional>
#include <string>

namespace tolvane {

// The preferences of one application domain, such as another application's
// settings: values are set in this process at once and written through to
// the domain's store on synchronize().
class PreferenceDomain {
  public:
    virtual ~PreferenceDomain() = default;

    virtual const std::string& name() const = 0;
    // The value as this process sees it: its own change not yet written
    // through, else the stored value, read afresh. None when absent.
    virtual std::optional<PropertyList> copyValue(const std::string& key) = 0;
    // Sets the value; none removes the key. A key that a managed profile
    // controls keeps its value.
    virtual void setValue(const std::string& key, std::optional<PropertyList> value) = 0;
    void removeValue(const std::string& key) { setValue(key, std::nullopt); }
    // Writes pending changes through to the store and reads it afresh.
    virtual Result<void> synchronize() = 0;
};

} // namespace tolvane
