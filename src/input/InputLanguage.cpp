#include "input/InputLanguage.h"

#include "platform/AsciiCase.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

namespace tolvane {

namespace {

std::vector<std::string> nonEmptyPieces(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    std::string current;
    for (char c : text) {
        if (c == separator) {
            if (!current.empty()) {
                pieces.push_back(current);
            }
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        pieces.push_back(current);
    }
    return pieces;
}

bool isPrimarySubtag(const std::string& piece) {
    return piece.size() >= 2 && piece.size() <= 3 &&
           std::all_of(piece.begin(), piece.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

bool isUnicodeWhitespaceOrNewline(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

} // namespace

std::string trimmedWhitespace(const std::string& text) {
    std::u32string scalars = unicodeScalars(text);
    auto first = std::find_if_not(scalars.begin(), scalars.end(), isUnicodeWhitespaceOrNewline);
    auto last = std::find_if_not(scalars.rbegin(), std::make_reverse_iterator(first),
                                 isUnicodeWhitespaceOrNewline);
    return utf8Encoded(std::u32string(first, last.base()));
}

InputLanguage InputLanguage::make(const std::string& rawCode, const std::string& rawDisplayName,
                                  const std::string& rawSourceID) {
    InputLanguage language;
    language.code_ = normalizedCode(rawCode);
    language.badgeText_ = badgeText(language.code_);
    language.displayName_ = trimmedWhitespace(rawDisplayName);
    if (language.displayName_.empty()) {
        language.displayName_ = "Unknown";
    }
    language.sourceID_ = trimmedWhitespace(rawSourceID);
    if (language.sourceID_.empty()) {
        language.sourceID_ = "unknown";
    }
    return language;
}

const InputLanguage& InputLanguage::unknown() {
    static const InputLanguage value = make("unknown", "Unknown", "unknown");
    return value;
}

std::string InputLanguage::normalizedCode(const std::string& raw) {
    std::string text = trimmedWhitespace(raw);
    std::replace(text.begin(), text.end(), '_', '-');
    text = lowercasedASCII(text);
    auto pieces = nonEmptyPieces(text, '-');
    if (pieces.empty() || !isPrimarySubtag(pieces.front())) {
        return "unknown";
    }
    if (pieces.front() != "zh") {
        return pieces.front();
    }
    std::set<std::string> rest(pieces.begin() + 1, pieces.end());
    auto holdsAny = [&rest](std::initializer_list<const char*> markers) {
        return std::any_of(markers.begin(), markers.end(),
                           [&rest](const char* marker) { return rest.count(marker) > 0; });
    };
    if (holdsAny({"hans", "cn", "sg"})) {
        return "zh-hans";
    }
    if (holdsAny({"hant", "tw", "hk", "mo"})) {
        return "zh-hant";
    }
    return "zh";
}

std::string InputLanguage::badgeText(const std::string& code) {
    if (code == "en") {
        return "En";
    }
    if (code == "ru") {
        return "\u0420\u0443";
    }
    if (code == "zh-hans") {
        return "\u7B80";
    }
    if (code == "zh-hant") {
        return "\u7E41";
    }
    if (code == "unknown") {
        return "??";
    }
    auto pieces = nonEmptyPieces(code, '-');
    std::string first = pieces.empty() ? code : pieces.front();
    if (!isPrimarySubtag(first)) {
        return "??";
    }
    return uppercasedASCII(first);
}

Color InputLanguage::stableColor(const std::string& code) {
    std::uint32_t degrees = 61;
    if (!code.empty()) {
        std::uint32_t hash = 0x811C9DC5u;
        for (char32_t scalar : unicodeScalars(code)) {
            hash ^= static_cast<std::uint32_t>(scalar);
            hash *= 16777619u;
        }
        degrees = hash % 360u;
    }
    return Color::calibratedHSB(degrees / 360.0, 0.72, 0.78, 1.0);
}

} // namespace tolvane
