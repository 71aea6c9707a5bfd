#include "platform/Utf8.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(Utf8Test, EachMaximalInvalidSubpartBecomesOneReplacement) {
    const std::string r = "\xEF\xBF\xBD";
    const std::vector<std::pair<std::string, std::string>> cases{
        {"Pfeil \xC3\xA4 \xE6\x96\x87", "Pfeil \xC3\xA4 \xE6\x96\x87"},
        {"\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"}, // U+10FFFF
        {"a\xFFz", "a" + r + "z"},
        {"\xC0\xAF", r + r},                 // overlong lead
        {"\xE0\x80\x80", r + r + r},         // overlong three-byte form
        {"\xED\xA0\x80", r + r + r},         // surrogate
        {"\xF4\x90\x80\x80", r + r + r + r}, // beyond U+10FFFF
        {"\xF0\x9F\x96", r},                 // truncated at the end
        {"\xE6\x96x", r + "x"},              // truncated in the middle
        {"\x80\x80", r + r},                 // lone continuation bytes
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(repairedUTF8(bytes), text);
    }
    EXPECT_EQ(unicodeScalars("a\xFF\xC3\xA9\xF0\x9F\x98\x80"), U"a\uFFFD\u00E9\U0001F600");
    EXPECT_EQ(utf8Encoded(U"\u0420\u0443\u7B80"), "\u0420\u0443\u7B80");
}

} // namespace
} // namespace tolvane
