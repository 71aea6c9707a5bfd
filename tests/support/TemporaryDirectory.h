#pragma once

#include <filesystem>
#include <string>

namespace tolvane::testing {

// A fresh folder, by default under the system's temporary directory,
// removed with everything in it when the object goes.
class TemporaryDirectory {
public:
    TemporaryDirectory() : TemporaryDirectory(std::filesystem::temp_directory_path()) {}
    // <parent>/<prefix>XXXXXX, the Xs made unique.
    explicit TemporaryDirectory(const std::filesystem::path& parent,
                                const std::string& prefix = "tolvane-test-");
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);

} // namespace tolvane::testing
