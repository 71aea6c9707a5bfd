#pragma once

#include "platform/PropertyListLimits.h"
#include "platform/Result.h"

#include <cstdint>
#include <span>

namespace tolvane {

// Checks made before untrusted property-list bytes reach the parser, which
// recurses once per nesting level and copies an object once per reference:
// deep nesting would overflow its stack, and a few shared objects referring
// to each other can expand to billions of values.
class PropertyListShape {
  public:
    // Walks the object table of a binary property list without decoding any
    // value; fails for a table that points outside the file, a reference
    // cycle, a string holding a NUL character (the parser aborts on such a
    // dictionary key), nesting deeper than the limit or more values than the
    // limit.
    static Result<void> checkBinary(std::span<const std::uint8_t> bytes,
                                    const PropertyListLimits& limits);
    // Counts XML elements and how deep they nest, and requires a document
    // with a plist element to end with its end tag (the parser accepts one cut
    // off before it). Other malformations are left to the parser.
    static Result<void> checkXml(std::span<const std::uint8_t> bytes,
                                 const PropertyListLimits& limits);
};

} // namespace tolvane
