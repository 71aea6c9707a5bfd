#include "app/LaunchAgent.h"

#include "platform/PropertyListSerialization.h"

#include <system_error>

namespace tolvane {

LaunchAgent::LaunchAgent(const UserFolders& folders, const Bundle& bundle)
    : path_(folders.launchAgentsDirectory() / (std::string(label) + ".plist")),
      executable_(bundle.executablePath().value_or(bundle.bundlePath() / "Contents" / "MacOS" /
                                                   "Tolvane")) {}

bool LaunchAgent::exists() const {
    std::error_code error;
    return std::filesystem::exists(path_, error);
}

Result<void> LaunchAgent::install() const {
    const PropertyList agent(PropertyList::Dictionary{
        {"Label", PropertyList(label)},
        {"ProgramArguments", PropertyList(PropertyList::Array{PropertyList(executable_.string())})},
        {"RunAtLoad", PropertyList(true)},
        {"KeepAlive", PropertyList(false)}});
    return PropertyListSerialization::writeFileCreatingFolder(agent, path_,
                                                              PropertyListFormat::xml);
}

Result<void> LaunchAgent::remove() const {
    std::error_code error;
    if (!std::filesystem::remove(path_, error) && !error) {
        return Failure{"no launch agent at " + path_.string(), ENOENT};
    }
    if (error) {
        return Failure{error.message(), error.value()};
    }
    return Result<void>::success();
}

} // namespace tolvane
