#include "platform/PropertyListSerialization.h"

#include "platform/FileIO.h"
#include "platform/PropertyListShape.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <plist/plist.h>
#include <string>
#include <string_view>
#include <system_error>

namespace tolvane {

namespace {

constexpr std::string_view binaryMagic = "bplist00";
// How the XML form of a keyed-archive UID is spelled.
constexpr const char* uidKey = "CF$UID";

struct NodeDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

// Memory handed out by libplist, released with free().
struct FreeDeleter {
    void operator()(void* memory) const { std::free(memory); }
};
template <typename T> using Allocated = std::unique_ptr<T, FreeDeleter>;

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t scalar = 0;
        if (byte < 0x80) {
            ++i;
            continue;
        } else if ((byte & 0xE0u) == 0xC0u) {
            length = 2;
            scalar = byte & 0x1Fu;
        } else if ((byte & 0xF0u) == 0xE0u) {
            length = 3;
            scalar = byte & 0x0Fu;
        } else if ((byte & 0xF8u) == 0xF0u) {
            length = 4;
            scalar = byte & 0x07u;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0u) != 0x80u) {
                return false;
            }
            scalar = (scalar << 6u) | (next & 0x3Fu);
        }
        constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        bool surrogate = scalar >= 0xD800 && scalar <= 0xDFFF;
        if (scalar < smallest[length] || scalar > 0x10FFFF || surrogate) {
            return false;
        }
        i += length;
    }
    return true;
}

Result<void> checkText(std::string_view text, const char* what) {
    if (text.find('\0') != std::string_view::npos) {
        return Failure{std::string(what) + " holds a NUL character"};
    }
    if (!isValidUtf8(text)) {
        return Failure{std::string(what) + " is not valid UTF-8"};
    }
    return Result<void>::success();
}

Failure tooDeep(const PropertyListLimits& limits) {
    return Failure{"property list nested deeper than " + std::to_string(limits.maxDepth) +
                   " levels"};
}

// libplist keeps dates as whole seconds and microseconds since 2001.
Result<Node> dateNode(PropertyList::Date date) {
    double seconds = std::trunc(date.secondsSinceReferenceDate);
    if (!std::isfinite(seconds) || seconds < std::numeric_limits<std::int32_t>::min() ||
        seconds > std::numeric_limits<std::int32_t>::max()) {
        return Failure{"date outside the range a property list can hold"};
    }
    auto micro =
        static_cast<std::int32_t>(std::lround((date.secondsSinceReferenceDate - seconds) * 1e6));
    return Node(plist_new_date(static_cast<std::int32_t>(seconds), micro));
}

PropertyList::Date dateOf(plist_t node) {
    std::int32_t seconds = 0;
    std::int32_t micro = 0;
    plist_get_date_val(node, &seconds, &micro);
    // The fraction comes back without its sign; a date between one second
    // before the epoch and the epoch itself reads as the same distance after.
    double fraction = static_cast<double>(micro) / 1e6;
    return PropertyList::Date{seconds < 0 ? seconds - fraction : seconds + fraction};
}

