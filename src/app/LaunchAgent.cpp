#include "app/LaunchAgent.h"

#include "platform/PropertyListSerialization.h"

namespace tolvane {

LaunchAgent::LaunchAgent(const UserFolders& folders, const Bundle& bundle)
    : LoginItem(folders.launchAgentsDirectory() / (std::string(label) + ".plist")),
      executable_(bundle.executablePath().value_or(bundle.bundlePath() / "Contents" / "MacOS" /
                                                   "Tolvane")) {}

Result<void> LaunchAgent::install() const {
    const PropertyList agent(PropertyList::Dictionary{
        {"Label", PropertyList(label)},
        {"ProgramArguments", PropertyList(PropertyList::Array{PropertyList(executable_.string())})},
        {"RunAtLoad", PropertyList(true)},
        {"KeepAlive", PropertyList(false)}});
    return PropertyListSerialization::writeFileCreatingFolder(agent, path(),
                                                              PropertyListFormat::xml);
}

} // namespace tolvane
