#pragma once

#include "platform/Result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace tolvane {

// The whole content of a regular file, refused when it is larger than
// maxBytes. Files on disk are untrusted: a directory, a pipe or a huge file
// gives a failure instead of a hang or an exhausted memory.
Result<std::vector<std::uint8_t>> readFileContents(const std::filesystem::path& path,
                                                   std::size_t maxBytes);

// Replaces the file at path with bytes so that a reader sees either the old
// or the new content, never a part: the bytes go to a temporary file in the
// same folder, are flushed to disk, and the temporary file is then renamed
// over path, with the permissions of the file it replaces, if any. On failure
// nothing is left behind and the old file is untouched. A writer killed
// mid-write leaves its temporary file (".<name>.tmp-<pid>-<n>"); the next
// write of the same path removes those of writers that no longer run. The folder must exist.
Result<void> atomicWrite(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// Removes the file at path. A file that is not there is no failure, nor is a
// path through a file (which names no file either).
Result<void> removeFileIfPresent(const std::filesystem::path& path);

} // namespace tolvane