Result<Node> toNode(const PropertyList& value, int depth, const PropertyListLimits& limits) {
    using Type = PropertyList::Type;
    switch (value.type()) {
    case Type::string: {
        const std::string& text = *value.stringValue();
        if (auto checked = checkText(text, "string"); !checked) {
            return checked.failure();
        }
        return Node(plist_new_string(text.c_str()));
    }
    case Type::integer:
        // libplist keeps integers as their 64-bit pattern; negative ones are
        // written as the signed integers of the format.
        return Node(plist_new_uint(static_cast<std::uint64_t>(*value.integerValue())));
    case Type::real:
        return Node(plist_new_real(*value.realValue()));
    case Type::boolean:
        return Node(plist_new_bool(*value.booleanValue() ? 1 : 0));
    case Type::date:
        return dateNode(*value.dateValue());
    case Type::data: {
        const auto& data = *value.dataValue();
        static const char empty = 0;
        const char* bytes = data.empty() ? &empty : reinterpret_cast<const char*>(data.data());
        return Node(plist_new_data(bytes, data.size()));
    }
    case Type::array: {
        if (depth >= limits.maxDepth) {
            return tooDeep(limits);
        }
        Node array(plist_new_array());
        for (const auto& item : *value.arrayValue()) {
            auto child = toNode(item, depth + 1, limits);
            if (!child) {
                return child.failure();
            }
            plist_array_append_item(array.get(), std::move(child).value().release());
        }
        return array;
    }
    case Type::dictionary: {
        if (depth >= limits.maxDepth) {
            return tooDeep(limits);
        }
        Node dictionary(plist_new_dict());
        for (const auto& [key, item] : *value.dictionaryValue()) {
            if (auto checked = checkText(key, "dictionary key"); !checked) {
                return checked.failure();
            }
            auto child = toNode(item, depth + 1, limits);
            if (!child) {
                return child.failure();
            }
            plist_dict_set_item(dictionary.get(), key.c_str(), std::move(child).value().release());
        }
        return dictionary;
    }
    }
    return Failure{"unknown property list value type"};
}

Result<PropertyList> fromNode(plist_t node, int depth, const PropertyListLimits& limits) {
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        std::uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return PropertyList(value != 0);
    }
    case PLIST_UINT: {
        std::uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return PropertyList(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return PropertyList(value);
    }
    case PLIST_STRING: {
        std::uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        std::string value(text == nullptr ? ""
                                          : std::string(text, static_cast<std::size_t>(length)));
        if (auto checked = checkText(value, "string"); !checked) {
            return checked.failure();
        }
        return PropertyList(std::move(value));
    }
    case PLIST_DATE:
        return PropertyList(dateOf(node));
    case PLIST_DATA: {
        std::uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes);
        return PropertyList(bytes == nullptr ? PropertyList::Data{}
                                             : PropertyList::Data(begin, begin + length));
    }
    case PLIST_UID: {
        std::uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return PropertyList(PropertyList::Dictionary{{uidKey, static_cast<std::int64_t>(value)}});
    }
    case PLIST_ARRAY: {
        if (depth >= limits.maxDepth) {
            return tooDeep(limits);
        }
        PropertyList::Array array;
        plist_array_iter rawIterator = nullptr;
        plist_array_new_iter(node, &rawIterator);
        Allocated<void> iterator(rawIterator);
        while (true) {
            plist_t item = nullptr;
            plist_array_next_item(node, rawIterator, &item);
            if (item == nullptr) {
                break;
            }
            auto converted = fromNode(item, depth + 1, limits);
            if (!converted) {
                return converted.failure();
            }
            array.push_back(std::move(converted).value());
        }
        return PropertyList(std::move(array));
    }
    case PLIST_DICT: {
        if (depth >= limits.maxDepth) {
            return tooDeep(limits);
        }
        PropertyList::Dictionary dictionary;
        plist_dict_iter rawIterator = nullptr;
        plist_dict_new_iter(node, &rawIterator);
        Allocated<void> iterator(rawIterator);
        while (true) {
            char* rawKey = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, rawIterator, &rawKey, &item);
            Allocated<char> key(rawKey);
            if (item == nullptr) {
                break;
            }
            std::string keyText = key ? std::string(key.get()) : std::string();
            if (auto checked = checkText(keyText, "dictionary key"); !checked) {
                return checked.failure();
            }
            auto converted = fromNode(item, depth + 1, limits);
            if (!converted) {
                return converted.failure();
            }
            // A key that appears twice keeps its last value.
            dictionary.insert_or_assign(std::move(keyText), std::move(converted).value());
        }
        return PropertyList(std::move(dictionary));
    }
    default:
        return Failure{"property list holds a value of an unsupported kind"};
    }
}

} // namespace

PropertyListFormat PropertyListSerialization::formatOf(std::span<const std::uint8_t> bytes) {
    std::string_view start(reinterpret_cast<const char*>(bytes.data()),
                           std::min(bytes.size(), binaryMagic.size()));
    return start == binaryMagic ? PropertyListFormat::binary : PropertyListFormat::xml;
}

