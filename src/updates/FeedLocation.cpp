#include "updates/FeedLocation.h"

#include "platform/AsciiCase.h"
#include "updates/FeedText.h"

#include <charconv>

namespace tolvane {

namespace {

constexpr std::size_t maximumLength = 2048;

} // namespace

Result<FeedLocation> FeedLocation::parse(std::string_view text) {
    // A refused location is logged, so it must be short and printable first.
    if (text.size() > maximumLength) {
        return Failure{"feed location refused: longer than " + std::to_string(maximumLength) +
                       " bytes"};
    }
    if (holdsControlCharacters(text)) {
        return Failure{"feed location refused: it holds control characters"};
    }
    auto location = startsWithIgnoringCase(text, "http://") ? parseLoopbackHTTP(text.substr(7))
                                                            : parseFile(text);
    if (!location) {
        return Failure{"feed location refused (" + location.error() + "): " + std::string(text)};
    }
    location.value().description_ = std::string(text);
    return location;
}

Result<FeedLocation> FeedLocation::parseFile(std::string_view text) {
    std::string_view path = startsWithIgnoringCase(text, "file://") ? text.substr(7) : text;
    if (path.find("://") != std::string_view::npos) {
        return Failure{"only files and http on 127.0.0.1 or localhost are read"};
    }
    if (path.empty() || path.front() != '/') {
        return Failure{"a file path must be absolute"};
    }
    FeedLocation location;
    location.filePath_ = std::string(path);
    return location;
}

// rest is what follows "http://": host, optional port, optional target.
Result<FeedLocation> FeedLocation::parseLoopbackHTTP(std::string_view rest) {
    std::size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    FeedLocation location;
    location.kind_ = Kind::loopbackHTTP;
    location.target_ = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));

    std::size_t colon = authority.find(':');
    location.host_ = lowercasedASCII(std::string(authority.substr(0, colon)));
    if (location.host_ != "127.0.0.1" && location.host_ != "localhost") {
        return Failure{"the host must be 127.0.0.1 or localhost"};
    }
    if (colon != std::string_view::npos) {
        std::string_view port = authority.substr(colon + 1);
        auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), location.port_);
        if (port.empty() || error != std::errc{} || end != port.data() + port.size() ||
            location.port_ < 1 || location.port_ > 65535) {
            return Failure{"the port must be a number from 1 to 65535"};
        }
    }
    return location;
}

} // namespace tolvane
