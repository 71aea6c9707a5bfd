#include "updates/Version.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(Version, ComparesNumberByNumber) {
    struct Case {
        const char* older;
        const char* newer;
    };
    const Case cases[] = {
        {"0.9.9", "0.10.0"}, {"0.1.0", "0.1.1"},   {"1.9", "1.10"},
        {"1.2", "1.2.0.1"},  {"v2.0.0", "V2.0.1"}, {"999999998.9", "999999999"},
    };
    for (const auto& test : cases) {
        auto older = Version::parse(test.older);
        auto newer = Version::parse(test.newer);
        ASSERT_TRUE(older && newer) << test.older << " " << test.newer;
        EXPECT_LT(*older, *newer) << test.older << " < " << test.newer;
        EXPECT_GT(*newer, *older) << test.newer << " > " << test.older;
    }
    EXPECT_EQ(*Version::parse("v1.2"), *Version::parse("1.2.0"));
    EXPECT_EQ(*Version::parse("01.002"), *Version::parse("1.2"));
    EXPECT_EQ(Version::parse("v0.10.0")->text(), "0.10.0");
}

TEST(Version, RefusesAnythingButDottedNumbers) {
    for (const char* text : {"", "v", "1.", ".1", "1..2", "1.2-beta", "1.2 ", " 1.2", "+1", "-1",
                             "1,2", "vv1", "1.x", "1234567890", "1.2.3.4.5.6.7.8.9", "١.٢"}) {
        EXPECT_FALSE(Version::parse(text)) << '"' << text << '"';
    }
    EXPECT_TRUE(Version::parse("1.2.3.4.5.6.7.8"));
    EXPECT_TRUE(Version::parse("123456789"));
}

} // namespace
} // namespace tolvane
