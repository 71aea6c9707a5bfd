#include "input/LanguageDetector.h"

#include "log/AppLog.h"
#include "platform/AsciiCase.h"

#include <array>
#include <set>
#include <string_view>
#include <utility>

namespace tolvane {

namespace {

// Well-known words of input source identifiers and names, searched in this order.
constexpr std::array<std::pair<std::string_view, std::string_view>, 32> fallbackTable{{
    {"abc", "en"},
    {"us", "en"},
    {"english", "en"},
    {"russian", "ru"},
    {"dutch", "nl"},
    {"nederlands", "nl"},
    {"nederland", "nl"},
    {"netherlands", "nl"},
    {"flemish", "nl"},
    {"vlaams", "nl"},
    {"belgian", "nl"},
    {"ukrainian", "uk"},
    {"german", "de"},
    {"french", "fr"},
    {"spanish", "es"},
    {"italian", "it"},
    {"portuguese", "pt"},
    {"japanese", "ja"},
    {"kotoeri", "ja"},
    {"korean", "ko"},
    {"hangul", "ko"},
    {"scim", "zh-hans"},
    {"itabc", "zh-hans"},
    {"wubi", "zh-hans"},
    {"shuangpin", "zh-hans"},
    {"simplified", "zh-hans"},
    {"pinyin", "zh-hans"},
    {"tcim", "zh-hant"},
    {"cangjie", "zh-hant"},
    {"zhuyin", "zh-hant"},
    {"traditional", "zh-hant"},
    {"chinese", "zh"},
}};

bool isUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool isLower(char c) {
    return c >= 'a' && c <= 'z';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
// Bytes of non-ASCII characters belong to words; ASCII punctuation and blanks separate them.
bool isWordByte(char c) {
    return isUpper(c) || isLower(c) || isDigit(c) || static_cast<unsigned char>(c) >= 0x80;
}

// Where an identifier written in camel case starts a new word: RussianWin,
// USInternational, 2SetKorean.
bool startsCamelPiece(const std::string& token, std::size_t index) {
    char previous = token[index - 1];
    char current = token[index];
    if (isLower(previous) && isUpper(current)) {
        return true;
    }
    if (isUpper(previous) && isUpper(current) && index + 1 < token.size() &&
        isLower(token[index + 1])) {
        return true;
    }
    return isDigit(previous) != isDigit(current);
}

// Every run of word bytes, lower-cased, and also its camel-case pieces: so
// "com.apple.keylayout.USInternational-PC" holds "us" while "Status" does not.
std::set<std::string> wordsOf(const std::string& text) {
    std::set<std::string> words;
    auto addToken = [&words](const std::string& token) {
        words.insert(lowercasedASCII(token));
        std::size_t pieceStart = 0;
        for (std::size_t index = 1; index < token.size(); ++index) {
            if (startsCamelPiece(token, index)) {
                words.insert(lowercasedASCII(token.substr(pieceStart, index - pieceStart)));
                pieceStart = index;
            }
        }
        words.insert(lowercasedASCII(token.substr(pieceStart)));
    };
    std::string token;
    for (char c : text) {
        if (isWordByte(c)) {
            token += c;
        } else if (!token.empty()) {
            addToken(token);
            token.clear();
        }
    }
    if (!token.empty()) {
        addToken(token);
    }
    return words;
}

} // namespace

LanguageState LanguageDetector::detect() const {
    return languageState(services_.currentKeyboardInputSource());
}

LanguageState LanguageDetector::languageState(const std::optional<InputSource>& source) {
    if (!source) {
        AppLog::warn("LanguageDetector: no current keyboard input source");
        return LanguageState{InputLanguage::unknown()};
    }
    std::string name = source->localizedName.value_or("Unknown");
    std::string sourceID = source->sourceID.value_or("unknown");
    const auto& languages = source->languages;
    if (languages && !languages->empty() && !languages->front().empty()) {
        const std::string& raw = languages->front();
        std::string normalized = InputLanguage::normalizedCode(raw);
        AppLog::debug("LanguageDetector via input languages: sourceID=" + sourceID +
                      " name=" + name + " raw=" + raw + " normalized=" + normalized);
        return LanguageState{InputLanguage::make(normalized, name, sourceID)};
    }
    std::string code = languageCode(sourceID, name);
    AppLog::debug("LanguageDetector via fallback: sourceID=" + sourceID + " name=" + name +
                  " code=" + code);
    return LanguageState{InputLanguage::make(code, name, sourceID)};
}

// Keys are matched as whole words rather than substrings: as substrings "us"
// would be found in every "russian" and "abc" in every "itabc".
std::string LanguageDetector::languageCode(const std::string& sourceID,
                                           const std::string& fallbackName) {
    std::set<std::string> words = wordsOf(sourceID + " " + fallbackName);
    for (const auto& [key, code] : fallbackTable) {
        if (words.count(std::string(key)) > 0) {
            return std::string(code);
        }
    }
    return "unknown";
}

} // namespace tolvane
