#include "server/FaultTable.h"

#include <algorithm>

namespace tolvane {

bool FaultTable::takesName(TVWSFunction function) {
    switch (function) {
    case TVWS_FN_REGISTER_CURSOR_WITH_IMAGES:
    case TVWS_FN_REGISTER_CURSOR_WITH_IMAGE:
    case TVWS_FN_COPY_REGISTERED_CURSOR_IMAGES:
    case TVWS_FN_SET_REGISTERED_CURSOR:
    case TVWS_FN_CREATE_REGISTERED_CURSOR_IMAGE:
    case TVWS_FN_REMOVE_REGISTERED_CURSOR:
        return true;
    default:
        return false;
    }
}

bool FaultTable::takesNumber(TVWSFunction function) {
    switch (function) {
    case TVWS_FN_CURSOR_NAME_FOR_SYSTEM_CURSOR:
    case TVWS_FN_SET_SYSTEM_DEFINED_CURSOR:
    case TVWS_FN_SET_SYSTEM_DEFINED_CURSOR_WITH_SEED:
    case TVWS_FN_CORE_CURSOR_SET:
    case TVWS_FN_CORE_CURSOR_SET_AND_RETURN_SEED:
    case TVWS_FN_CORE_CURSOR_COPY_IMAGES:
        return true;
    default:
        return false;
    }
}

bool FaultTable::applies(TVWSFunction function, TVWSFaultKind kind) {
    const int index = static_cast<int>(function);
    const bool known = index >= 0 && index < TVWS_FUNCTION_COUNT;
    const bool copies = function == TVWS_FN_COPY_REGISTERED_CURSOR_IMAGES ||
                        function == TVWS_FN_CORE_CURSOR_COPY_IMAGES;
    const bool returnsPointer = function == TVWS_FN_CREATE_REGISTERED_CURSOR_IMAGE ||
                                function == TVWS_FN_CURSOR_NAME_FOR_SYSTEM_CURSOR;
    const bool reportsData = function == TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE ||
                             function == TVWS_FN_GET_GLOBAL_CURSOR_DATA;
    switch (kind) {
    case TVWS_FAULT_NONE:
        return known;
    case TVWS_FAULT_STATUS:
        return known && !returnsPointer;
    case TVWS_FAULT_NULL_RESULT:
        return returnsPointer;
    case TVWS_FAULT_NO_ARRAY:
    case TVWS_FAULT_EMPTY_ARRAY:
    case TVWS_FAULT_NON_IMAGE_FIRST:
        return copies;
    case TVWS_FAULT_NON_IMAGE_ONLY:
        return copies || function == TVWS_FN_CREATE_REGISTERED_CURSOR_IMAGE;
    case TVWS_FAULT_SHORT_DATA:
    case TVWS_FAULT_LONG_DATA:
        return reportsData;
    }
    return false;
}

void FaultTable::set(TVWSFunction function, std::optional<std::string> name,
                     std::optional<std::int32_t> number, Fault fault) {
    std::erase_if(entries_, [&](const Entry& entry) {
        return entry.function == function && entry.name == name && entry.number == number;
    });
    if (fault.kind != TVWS_FAULT_NONE) {
        entries_.push_back({function, std::move(name), number, fault});
    }
}

std::optional<Fault> FaultTable::find(TVWSFunction function, const char* name,
                                      std::optional<std::int32_t> number) const {
    const Entry* general = nullptr;
    for (const Entry& entry : entries_) {
        if (entry.function != function) {
            continue;
        }
        if (!entry.name && !entry.number) {
            general = &entry;
        } else if ((entry.name && name != nullptr && *entry.name == name) ||
                   (entry.number && number && *entry.number == *number)) {
            return entry.fault;
        }
    }
    return general != nullptr ? std::optional<Fault>(general->fault) : std::nullopt;
}

} // namespace tolvane
