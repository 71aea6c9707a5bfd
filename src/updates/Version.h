#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// A release version: dotted decimal numbers such as 0.10.0, compared number
// by number, so 0.10.0 is newer than 0.9.9. Missing numbers count as zero:
// 1.2 and 1.2.0 are the same version.
class Version {
  public:
    static constexpr std::size_t maximumComponents = 8;
    static constexpr std::size_t maximumComponentDigits = 9;

    // One to eight numbers of one to nine digits each, separated by single
    // dots, optionally after a "v" or "V"; nothing else, not even white space.
    static std::optional<Version> parse(std::string_view text);

    // The numbers joined by dots, without the "v": "0.10.0".
    std::string text() const;

    std::strong_ordering operator<=>(const Version& other) const;
    bool operator==(const Version& other) const { return (*this <=> other) == 0; }

  private:
    explicit Version(std::vector<std::uint32_t> components) : components_(std::move(components)) {}

    std::vector<std::uint32_t> components_;
};

} // namespace tolvane
