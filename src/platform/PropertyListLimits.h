#pragma once

#include <cstddef>

namespace tolvane {

// What a property list read from outside may cost.
struct PropertyListLimits {
    std::size_t maxBytes = 16u * 1024u * 1024u;
    // Arrays and dictionaries inside one another: a root dictionary of
    // strings has depth 1.
    int maxDepth = 512;
    // Values after expansion, every key and element counted: a binary
    // property list may refer to one object from many places, and the parser
    // makes a copy for every reference.
    std::size_t maxValues = 1u << 20u;
};

} // namespace tolvane
