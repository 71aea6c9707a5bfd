#include "XSettings.h"

#include <optional>

namespace tolvane {

namespace {

enum : std::uint8_t { integerSetting = 0, stringSetting = 1, colorSetting = 2 };
// Four 16-bit channels.
constexpr std::size_t colorSize = 8;

// Reads forward through the property, refusing every read past its end.
class Reader {
  public:
    Reader(std::span<const std::uint8_t> bytes, bool bigEndian)
        : bytes_(bytes), bigEndian_(bigEndian) {}

    bool skip(std::size_t count) {
        if (count > bytes_.size() - offset_) {
            return false;
        }
        offset_ += count;
        return true;
    }
    // Strings are padded to a multiple of four bytes.
    bool skipPadding(std::size_t length) { return skip((4 - length % 4) % 4); }

    std::optional<std::uint32_t> card(std::size_t width) {
        if (width > bytes_.size() - offset_) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (std::size_t index = 0; index < width; ++index) {
            const std::size_t at = bigEndian_ ? index : width - 1 - index;
            value = (value << 8) | bytes_[offset_ + at];
        }
        offset_ += width;
        return value;
    }

    std::optional<std::string> text(std::size_t length) {
        if (length > bytes_.size() - offset_) {
            return std::nullopt;
        }
        std::string value(bytes_.begin() + static_cast<std::ptrdiff_t>(offset_),
                          bytes_.begin() + static_cast<std::ptrdiff_t>(offset_ + length));
        offset_ += length;
        return value;
    }

  private:
    std::span<const std::uint8_t> bytes_;
    bool bigEndian_;
    std::size_t offset_ = 0;
};

XSettings failed(std::string reason) {
    XSettings settings;
    settings.failure = std::move(reason);
    return settings;
}

} // namespace

XSettings XSettings::parse(std::span<const std::uint8_t> bytes) {
    // Byte 0 is the X byte order of the writer: 0 LSBFirst, 1 MSBFirst.
    if (bytes.empty() || bytes[0] > 1) {
        return failed(bytes.empty() ? "empty" : "unknown byte order");
    }
    Reader reader(bytes, bytes[0] == 1);
    std::optional<std::uint32_t> count;
    if (!reader.skip(4) || !reader.card(4) || !(count = reader.card(4))) {
        return failed("truncated header");
    }
    XSettings settings;
    for (std::uint32_t index = 0; index < *count; ++index) {
        const std::optional<std::uint32_t> type = reader.card(1);
        std::optional<std::uint32_t> nameLength;
        if (!type || !reader.skip(1) || !(nameLength = reader.card(2))) {
            return failed("truncated setting");
        }
        std::optional<std::string> name = reader.text(*nameLength);
        if (!name || !reader.skipPadding(*nameLength) || !reader.card(4)) {
            return failed("truncated setting name");
        }
        if (*type == integerSetting) {
            const std::optional<std::uint32_t> value = reader.card(4);
            if (!value) {
                return failed("truncated integer");
            }
            settings.integers[*name] = static_cast<std::int32_t>(*value);
        } else if (*type == stringSetting) {
            const std::optional<std::uint32_t> length = reader.card(4);
            std::optional<std::string> value = length ? reader.text(*length) : std::nullopt;
            if (!value || !reader.skipPadding(*length)) {
                return failed("truncated string");
            }
            settings.strings[*name] = std::move(*value);
        } else if (*type == colorSetting) {
            if (!reader.skip(colorSize)) {
                return failed("truncated colour");
            }
        } else {
            return failed("unknown setting type " + std::to_string(*type));
        }
    }
    return settings;
}

} // namespace tolvane
