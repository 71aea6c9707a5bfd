#pragma once

#include "platform/PropertyList.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// The application's bundle: where it lives and its information dictionary.
class Bundle {
  public:
    Bundle(std::filesystem::path bundlePath, PropertyList::Dictionary infoDictionary,
           std::optional<std::filesystem::path> executablePath)
        : bundlePath_(std::move(bundlePath)), infoDictionary_(std::move(infoDictionary)),
          executablePath_(std::move(executablePath)) {}

    // An application bundle laid out the usual way: the executable, named
    // after the application, in Contents/MacOS, unless it is given.
    static Bundle application(const std::filesystem::path& bundlePath,
                              const std::string& identifier, const std::string& name,
                              std::optional<std::filesystem::path> executablePath = std::nullopt);

    const std::filesystem::path& bundlePath() const { return bundlePath_; }
    const std::optional<std::filesystem::path>& executablePath() const { return executablePath_; }
    const PropertyList::Dictionary& infoDictionary() const { return infoDictionary_; }
    // An entry of the information dictionary; nothing when it is missing.
    const PropertyList* objectForInfoDictionaryKey(std::string_view key) const;
    // The "CFBundleIdentifier" entry when it is a string.
    std::optional<std::string> bundleIdentifier() const;

  private:
    std::filesystem::path bundlePath_;
    PropertyList::Dictionary infoDictionary_;
    std::optional<std::filesystem::path> executablePath_;
};

} // namespace tolvane
