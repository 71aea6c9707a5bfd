#include "updates/UpdateFeed.h"

#include "updates/FeedText.h"

#include <nlohmann/json.hpp>

namespace tolvane {

namespace {

using Json = nlohmann::json;

// The member's text, none when it is absent, or why it is unacceptable.
Result<std::optional<std::string>> optionalText(const Json& object, const char* name,
                                                std::size_t maximumBytes, bool lineBreaksAllowed) {
    auto member = object.find(name);
    if (member == object.end()) {
        return std::optional<std::string>();
    }
    if (!member->is_string()) {
        return Failure{std::string("\"") + name + "\" is not a string"};
    }
    const auto& text = member->get_ref<const std::string&>();
    if (text.size() > maximumBytes) {
        return Failure{std::string("\"") + name + "\" is longer than " +
                       std::to_string(maximumBytes) + " bytes"};
    }
    if (holdsControlCharacters(text, lineBreaksAllowed)) {
        return Failure{std::string("\"") + name + "\" holds control characters"};
    }
    return std::optional<std::string>(text);
}

} // namespace

Result<UpdateFeed> UpdateFeed::parse(std::string_view document) {
    if (document.size() > maximumDocumentBytes) {
        return Failure{"the feed is larger than " + std::to_string(maximumDocumentBytes) +
                       " bytes"};
    }
    Json root;
    try {
        root = Json::parse(document);
    } catch (const Json::parse_error& error) {
        return Failure{"the feed is not valid JSON (at byte " + std::to_string(error.byte) + ")"};
    } catch (const Json::exception&) {
        // The parser refuses a number a double cannot hold, such as 1e999, with another kind.
        return Failure{"the feed is not valid JSON (a number out of range)"};
    }
    if (!root.is_object()) {
        return Failure{"the feed is not a JSON object"};
    }

    auto versionText = optionalText(root, "version", maximumVersionBytes, false);
    auto notes = optionalText(root, "notes", maximumNotesBytes, true);
    auto url = optionalText(root, "url", maximumURLBytes, false);
    for (const auto* member : {&versionText, &notes, &url}) {
        if (!*member) {
            return member->failure();
        }
    }
    if (!versionText.value()) {
        return Failure{"the feed has no \"version\""};
    }
    auto version = Version::parse(*versionText.value());
    if (!version) {
        return Failure{"the feed's \"version\" is not a dotted version number"};
    }
    const auto& address = url.value();
    if (address && !startsWithIgnoringCase(*address, "https://") &&
        !startsWithIgnoringCase(*address, "http://")) {
        return Failure{"the feed's \"url\" is not an http or https address"};
    }

    UpdateFeed feed(std::move(*version));
    feed.releaseNotes_ = notes.value().value_or("");
    feed.downloadURL_ = address;
    return feed;
}

} // namespace tolvane
