#pragma once

#include "platform/Color.h"

#include <string>

namespace tolvane {

// The language being typed: a normalised code, the text of its badge, and the
// input source it came from.
class InputLanguage {
public:
    // The only way to build one: normalises the code and trims the names.
    static InputLanguage make(const std::string& rawCode, const std::string& rawDisplayName,
                              const std::string& rawSourceID);
    static const InputLanguage& unknown();

    // A lower-case primary subtag of two or three letters, "zh", "zh-hans",
    // "zh-hant", or "unknown".
    static std::string normalizedCode(const std::string& raw);
    static std::string badgeText(const std::string& code);
    // Depends only on the code: the same colour in every run and on every machine.
    static Color stableColor(const std::string& code);

    const std::string& code() const { return code_; }
    const std::string& badgeText() const { return badgeText_; }
    const std::string& displayName() const { return displayName_; }
    const std::string& sourceID() const { return sourceID_; }

    bool operator==(const InputLanguage&) const = default;

private:
    InputLanguage() = default;
    std::string code_;
    std::string badgeText_;
    std::string displayName_;
    std::string sourceID_;
};

struct LanguageState {
    InputLanguage language;
};

// Leading and trailing Unicode white space and line breaks removed.
std::string trimmedWhitespace(const std::string& text);

} // namespace tolvane
