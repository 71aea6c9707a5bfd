// What tests and the desktop front end may read and change.
#include "systemcursors/SystemCursorTable.h"
#include "server/WindowServer.h"

namespace tolvane {

void WindowServer::reset(const std::vector<double>& representationScales) {
    std::lock_guard lock(mutex_);
    resetLocked(representationScales);
}

std::vector<std::string> WindowServer::registeredNames(TVWSScope scope) {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    for (const auto& [name, record] : scope == TVWS_SCOPE_GLOBAL ? global_ : connection_) {
        names.push_back(name);
    }
    return names;
}

CursorRecordPtr WindowServer::registeredCursor(TVWSScope scope, std::string_view name) {
    std::lock_guard lock(mutex_);
    const Registry& registry = scope == TVWS_SCOPE_GLOBAL ? global_ : connection_;
    auto found = registry.find(name);
    return found == registry.end() ? nullptr : found->second;
}

CursorRecordPtr WindowServer::systemCursor(std::int32_t number) {
    std::lock_guard lock(mutex_);
    const NumberedSystemCursor* cursor = SystemCursorTable::find(number);
    return cursor != nullptr ? artwork(cursor->shape) : nullptr;
}

std::string WindowServer::displayedName() {
    std::lock_guard lock(mutex_);
    return displayedName_;
}

bool WindowServer::displayedByOtherApplication() {
    std::lock_guard lock(mutex_);
    return displayedByOtherApplication_;
}

DisplayedImage WindowServer::displayedImage() {
    std::lock_guard lock(mutex_);
    return displayed_;
}

std::int32_t WindowServer::seed() {
    std::lock_guard lock(mutex_);
    return seed_;
}

std::uint64_t WindowServer::registryGeneration() {
    std::lock_guard lock(mutex_);
    return registryGeneration_;
}

float WindowServer::scale() {
    std::lock_guard lock(mutex_);
    return scale_;
}

int WindowServer::hideCount() {
    std::lock_guard lock(mutex_);
    return hideCount_;
}

bool WindowServer::dockOverrideEnabled() {
    std::lock_guard lock(mutex_);
    return dockOverride_;
}

TVWSStatus WindowServer::simulateForeignCursorChange(std::string_view name) {
    std::lock_guard lock(mutex_);
    if (!global_.contains(name)) {
        return TVWS_STATUS_NONE_AVAILABLE;
    }
    display(std::string(name), true);
    return 0;
}

void WindowServer::setFault(TVWSFunction function, std::optional<std::string> name,
                            std::optional<std::int32_t> number, Fault fault) {
    std::lock_guard lock(mutex_);
    faults_.set(function, std::move(name), number, fault);
}

void WindowServer::clearFaults() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

unsigned WindowServer::callCount(std::string_view symbol) {
    std::lock_guard lock(mutex_);
    return journal_.count(symbol);
}

std::string WindowServer::callJournal() {
    std::lock_guard lock(mutex_);
    return journal_.text();
}

} // namespace tolvane
