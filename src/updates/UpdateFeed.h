#pragma once

#include "platform/Result.h"
#include "updates/Version.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// The update feed: a small JSON document that names the newest version, its
// release notes and, optionally, where to get it:
//
//   {
//     "version": "0.2.0",
//     "notes": "Badges for Greek and Armenian.\nFaster language switches.",
//     "url": "https://example.org/tolvane/0.2.0"
//   }
//
// "version" is required (dotted numbers, an optional leading "v"); "notes"
// (plain text, at most 16 KiB) and "url" (http or https, at most 2 KiB) may be
// left out. Other members are ignored. The feed comes from outside, so
// anything else is refused: a document over 1 MiB, one that is not a JSON
// object, a member of the wrong type, a malformed version, control characters
// (other than line breaks and tabs in the notes).
class UpdateFeed {
  public:
    static constexpr std::size_t maximumDocumentBytes = 1024 * 1024;
    static constexpr std::size_t maximumVersionBytes = 64;
    static constexpr std::size_t maximumNotesBytes = 16 * 1024;
    static constexpr std::size_t maximumURLBytes = 2048;

    // Fails with a reason fit for a log line; the reason never quotes the feed.
    static Result<UpdateFeed> parse(std::string_view document);

    const Version& version() const { return version_; }
    const std::string& releaseNotes() const { return releaseNotes_; }
    const std::optional<std::string>& downloadURL() const { return downloadURL_; }

  private:
    explicit UpdateFeed(Version version) : version_(std::move(version)) {}

    Version version_;
    std::string releaseNotes_;
    std::optional<std::string> downloadURL_;
};

} // namespace tolvane
