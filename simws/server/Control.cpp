// The exported control interface (simws/Control.h).
#include "simws/Control.h"

#include "server/SystemArtwork.h"
#include "server/WindowServer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#define TVWS_API extern "C" __attribute__((visibility("default")))

using tolvane::CursorRecordPtr;
using tolvane::Fault;
using tolvane::FaultTable;
using tolvane::ObjectHandle;
using tolvane::WindowServer;

namespace {

WindowServer& server() {
    return WindowServer::shared();
}

char* copyString(const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy != nullptr) {
        std::memcpy(copy, text.c_str(), text.size() + 1);
    }
    return copy;
}

int fillInfo(const CursorRecordPtr& record, TVWSCursorInfo* info) {
    if (!record || info == nullptr) {
        return -1;
    }
    std::vector<TVWSObjectRef> images;
    for (const ObjectHandle& image : record->images) {
        images.push_back(image.get());
    }
    TVWSArrayRef array = TVWSArrayCreate(images.data(), images.size());
    if (array == nullptr) {
        return -1;
    }
    info->size = record->size;
    info->hotSpot = record->hotSpot;
    info->frameCount = record->frameCount;
    info->frameDuration = record->frameDuration;
    info->images = array;
    info->isSystemArtwork = record->isSystemArtwork ? 1 : 0;
    return 0;
}

int injectFault(TVWSFunction function, std::optional<std::string> name,
                std::optional<int32_t> number, TVWSFaultKind kind, int32_t value) {
    if (!FaultTable::applies(function, kind)) {
        return -1;
    }
    server().setFault(function, std::move(name), number, Fault{kind, value});
    return 0;
}

} // namespace

TVWS_API void tvws_reset(void) {
    server().reset(tolvane::SystemArtwork::defaultRepresentationScales());
}

TVWS_API int tvws_reset_with_densities(const double* densities, size_t count) {
    constexpr size_t maxDensities = 8;
    if (densities == nullptr || count == 0 || count > maxDensities) {
        return -1;
    }
    std::vector<double> scales(densities, densities + count);
    if (!std::all_of(scales.begin(), scales.end(),
                     [](double scale) { return scale >= 0.5 && scale <= 32.0; })) {
        return -1;
    }
    server().reset(scales);
    return 0;
}

TVWS_API char** tvws_copy_registered_names(TVWSScope scope, size_t* outCount) {
    const std::vector<std::string> names = server().registeredNames(scope);
    auto** list = static_cast<char**>(std::calloc(names.size() + 1, sizeof(char*)));
    if (list == nullptr) {
        return nullptr;
    }
    for (size_t index = 0; index < names.size(); ++index) {
        list[index] = copyString(names[index]);
        if (list[index] == nullptr) {
            tvws_free_names(list);
            return nullptr;
        }
    }
    if (outCount != nullptr) {
        *outCount = names.size();
    }
    return list;
}

TVWS_API void tvws_free_names(char** names) {
    if (names == nullptr) {
        return;
    }
    for (char** name = names; *name != nullptr; ++name) {
        std::free(*name);
    }
    std::free(names);
}

TVWS_API int tvws_copy_registered_cursor(TVWSScope scope, const char* name, TVWSCursorInfo* info) {
    return name != nullptr ? fillInfo(server().registeredCursor(scope, name), info) : -1;
}

TVWS_API int tvws_copy_system_cursor(int32_t number, TVWSCursorInfo* info) {
    return fillInfo(server().systemCursor(number), info);
}

TVWS_API char* tvws_copy_displayed_name(void) {
    return copyString(server().displayedName());
}

TVWS_API int tvws_displayed_by_other_application(void) {
    return server().displayedByOtherApplication() ? 1 : 0;
}

TVWS_API TVWSImageRef tvws_copy_displayed_image(TVWSPoint* outHotSpot) {
    tolvane::DisplayedImage displayed = server().displayedImage();
    if (outHotSpot != nullptr) {
        *outHotSpot = displayed.hotSpot;
    }
    return displayed.image.handOver();
}

TVWS_API int32_t tvws_seed(void) {
    return server().seed();
}

TVWS_API uint64_t tvws_registry_generation(void) {
    return server().registryGeneration();
}

TVWS_API float tvws_scale(void) {
    return server().scale();
}

TVWS_API int tvws_hide_count(void) {
    return server().hideCount();
}

TVWS_API int tvws_dock_override_enabled(void) {
    return server().dockOverrideEnabled() ? 1 : 0;
}

TVWS_API int32_t tvws_simulate_foreign_cursor_change(const char* name) {
    return name != nullptr ? server().simulateForeignCursorChange(name)
                           : TVWS_STATUS_NONE_AVAILABLE;
}

TVWS_API int tvws_inject_fault(TVWSFunction function, TVWSFaultKind kind, int32_t value) {
    return injectFault(function, std::nullopt, std::nullopt, kind, value);
}

TVWS_API int tvws_inject_fault_for_name(TVWSFunction function, const char* name, TVWSFaultKind kind,
                                        int32_t value) {
    if (name == nullptr || !FaultTable::takesName(function)) {
        return -1;
    }
    return injectFault(function, std::string(name), std::nullopt, kind, value);
}

TVWS_API int tvws_inject_fault_for_number(TVWSFunction function, int32_t number, TVWSFaultKind kind,
                                          int32_t value) {
    if (!FaultTable::takesNumber(function)) {
        return -1;
    }
    return injectFault(function, std::nullopt, number, kind, value);
}

TVWS_API void tvws_clear_faults(void) {
    server().clearFaults();
}

TVWS_API unsigned tvws_call_count(const char* symbol) {
    return symbol != nullptr ? server().callCount(symbol) : 0;
}

TVWS_API char* tvws_copy_call_journal(void) {
    return copyString(server().callJournal());
}

TVWS_API void tvws_free(void* pointer) {
    std::free(pointer);
}
