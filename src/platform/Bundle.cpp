#include "platform/Bundle.h"

namespace tolvane {

Bundle Bundle::application(const std::filesystem::path& bundlePath, const std::string& identifier,
                           const std::string& name,
                           std::optional<std::filesystem::path> executablePath) {
    PropertyList::Dictionary info{
        {"CFBundleIdentifier", identifier},
        {"CFBundleName", name},
        {"CFBundleExecutable", name},
    };
    return Bundle(bundlePath, std::move(info),
                  executablePath.value_or(bundlePath / "Contents" / "MacOS" / name));
}

const PropertyList* Bundle::objectForInfoDictionaryKey(std::string_view key) const {
    return PropertyList::find(infoDictionary_, key);
}

std::optional<std::string> Bundle::bundleIdentifier() const {
    const PropertyList* identifier = objectForInfoDictionaryKey("CFBundleIdentifier");
    if (identifier == nullptr || identifier->stringValue() == nullptr) {
        return std::nullopt;
    }
    return *identifier->stringValue();
}

} // namespace tolvane
