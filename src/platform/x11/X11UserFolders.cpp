#include "platform/x11/X11UserFolders.h"

namespace tolvane {

namespace {

std::filesystem::path baseDirectory(const Environment& environment, const char* variable,
                                    const std::filesystem::path& fallback) {
    const std::filesystem::path value = environment.value(variable).value_or("");
    return value.is_absolute() ? value : fallback;
}

} // namespace

X11UserFolders::X11UserFolders(const Environment& environment)
    : home_(environment.value("HOME").value_or("/")),
      configHome_(baseDirectory(environment, "XDG_CONFIG_HOME", home_ / ".config")),
      cacheHome_(baseDirectory(environment, "XDG_CACHE_HOME", home_ / ".cache")),
      dataHome_(baseDirectory(environment, "XDG_DATA_HOME", home_ / ".local" / "share")) {}

} // namespace tolvane
