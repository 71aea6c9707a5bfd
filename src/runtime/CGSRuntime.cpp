#include "runtime/CGSRuntime.h"

#include "log/AppLog.h"
#include "log/LogFormat.h"

#include <dlfcn.h>

namespace tolvane {

namespace {

std::vector<void*> makeSearchHandles(const std::vector<std::string>& libraryPaths) {
    std::vector<void*> handles;
    for (const std::string& path : libraryPaths) {
        if (void* handle = dlopen(path.c_str(), RTLD_NOW)) {
            handles.push_back(handle);
        }
    }
    handles.push_back(RTLD_DEFAULT);
    return handles;
}

// Every name is tried in every handle before the next name is tried, so a "CGS"
// function wins over an "SLS" one wherever each of them lives.
template <typename Function>
Function loadSymbol(const std::vector<void*>& handles, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        for (void* handle : handles) {
            if (void* symbol = dlsym(handle, name)) {
                return reinterpret_cast<Function>(symbol);
            }
        }
    }
    return nullptr;
}

std::string flag(const char* label, bool bound) {
    return std::string(" ") + label + "=" + logformat::boolean(bound);
}

} // namespace

const std::vector<std::string>& CGSRuntime::platformLibraryPaths() {
    static const std::vector<std::string> paths{
        "/System/Library/PrivateFrameworks/SkyLight.framework/Versions/Current/SkyLight",
        "/System/Library/PrivateFrameworks/SkyLight.framework/SkyLight",
        "/System/Library/Frameworks/CoreGraphics.framework/Versions/Current/CoreGraphics",
        "/System/Library/Frameworks/CoreGraphics.framework/CoreGraphics"};
    return paths;
}

CGSRuntime::CGSRuntime(const std::vector<std::string>& libraryPaths,
                       std::shared_ptr<EventServices> eventServices)
    : CGSRuntime(makeSearchHandles(libraryPaths), std::move(eventServices)) {}

