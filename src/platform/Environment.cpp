#include "platform/Environment.h"

#include "platform/AsciiCase.h"

#include <algorithm>

extern char** environ;

namespace tolvane {

Environment Environment::process() {
    EnvironmentMap values;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        std::string text(*entry);
        auto equals = text.find('=');
        if (equals != std::string::npos) {
            values.emplace(text.substr(0, equals), text.substr(equals + 1));
        }
    }
    return Environment(std::move(values));
}

std::optional<std::string> Environment::value(const std::string& name) const {
    auto found = values_.find(name);
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool Environment::isFlagSet(const std::string& name) const {
    auto text = value(name);
    return text && isFlagValue(*text);
}

bool Environment::isExactlyOne(const std::string& name) const { return value(name) == "1"; }

bool isFlagValue(const std::string& value) {
    return value == "1" || lowercasedASCII(value) == "true";
}


} // namespace tolvane
