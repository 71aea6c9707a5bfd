#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tolvane {

// One property-list value: a string, integer, real, boolean, date, data,
// array or dictionary. Strings and keys hold UTF-8 text. A value is a plain
// value: copies are independent.
class PropertyList {
  public:
    enum class Type { string, integer, real, boolean, date, data, array, dictionary };

    // A moment as seconds since 2001-01-01 00:00:00 UTC, the property-list epoch.
    struct Date {
        static constexpr double unixTimeOfReferenceDate = 978307200.0;

        double secondsSinceReferenceDate = 0;

        static Date fromUnixTime(double seconds) { return Date{seconds - unixTimeOfReferenceDate}; }
        double unixTime() const { return secondsSinceReferenceDate + unixTimeOfReferenceDate; }
        bool operator==(const Date&) const = default;
    };

    using Data = std::vector<std::uint8_t>;
    using Array = std::vector<PropertyList>;
    using Dictionary = std::map<std::string, PropertyList, std::less<>>;

    // An empty dictionary, the usual root.
    PropertyList();
    PropertyList(std::string value);
    PropertyList(const char* value);
    PropertyList(int value);
    PropertyList(std::int64_t value);
    PropertyList(double value);
    PropertyList(bool value);
    PropertyList(Date value);
    PropertyList(Data value);
    PropertyList(Array value);
    PropertyList(Dictionary value);
    // Keeps other pointers from quietly becoming booleans.
    PropertyList(const void*) = delete;

    Type type() const { return static_cast<Type>(value_.index()); }
    static std::string_view typeName(Type type);

    // Each reading gives the value when it has that type, else nothing.
    const std::string* stringValue() const { return std::get_if<std::string>(&value_); }
    std::optional<std::int64_t> integerValue() const;
    std::optional<double> realValue() const;
    std::optional<bool> booleanValue() const;
    std::optional<Date> dateValue() const;
    const Data* dataValue() const { return std::get_if<Data>(&value_); }
    const Array* arrayValue() const { return std::get_if<Array>(&value_); }
    Array* arrayValue() { return std::get_if<Array>(&value_); }
    const Dictionary* dictionaryValue() const { return std::get_if<Dictionary>(&value_); }
    Dictionary* dictionaryValue() { return std::get_if<Dictionary>(&value_); }

    // The entry under key of a dictionary; nothing for a missing key or a
    // value that is no dictionary.
    const PropertyList* find(std::string_view key) const;
    static const PropertyList* find(const Dictionary& dictionary, std::string_view key);

    bool operator==(const PropertyList& other) const { return value_ == other.value_; }

  private:
    // In the order of Type.
    std::variant<std::string, std::int64_t, double, bool, Date, Data, Array, Dictionary> value_;
};

} // namespace tolvane
