#pragma once

#include "runtime/WindowServerInterface.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace tolvane {

// Calls call(name) with a fresh NUL-terminated copy of the name, freed right after
// the call, so the window server never holds on to our string. When the copy
// cannot be made the call is skipped and the result is ifNoCopy (status -1 for
// the calls that return a status).
template <typename Result, typename Call>
Result callWithName(const std::string& name, Result ifNoCopy, Call call) {
    auto* copy = static_cast<char*>(std::malloc(name.size() + 1));
    if (copy == nullptr) {
        return ifNoCopy;
    }
    std::memcpy(copy, name.c_str(), name.size() + 1);
    Result result = call(static_cast<const char*>(copy));
    std::free(copy);
    return result;
}

} // namespace tolvane
