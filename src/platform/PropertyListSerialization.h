#pragma once

#include "platform/PropertyList.h"
#include "platform/PropertyListLimits.h"
#include "platform/Result.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace tolvane {

enum class PropertyListFormat { xml, binary };

// Property lists to and from bytes and files (libplist). Reading accepts the
// binary and the XML format; bytes and files are untrusted, so anything
// malformed, truncated, too large or too deep gives a failure, never a crash.
// Writing refuses what could not be read back as written: strings or keys
// that are not UTF-8 or hold a NUL character, and dates outside the format's
// range.
class PropertyListSerialization {
  public:
    static Result<PropertyList> parse(std::span<const std::uint8_t> bytes,
                                      const PropertyListLimits& limits = {});
    static Result<std::vector<std::uint8_t>> serialize(const PropertyList& value,
                                                       PropertyListFormat format,
                                                       const PropertyListLimits& limits = {});

    // The root dictionary; a root of any other kind is a failure.
    static Result<PropertyList::Dictionary> parseDictionary(std::span<const std::uint8_t> bytes);

    static Result<PropertyList> readFile(const std::filesystem::path& path,
                                         const PropertyListLimits& limits = {});
    // The root dictionary of a file, read with parseDictionary.
    static Result<PropertyList::Dictionary> readDictionaryFile(const std::filesystem::path& path);
    // Serialises and writes with atomicWrite; the folder must exist.
    static Result<void> writeFile(const PropertyList& value, const std::filesystem::path& path,
                                  PropertyListFormat format);
    // The same, making the folder and those above it first when missing.
    static Result<void> writeFileCreatingFolder(const PropertyList& value,
                                                const std::filesystem::path& path,
                                                PropertyListFormat format);

    // Binary when the bytes start with the binary format's magic, else XML.
    static PropertyListFormat formatOf(std::span<const std::uint8_t> bytes);
};

} // namespace tolvane
