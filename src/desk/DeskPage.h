#pragma once

#include <optional>
#include <string_view>

namespace tolvane {

// A file of the desk's page, built into the program.
struct DeskPageFile {
    std::string_view content;
    const char* mimeType;
};

// The page's file of this name ("index.html", "desk.js", "desk.css").
std::optional<DeskPageFile> deskPageFile(std::string_view name);

} // namespace tolvane
