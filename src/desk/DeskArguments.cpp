#include "desk/DeskArguments.h"

#include <array>
#include <charconv>
#include <limits>

namespace tolvane {

namespace {

// A JSON integer that an int holds; a larger one would wrap to another index or button.
std::optional<int> intValue(const nlohmann::json& value) {
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        return number <= std::numeric_limits<int>::max() ? std::optional(static_cast<int>(number))
                                                         : std::nullopt;
    }
    if (value.is_number_integer()) {
        const auto number = value.get<std::int64_t>();
        return number >= std::numeric_limits<int>::min() &&
                       number <= std::numeric_limits<int>::max()
                   ? std::optional(static_cast<int>(number))
                   : std::nullopt;
    }
    return std::nullopt;
}

bool isHexColour(std::string_view text) {
    return text.size() == 7 && text[0] == '#' &&
           text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string_view::npos;
}

} // namespace

std::optional<nlohmann::json> DeskArguments::bodyObject(std::string_view body) {
    nlohmann::json object = nlohmann::json::parse(body, nullptr, false);
    if (object.is_discarded() || !object.is_object()) {
        return std::nullopt;
    }
    return object;
}

std::optional<std::size_t> DeskArguments::representation(std::string_view text) {
    std::size_t index = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return index;
}

std::optional<std::vector<int>> DeskArguments::menuPath(const nlohmann::json& body) {
    const auto path = body.find("path");
    if (path == body.end() || !path->is_array() || path->size() > 4) {
        return std::nullopt;
    }
    std::vector<int> indexes;
    for (const nlohmann::json& element : *path) {
        const std::optional<int> index = intValue(element);
        if (!index) {
            return std::nullopt;
        }
        indexes.push_back(*index);
    }
    return indexes;
}

std::optional<DeskArguments::AlertAnswer> DeskArguments::alertAnswer(const nlohmann::json& body) {
    const auto id = body.find("id");
    const auto button = body.find("button");
    const auto text = body.find("text");
    const std::optional<int> buttonIndex = button != body.end() ? intValue(*button) : std::nullopt;
    if (id == body.end() || !id->is_number_unsigned() || !buttonIndex ||
        (text != body.end() && !text->is_string())) {
        return std::nullopt;
    }
    return AlertAnswer{id->get<std::uint64_t>(), *buttonIndex,
                       text != body.end() ? text->get<std::string>() : ""};
}

std::optional<DeskArguments::PointerColours>
DeskArguments::pointerColours(const nlohmann::json& body) {
    PointerColours colours;
    for (const auto& [key, colour] :
         std::array{std::pair{"fill", &colours.fill}, std::pair{"outline", &colours.outline}}) {
        if (!body.contains(key)) {
            continue;
        }
        *colour = string(body, key);
        if (!*colour || !isHexColour(**colour)) {
            return std::nullopt;
        }
    }
    return colours;
}

std::optional<std::string> DeskArguments::string(const nlohmann::json& body, const char* key) {
    const auto value = body.find(key);
    return value != body.end() && value->is_string() ? std::optional(value->get<std::string>())
                                                     : std::nullopt;
}

std::optional<bool> DeskArguments::boolean(const nlohmann::json& body, const char* key) {
    const auto value = body.find(key);
    return value != body.end() && value->is_boolean() ? std::optional(value->get<bool>())
                                                      : std::nullopt;
}

} // namespace tolvane
