#include "XSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A property written in the given byte order; `count` may lie.
class Writer {
  public:
    explicit Writer(bool bigEndian) : bigEndian_(bigEndian) {
        bytes.push_back(bigEndian ? 1 : 0);
        bytes.insert(bytes.end(), 3, 0);
        card(7, 4);
    }
    Writer& card(std::uint32_t value, int width) {
        for (int index = 0; index < width; ++index) {
            const int shift = 8 * (bigEndian_ ? width - 1 - index : index);
            bytes.push_back(static_cast<std::uint8_t>(value >> shift));
        }
        return *this;
    }
    Writer& text(const std::string& value) {
        bytes.insert(bytes.end(), value.begin(), value.end());
        bytes.insert(bytes.end(), (4 - value.size() % 4) % 4, 0);
        return *this;
    }
    Writer& header(std::uint8_t type, const std::string& name) {
        bytes.push_back(type);
        bytes.push_back(0);
        card(static_cast<std::uint32_t>(name.size()), 2);
        return text(name).card(3, 4);
    }
    Writer& integer(const std::string& name, std::int32_t value) {
        return header(0, name).card(static_cast<std::uint32_t>(value), 4);
    }
    Writer& string(const std::string& name, const std::string& value) {
        return header(1, name).card(static_cast<std::uint32_t>(value.size()), 4).text(value);
    }
    Writer& color(const std::string& name) { return header(2, name).card(0, 4).card(0, 4); }

    Bytes bytes;

  private:
    bool bigEndian_;
};

Bytes cursorSettings(bool bigEndian, std::uint32_t count = 3) {
    Writer writer(bigEndian);
    writer.card(count, 4);
    return writer.string("Gtk/CursorThemeName", "Adwaita")
        .color("Gtk/Color")
        .integer("Gtk/CursorThemeSize", 48)
        .bytes;
}

TEST(XSettingsTest, ReadsBothByteOrdersAndRefusesWhatDoesNotHold) {
    Bytes lyingName = cursorSettings(false);
    lyingName[14] = 0xff; // the first name's length: beyond the end
    Bytes lyingString = cursorSettings(true);
    lyingString[12 + 4 + 20 + 4 + 3] = 0x7f; // the first string's length, low byte
    Bytes unknownType = cursorSettings(false);
    unknownType[12] = 9;
    Bytes wrongOrder = cursorSettings(false);
    wrongOrder[0] = 'l';
    Bytes truncated = cursorSettings(true);
    truncated.resize(truncated.size() - 2);

    struct Case {
        std::string label;
        Bytes bytes;
        std::string failure;
        std::string theme;
        std::int32_t size;
    };
    const std::vector<Case> cases{
        {"little endian", cursorSettings(false), "", "Adwaita", 48},
        {"big endian", cursorSettings(true), "", "Adwaita", 48},
        {"fewer settings than written", cursorSettings(false, 1), "", "Adwaita", 0},
        {"empty", {}, "empty", "", 0},
        {"short header", Bytes{0, 0, 0, 0, 1}, "truncated header", "", 0},
        {"unknown byte order", wrongOrder, "unknown byte order", "", 0},
        {"more settings than written", cursorSettings(false, 4), "truncated setting", "", 0},
        {"truncated integer", truncated, "truncated integer", "", 0},
        {"name longer than the property", lyingName, "truncated setting name", "", 0},
        {"string longer than the property", lyingString, "truncated string", "", 0},
        {"unknown type", unknownType, "unknown setting type 9", "", 0},
    };
    for (const Case& each : cases) {
        const XSettings settings = XSettings::parse(each.bytes);
        EXPECT_EQ(settings.failure, each.failure) << each.label;
        auto theme = settings.strings.find("Gtk/CursorThemeName");
        EXPECT_EQ(theme != settings.strings.end() ? theme->second : "", each.theme) << each.label;
        auto size = settings.integers.find("Gtk/CursorThemeSize");
        EXPECT_EQ(size != settings.integers.end() ? size->second : 0, each.size) << each.label;
    }
}

} // namespace
} // namespace tolvane
