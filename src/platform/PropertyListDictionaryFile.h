#pragma once

#include "platform/PropertyList.h"
#include "platform/Result.h"

#include <filesystem>
#include <functional>

namespace tolvane {

// A dictionary kept in a binary property-list file and read afresh on every
// access, so that what another process wrote is seen at once.
class PropertyListDictionaryFile {
  public:
    explicit PropertyListDictionaryFile(std::filesystem::path path) : path_(std::move(path)) {}

    const std::filesystem::path& path() const { return path_; }

    // The stored dictionary; empty while there is no file. A file that cannot
    // be read or whose root is no dictionary gives a failure.
    Result<PropertyList::Dictionary> read() const;
    // Reads the dictionary, lets change edit it and, when change returns
    // true, writes it back atomically, making the folder when needed. A file
    // that cannot be read is left as it is rather than overwritten.
    Result<void> update(const std::function<bool(PropertyList::Dictionary&)>& change);

  private:
    std::filesystem::path path_;
};

} // namespace tolvane
