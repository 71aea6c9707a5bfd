#pragma once

#include <map>
#include <optional>
#include <string>

namespace tolvane {

using EnvironmentMap = std::map<std::string, std::string>;

// A snapshot of environment variables: the process's own, or a map in tests.
class Environment {
public:
    Environment() = default;
    explicit Environment(EnvironmentMap values) : values_(std::move(values)) {}
    static Environment process();

    const EnvironmentMap& values() const { return values_; }
    bool isEmpty() const { return values_.empty(); }
    std::optional<std::string> value(const std::string& name) const;

    // Set when the value is exactly "1" or lower-cases to "true".
    bool isFlagSet(const std::string& name) const;
    // Set only when the value is exactly "1".
    bool isExactlyOne(const std::string& name) const;

private:
    EnvironmentMap values_;
};

bool isFlagValue(const std::string& value);

} // namespace tolvane
