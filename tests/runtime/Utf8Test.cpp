#include "runtime/Utf8.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

const std::string replacement = "\xEF\xBF\xBD";

TEST(Utf8Test, WellFormedTextPassesUnchanged) {
    for (std::string text : {std::string("com.apple.coregraphics.Arrow"), std::string(""),
                             std::string("Pfeil \xC3\xA4"), std::string("\xE6\x96\x87"),
                             std::string("\xF0\x9F\x96\xB1"), std::string("\xF4\x8F\xBF\xBF")}) {
        EXPECT_EQ(repairedUTF8(text), text);
    }
}

TEST(Utf8Test, EachMaximalInvalidSubpartBecomesOneReplacement) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"a\xFF"
         "b",
         "a" + replacement + "b"},
        {"\xC0\xAF", replacement + replacement},                   // overlong lead
        {"\xE0\x80\x80", replacement + replacement + replacement}, // overlong three-byte form
        {"\xED\xA0\x80", replacement + replacement + replacement}, // surrogate
        {"\xF4\x90\x80\x80", replacement + replacement + replacement + replacement}, // > U+10FFFF
        {"\xE6\x96", replacement}, // truncated at the end
        {"\xE6\x96"
         "x",
         replacement + "x"}, // truncated in the middle
        {"\xF0\x9F\x96", replacement},
        {"\x80\x80", replacement + replacement}, // lone continuation bytes
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(repairedUTF8(bytes), text);
    }
}

} // namespace
} // namespace tolvane
