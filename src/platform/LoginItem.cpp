#include "platform/LoginItem.h"

#include <system_error>

namespace tolvane {

bool LoginItem::exists() const {
    std::error_code error;
    return std::filesystem::exists(path_, error);
}

Result<void> LoginItem::remove() const {
    std::error_code error;
    if (!std::filesystem::remove(path_, error) && !error) {
        return Failure{"nothing to remove at " + path_.string(), ENOENT};
    }
    if (error) {
        return Failure{error.message(), error.value()};
    }
    return Result<void>::success();
}

} // namespace tolvane
