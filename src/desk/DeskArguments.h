#pragma once

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// The arguments of the desk's requests, read from what a page sent: the
// query of an image and the JSON body of an action. Each reading gives
// nothing for anything but what it asks for, so that the request is refused.
class DeskArguments {
  public:
    struct AlertAnswer {
        std::uint64_t id = 0;
        int button = 0;
        std::string text;
    };
    // Custom pointer colours "#rrggbb"; neither means the standard pointer.
    struct PointerColours {
        std::optional<std::string> fill;
        std::optional<std::string> outline;
    };

    // The JSON object of an action's body.
    static std::optional<nlohmann::json> bodyObject(std::string_view body);
    // A cursor's representation index: decimal digits and nothing else.
    static std::optional<std::size_t> representation(std::string_view text);
    // "path": at most four menu indexes, each one an int.
    static std::optional<std::vector<int>> menuPath(const nlohmann::json& body);
    // "id" a non-negative number, "button" an int and, if present, "text" a string.
    static std::optional<AlertAnswer> alertAnswer(const nlohmann::json& body);
    // "fill" and "outline", each absent or "#" and six hexadecimal digits.
    static std::optional<PointerColours> pointerColours(const nlohmann::json& body);
    static std::optional<std::string> string(const nlohmann::json& body, const char* key);
    static std::optional<bool> boolean(const nlohmann::json& body, const char* key);
};

} // namespace tolvane
