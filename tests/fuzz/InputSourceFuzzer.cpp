// The input is an input source as the platform reports it, one property a
// line: identifier, localised name, then its language tags.
#include "fuzz/FuzzHome.h"
#include "input/KeyboardLayoutController.h"
#include "input/LanguageDetector.h"

#include <algorithm>
#include <cstdlib>
#include <set>

using namespace tolvane;

namespace {

// "unknown", "zh-hans", "zh-hant", or two or three lower-case letters.
bool isNormalizedCode(const std::string& code) {
    if (code == "unknown" || code == "zh-hans" || code == "zh-hant") {
        return true;
    }
    return (code.size() == 2 || code.size() == 3) &&
           std::all_of(code.begin(), code.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> fields = fuzzing::fields(data, size);
    InputSource source;
    source.sourceID = fields[0];
    source.localizedName = fields.size() > 1 ? std::optional(fields[1]) : std::nullopt;
    if (fields.size() > 2) {
        source.languages.emplace(fields.begin() + 2, fields.end());
    }

    for (const std::string& field : fields) {
        const std::string code = InputLanguage::normalizedCode(field);
        if (!isNormalizedCode(code) || InputLanguage::normalizedCode(code) != code) {
            std::abort();
        }
        (void)InputLanguage::stableColor(code);
        (void)InputLanguage::badgeText(code);
    }
    const LanguageState state = LanguageDetector::languageState(source);
    if (!isNormalizedCode(state.language.code())) {
        std::abort();
    }
    std::vector<KeyboardInputSourceChoice> choices;
    for (const auto& candidate : {source, InputSource{}}) {
        if (auto choice = KeyboardLayoutController::choice(candidate)) {
            choices.push_back(std::move(*choice));
        }
    }
    choices.push_back({"b", fields.back(), "en", "En"});
    // One entry per identifier.
    std::set<std::string> identifiers;
    for (const auto& choice : choices) {
        identifiers.insert(choice.sourceID);
    }
    if (KeyboardLayoutController::menuOrder(choices, std::locale::classic()).size() !=
        identifiers.size()) {
        std::abort();
    }
    return 0;
}