Result<PropertyList> PropertyListSerialization::parse(std::span<const std::uint8_t> bytes,
                                                      const PropertyListLimits& limits) {
    if (bytes.empty()) {
        return Failure{"empty property list"};
    }
    if (bytes.size() > limits.maxBytes ||
        bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
        return Failure{"property list too large: " + std::to_string(bytes.size()) +
                       " bytes, the limit is " + std::to_string(limits.maxBytes)};
    }
    const char* data = reinterpret_cast<const char*>(bytes.data());
    auto length = static_cast<std::uint32_t>(bytes.size());
    plist_t root = nullptr;
    if (formatOf(bytes) == PropertyListFormat::binary) {
        if (auto shape = PropertyListShape::checkBinary(bytes, limits); !shape) {
            return shape.failure();
        }
        plist_from_bin(data, length, &root);
        if (root == nullptr) {
            return Failure{"malformed binary property list"};
        }
    } else {
        if (auto shape = PropertyListShape::checkXml(bytes, limits); !shape) {
            return shape.failure();
        }
        plist_from_xml(data, length, &root);
        if (root == nullptr) {
            return Failure{"not a property list: neither binary nor well-formed XML"};
        }
    }
    Node owned(root);
    return fromNode(root, 0, limits);
}

Result<std::vector<std::uint8_t>>
PropertyListSerialization::serialize(const PropertyList& value, PropertyListFormat format,
                                     const PropertyListLimits& limits) {
    auto node = toNode(value, 0, limits);
    if (!node) {
        return node.failure();
    }
    char* raw = nullptr;
    std::uint32_t length = 0;
    if (format == PropertyListFormat::binary) {
        plist_to_bin(node.value().get(), &raw, &length);
    } else {
        plist_to_xml(node.value().get(), &raw, &length);
    }
    Allocated<char> output(raw);
    if (output == nullptr) {
        return Failure{"property list serialisation failed"};
    }
    const auto* begin = reinterpret_cast<const std::uint8_t*>(output.get());
    return std::vector<std::uint8_t>(begin, begin + length);
}

Result<PropertyList> PropertyListSerialization::readFile(const std::filesystem::path& path,
                                                         const PropertyListLimits& limits) {
    auto bytes = readFileContents(path, limits.maxBytes);
    if (!bytes) {
        return bytes.failure();
    }
    auto parsed = parse(bytes.value(), limits);
    if (!parsed) {
        return Failure{parsed.error() + ": " + path.string()};
    }
    return parsed;
}

Result<PropertyList::Dictionary>
PropertyListSerialization::parseDictionary(std::span<const std::uint8_t> bytes) {
    auto root = parse(bytes);
    if (!root) {
        return root.failure();
    }
    auto* dictionary = root.value().dictionaryValue();
    if (dictionary == nullptr) {
        return Failure{"property list root is not a dictionary"};
    }
    return std::move(*dictionary);
}

Result<PropertyList::Dictionary>
PropertyListSerialization::readDictionaryFile(const std::filesystem::path& path) {
    auto bytes = readFileContents(path, PropertyListLimits{}.maxBytes);
    if (!bytes) {
        return bytes.failure();
    }
    auto dictionary = parseDictionary(bytes.value());
    if (!dictionary) {
        return Failure{dictionary.error() + ": " + path.string()};
    }
    return dictionary;
}

Result<void> PropertyListSerialization::writeFile(const PropertyList& value,
                                                  const std::filesystem::path& path,
                                                  PropertyListFormat format) {
    auto bytes = serialize(value, format);
    if (!bytes) {
        return Failure{"cannot serialise property list for " + path.string() + ": " +
                       bytes.error()};
    }
    return atomicWrite(path, bytes.value());
}

Result<void> PropertyListSerialization::writeFileCreatingFolder(const PropertyList& value,
                                                                const std::filesystem::path& path,
                                                                PropertyListFormat format) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
        return Failure{"cannot create " + path.parent_path().string() + ": " + error.message(),
                       error.value()};
    }
    return writeFile(value, path, format);
}

} // namespace tolvane
