#include "desk/DeskArguments.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using nlohmann::json;

// As the server has them: parsed from the body's text.
json body(const char* text) {
    return json::parse(text);
}

TEST(DeskArguments, AnIndexOrButtonAnIntCannotHoldIsRefusedRatherThanWrapped) {
    // 2^32 used to arrive as menu index 0 and 2^32 + 1 as button 1.
    EXPECT_EQ(DeskArguments::menuPath(body(R"({"path": [1, 0, -1]})")),
              (std::vector<int>{1, 0, -1}));
    for (const char* refused : {R"({"path": [0, 4294967296]})", R"({"path": [-2147483649]})",
                                R"({"path": [1.0]})", R"({"path": [0, 0, 0, 0, 0]})", "{}"}) {
        EXPECT_EQ(DeskArguments::menuPath(body(refused)), std::nullopt) << refused;
    }

    const auto answer = DeskArguments::alertAnswer(body(R"({"id": 7, "button": -1})"));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->id, 7u);
    EXPECT_EQ(answer->button, -1);
    EXPECT_EQ(answer->text, "");
    for (const char* refused : {R"({"id": 7, "button": 4294967297})", R"({"id": -7, "button": 1})",
                                R"({"id": 7, "button": 1, "text": 3})"}) {
        EXPECT_FALSE(DeskArguments::alertAnswer(body(refused))) << refused;
    }
}

TEST(DeskArguments, ARepresentationIsDecimalDigitsAndNothingElse) {
    // std::stoul took "-1" as the largest index and "5abc" as 5.
    EXPECT_EQ(DeskArguments::representation("12"), 12u);
    for (const char* refused : {"", "-1", "5abc", " 5", "+5", "99999999999999999999999"}) {
        EXPECT_EQ(DeskArguments::representation(refused), std::nullopt) << refused;
    }
}

TEST(DeskArguments, APointerColourIsHashAndSixHexadecimalDigits) {
    // "red" used to switch the colours to the standard pointer.
    const auto colours = DeskArguments::pointerColours(body(R"({"fill": "#FF2d55"})"));
    ASSERT_TRUE(colours);
    EXPECT_EQ(colours->fill, "#FF2d55");
    EXPECT_EQ(colours->outline, std::nullopt);
    EXPECT_TRUE(DeskArguments::pointerColours(body("{}")));
    for (const char* refused :
         {R"({"fill": "red"})", R"({"fill": "#ff2d5"})", R"({"fill": "# 1 2 3"})",
          R"({"fill": "#+1+2+3"})", R"({"fill": "#ff2d55", "outline": 7})",
          R"({"outline": "#ff2d55 "})"}) {
        EXPECT_FALSE(DeskArguments::pointerColours(body(refused))) << refused;
    }
}

TEST(DeskArguments, ABodyIsAJsonObject) {
    EXPECT_EQ(DeskArguments::bodyObject(R"({"id": "x"})"), (json{{"id", "x"}}));
    for (const char* refused : {"", "[1]", "\"x\"", "{\"id\":", "{} {}"}) {
        EXPECT_EQ(DeskArguments::bodyObject(refused), std::nullopt) << refused;
    }
    EXPECT_EQ(DeskArguments::string(json{{"id", "x"}}, "id"), "x");
    EXPECT_EQ(DeskArguments::string(json{{"id", 1}}, "id"), std::nullopt);
    EXPECT_EQ(DeskArguments::boolean(json{{"enabled", false}}, "enabled"), false);
    EXPECT_EQ(DeskArguments::boolean(json{{"enabled", 0}}, "enabled"), std::nullopt);
}

} // namespace
} // namespace tolvane
