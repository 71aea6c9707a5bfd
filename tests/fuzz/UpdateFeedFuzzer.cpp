// The input is an update feed document, and also a version and a configured
// feed location, read as the update check reads them.
#include "fuzz/FuzzHome.h"
#include "updates/FeedLocation.h"
#include "updates/FeedText.h"
#include "updates/UpdateFeed.h"

#include <cstdlib>

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // What is accepted keeps to the documented bounds, and a version's text
    // reads back as the same version.
    if (const auto feed = UpdateFeed::parse(text)) {
        const std::string& notes = feed->releaseNotes();
        const auto& url = feed->downloadURL();
        if (notes.size() > UpdateFeed::maximumNotesBytes || holdsControlCharacters(notes, true) ||
            (url && (url->size() > UpdateFeed::maximumURLBytes || holdsControlCharacters(*url))) ||
            Version::parse(feed->version().text()) != feed->version()) {
            std::abort();
        }
    }
    if (const auto version = Version::parse(text)) {
        if (Version::parse(version->text()) != *version) {
            std::abort();
        }
    }
    if (const auto location = FeedLocation::parse(text)) {
        const bool loopback = location->kind() == FeedLocation::Kind::loopbackHTTP;
        if (loopback && (location->port() <= 0 || location->port() > 65535 ||
                         (location->host() != "127.0.0.1" && location->host() != "localhost"))) {
            std::abort();
        }
        if (!loopback && !location->filePath().is_absolute()) {
            std::abort();
        }
    }
    return 0;
}