CGSRuntime::CGSRuntime(std::vector<void*> handles, std::shared_ptr<EventServices> eventServices)
    : mainConnectionIDFn(loadSymbol<CGSMainConnectionIDFunction>(
          handles, {"CGSMainConnectionID", "SLSMainConnectionID"})),
      registerCursorWithImagesFn(loadSymbol<CGSRegisterCursorWithImagesFunction>(
          handles, {"CGSRegisterCursorWithImages", "SLSRegisterCursorWithImages"})),
      registerCursorWithImageFn(loadSymbol<CGSRegisterCursorWithImageFunction>(
          handles, {"CGSRegisterCursorWithImage", "SLSRegisterCursorWithImage"})),
      copyRegisteredCursorImagesFn(loadSymbol<CGSCopyRegisteredCursorImagesFunction>(
          handles, {"CGSCopyRegisteredCursorImages", "SLSCopyRegisteredCursorImages"})),
      setRegisteredCursorFn(loadSymbol<CGSSetRegisteredCursorFunction>(
          handles, {"CGSSetRegisteredCursor", "SLSSetRegisteredCursor"})),
      createRegisteredCursorImageFn(loadSymbol<CGSCreateRegisteredCursorImageFunction>(
          handles, {"CGSCreateRegisteredCursorImage", "SLSCreateRegisteredCursorImage"})),
      cursorNameForSystemCursorFn(loadSymbol<CGSCursorNameForSystemCursorFunction>(
          handles, {"CGSCursorNameForSystemCursor", "SLSCursorNameForSystemCursor"})),
      setDockCursorOverrideFn(loadSymbol<CGSSetDockCursorOverrideFunction>(
          handles, {"CGSSetDockCursorOverride", "SLSSetDockCursorOverride"})),
      setSystemDefinedCursorFn(loadSymbol<CGSSetSystemDefinedCursorFunction>(
          handles, {"CGSSetSystemDefinedCursor", "SLSSetSystemDefinedCursor"})),
      setSystemDefinedCursorWithSeedFn(loadSymbol<CGSSetSystemDefinedCursorWithSeedFunction>(
          handles, {"CGSSetSystemDefinedCursorWithSeed", "SLSSetSystemDefinedCursorWithSeed"})),
      showCursorFn(loadSymbol<CGSShowCursorFunction>(handles, {"CGSShowCursor", "SLSShowCursor"})),
      hideCursorFn(loadSymbol<CGSHideCursorFunction>(handles, {"CGSHideCursor", "SLSHideCursor"})),
      getCursorScaleFn(loadSymbol<CGSGetCursorScaleFunction>(
          handles, {"CGSGetCursorScale", "SLSGetCursorScale"})),
      setCursorScaleFn(loadSymbol<CGSSetCursorScaleFunction>(
          handles, {"CGSSetCursorScale", "SLSSetCursorScale"})),
      coreCursorUnregisterAllFn(
          loadSymbol<CoreCursorUnregisterAllFunction>(handles, {"CoreCursorUnregisterAll"})),
      coreCursorSetFn(loadSymbol<CoreCursorSetFunction>(handles, {"CoreCursorSet"})),
      coreCursorSetAndReturnSeedFn(
          loadSymbol<CoreCursorSetAndReturnSeedFunction>(handles, {"CoreCursorSetAndReturnSeed"})),
      coreCursorCopyImagesFn(
          loadSymbol<CoreCursorCopyImagesFunction>(handles, {"CoreCursorCopyImages"})),
      removeRegisteredCursorFn(loadSymbol<CGSRemoveRegisteredCursorFunction>(
          handles, {"CGSRemoveRegisteredCursor", "SLSRemoveRegisteredCursor"})),
      getGlobalCursorDataSizeFn(loadSymbol<CGSGetGlobalCursorDataSizeFunction>(
          handles, {"CGSGetGlobalCursorDataSize", "SLSGetGlobalCursorDataSize"})),
      getGlobalCursorDataFn(loadSymbol<CGSGetGlobalCursorDataFunction>(
          handles, {"CGSGetGlobalCursorData", "SLSGetGlobalCursorData"})),
      currentCursorSeedFn(loadSymbol<CGSCurrentCursorSeedFunction>(
          handles, {"CGSCurrentCursorSeed", "SLSCurrentCursorSeed"})),
      connectionDescriptorFn(loadSymbol<TVX11ConnectionDescriptorFunction>(
          handles, {"tvx11_connection_descriptor"})),
      dispatchFn(loadSymbol<TVX11DispatchFunction>(handles, {"tvx11_dispatch"})),
      searchHandles_(std::move(handles)), eventServices_(std::move(eventServices)) {
    AppLog::info("CGSRuntime initialized. handles=" + std::to_string(searchHandles_.size()) +
                 flag("main", mainConnectionIDFn) + flag("register", registerCursorWithImagesFn) +
                 flag("registerSingle", registerCursorWithImageFn) +
                 flag("copy", copyRegisteredCursorImagesFn) + flag("set", setRegisteredCursorFn) +
                 flag("createImage", createRegisteredCursorImageFn) +
                 flag("cursorName", cursorNameForSystemCursorFn) +
                 flag("dockOverride", setDockCursorOverrideFn) +
                 flag("systemSet", setSystemDefinedCursorFn) +
                 flag("systemSetSeed", setSystemDefinedCursorWithSeedFn) +
                 flag("show", showCursorFn) + flag("hide", hideCursorFn) +
                 flag("scale", getCursorScaleFn && setCursorScaleFn) +
                 flag("coreReset", coreCursorUnregisterAllFn && coreCursorSetFn) +
                 flag("coreSetSeed", coreCursorSetAndReturnSeedFn) +
                 flag("coreCopy", coreCursorCopyImagesFn) +
                 flag("removeRegistered", removeRegisteredCursorFn) +
                 flag("globalData", getGlobalCursorDataSizeFn && getGlobalCursorDataFn) +
                 flag("currentSeed", currentCursorSeedFn));
}

void CGSRuntime::setEventServices(std::shared_ptr<EventServices> eventServices) {
    eventServices_ = std::move(eventServices);
}

std::optional<std::int32_t> CGSRuntime::mainConnectionID() const {
    if (mainConnectionIDFn == nullptr) {
        AppLog::error("Failed to resolve mainConnectionID");
        return std::nullopt;
    }
    std::int32_t connectionID = mainConnectionIDFn();
    AppLog::debug("mainConnectionID=" + std::to_string(connectionID));
    // The window server hands out 0 when it refuses the caller a connection.
    if (connectionID == 0) {
        return std::nullopt;
    }
    return connectionID;
}

int CGSRuntime::connectionDescriptor() const {
    return connectionDescriptorFn != nullptr ? connectionDescriptorFn() : -1;
}

bool CGSRuntime::dispatchConnection() const {
    return dispatchFn != nullptr && dispatchFn() > 0;
}

} // namespace tolvane
