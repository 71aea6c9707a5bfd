#include "platform/x11/Iso639Codes.h"

#include "log/AppLog.h"
#include "platform/AsciiCase.h"
#include "platform/FileIO.h"

#include <nlohmann/json.hpp>

namespace tolvane {

namespace {

const std::string* stringMember(const nlohmann::json& entry, const char* key) {
    auto found = entry.find(key);
    return found != entry.end() && found->is_string() ? found->get_ptr<const std::string*>()
                                                      : nullptr;
}

} // namespace

Iso639Codes Iso639Codes::load(const std::filesystem::path& table) {
    // The table is some 40 kB; eight megabytes is no table of ours.
    auto text = readFileContents(table, 8 * 1024 * 1024);
    if (!text) {
        AppLog::warn("ISO 639 table unreadable, keeping three-letter language codes: " +
                     text.error());
        return {};
    }
    const auto& bytes = text.value();
    Iso639Codes codes =
        parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (codes.size() == 0) {
        AppLog::warn("ISO 639 table without two-letter codes: " + table.string());
    }
    return codes;
}

Iso639Codes Iso639Codes::parse(std::string_view json) {
    Iso639Codes codes;
    const nlohmann::json document = nlohmann::json::parse(json, nullptr, false);
    if (!document.is_object()) {
        return codes;
    }
    for (const auto& [standard, entries] : document.items()) {
        if (!entries.is_array()) {
            continue;
        }
        for (const auto& entry : entries) {
            const std::string* twoLetter = entry.is_object() ? stringMember(entry, "alpha_2")
                                                             : nullptr;
            if (twoLetter == nullptr) {
                continue;
            }
            for (const char* key : {"alpha_3", "bibliographic"}) {
                if (const std::string* threeLetter = stringMember(entry, key)) {
                    codes.twoLetter_.emplace(*threeLetter, *twoLetter);
                }
            }
        }
    }
    return codes;
}

std::optional<std::string> Iso639Codes::twoLetterCode(std::string_view code) const {
    const std::string lower = lowercasedASCII(std::string(code));
    if (lower.size() == 2) {
        return lower;
    }
    if (auto found = twoLetter_.find(lower); found != twoLetter_.end()) {
        return found->second;
    }
    return std::nullopt;
}

std::string Iso639Codes::preferredCode(std::string_view code) const {
    return twoLetterCode(code).value_or(lowercasedASCII(std::string(code)));
}

} // namespace tolvane
