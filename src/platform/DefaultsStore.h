#pragma once

#include "platform/PropertyList.h"
#include "platform/Result.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tolvane {

// The application's user defaults: a per-user key-value store that tells an
// absent key from a present one. Every reading goes to the store afresh, so a
// value another process wrote is seen at once.
class DefaultsStore {
  public:
    virtual ~DefaultsStore() = default;

    // Everything stored; a failure when the store cannot be read.
    virtual Result<PropertyList::Dictionary> dictionaryRepresentation() const = 0;
    virtual Result<void> setObject(const std::string& key, const PropertyList& value) = 0;
    // Removing an absent key succeeds.
    virtual Result<void> removeObject(const std::string& key) = 0;

    // Readings of one key. A store that cannot be read reads as empty.
    std::optional<PropertyList> objectForKey(const std::string& key) const;
    std::optional<std::string> stringForKey(const std::string& key) const;
    bool boolForKey(const std::string& key) const;
    std::int64_t integerForKey(const std::string& key) const;

    // How the home platform reads a stored value of any type:
    // - as a string: a string as it is, a number as its decimal text (a
    //   boolean as "1" or "0"); nothing for other types.
    static std::optional<std::string> stringReading(const PropertyList& value);
    // - as a boolean: a boolean as it is, a number when it is not zero, a
    //   string "YES" or "true" in any case, "NO" or "false" false, any other
    //   string by its leading integer; false for other types.
    static bool booleanReading(const PropertyList& value);
    // - as an integer: an integer as it is, a real truncated towards zero
    //   (clamped to the 64-bit range, 0 for not-a-number), a boolean as 1 or
    //   0, a string by its leading integer (white space, a sign and digits,
    //   clamped); 0 for other types.
    static std::int64_t integerReading(const PropertyList& value);
};

} // namespace tolvane
