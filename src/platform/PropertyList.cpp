#include "platform/PropertyList.h"

namespace tolvane {

PropertyList::PropertyList() : value_(Dictionary{}) {}
PropertyList::PropertyList(std::string value) : value_(std::move(value)) {}
PropertyList::PropertyList(const char* value) : value_(std::string(value)) {}
PropertyList::PropertyList(int value) : value_(std::int64_t{value}) {}
PropertyList::PropertyList(std::int64_t value) : value_(value) {}
PropertyList::PropertyList(double value) : value_(value) {}
PropertyList::PropertyList(bool value) : value_(value) {}
PropertyList::PropertyList(Date value) : value_(value) {}
PropertyList::PropertyList(Data value) : value_(std::move(value)) {}
PropertyList::PropertyList(Array value) : value_(std::move(value)) {}
PropertyList::PropertyList(Dictionary value) : value_(std::move(value)) {}

std::string_view PropertyList::typeName(Type type) {
    switch (type) {
    case Type::string:
        return "string";
    case Type::integer:
        return "integer";
    case Type::real:
        return "real";
    case Type::boolean:
        return "boolean";
    case Type::date:
        return "date";
    case Type::data:
        return "data";
    case Type::array:
        return "array";
    case Type::dictionary:
        return "dictionary";
    }
    return "unknown";
}

std::optional<std::int64_t> PropertyList::integerValue() const {
    if (const auto* value = std::get_if<std::int64_t>(&value_)) {
        return *value;
    }
    return std::nullopt;
}

std::optional<double> PropertyList::realValue() const {
    if (const auto* value = std::get_if<double>(&value_)) {
        return *value;
    }
    return std::nullopt;
}

std::optional<bool> PropertyList::booleanValue() const {
    if (const auto* value = std::get_if<bool>(&value_)) {
        return *value;
    }
    return std::nullopt;
}

std::optional<PropertyList::Date> PropertyList::dateValue() const {
    if (const auto* value = std::get_if<Date>(&value_)) {
        return *value;
    }
    return std::nullopt;
}

const PropertyList* PropertyList::find(std::string_view key) const {
    const auto* dictionary = dictionaryValue();
    return dictionary == nullptr ? nullptr : find(*dictionary, key);
}

const PropertyList* PropertyList::find(const Dictionary& dictionary, std::string_view key) {
    auto found = dictionary.find(key);
    return found == dictionary.end() ? nullptr : &found->second;
}

} // namespace tolvane
