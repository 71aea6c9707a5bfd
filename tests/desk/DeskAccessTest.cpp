#include "desk/DeskAccess.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(DeskAccess, OnlyTheTokensPageOnTheLoopbackAddressGetsIn) {
    const std::string token = "0123456789abcdef0123456789abcdef";
    const DeskAccess access(token, 8123);
    // Cookies ignore ports: another desk's cookie may come first.
    const std::string cookie = "theme=dark; tolvane_desk_9000=" + std::string(32, 'f') +
                               "; tolvane_desk_8123=" + token;
    struct Row {
        DeskRequest request;
        std::optional<std::string> refusal;
    };
    const std::vector<Row> rows{
        {{"GET", "/api/state", "127.0.0.1:8123", {}, "same-origin", cookie, {}}, {}},
        {{"GET", "/", "LOCALHOST:8123", {}, "none", "", token}, {}},
        {{"POST", "/api/key", "127.0.0.1:8123", "http://localhost:8123", {}, cookie, {}}, {}},
        {{"GET", "/api/state", "127.0.0.1:8123", {}, {}, "", {}}, "missing or wrong token"},
        {{"GET", "/api/state", "127.0.0.1:8123", {}, {}, "tolvane_desk_8123=" + token + "0", {}},
         "missing or wrong token"},
        {{"GET", "/api/state", "127.0.0.1:8123", {}, {}, "tolvane_desk=" + token, {}},
         "missing or wrong token"},
        // The address proves the token only for the page itself.
        {{"GET", "/api/state", "127.0.0.1:8123", {}, {}, "", token}, "missing or wrong token"},
        {{"GET", "/api/state", "attacker.example:8123", {}, {}, cookie, {}},
         "foreign host attacker.example:8123"},
        {{"GET", "/api/state", "127.0.0.1:9999", {}, {}, cookie, {}}, "foreign host 127.0.0.1:9999"},
        {{"POST", "/api/key", "127.0.0.1:8123", "http://attacker.example", {}, cookie, {}},
         "foreign origin http://attacker.example"},
        {{"GET", "/api/state", "127.0.0.1:8123", {}, "cross-site", cookie, {}}, "cross-site request"},
        {{"POST", "/api/key", "127.0.0.1:8123", {}, {}, cookie, {}}, "action without origin"},
        {{"DELETE", "/api/key", "127.0.0.1:8123", "http://127.0.0.1:8123", {}, cookie, {}},
         "method DELETE"},
        {{"POST", "/api/key", "127.0.0.1:8123", "http://127.0.0.1:8123", {}, cookie, {}, true},
         "a body without a length"}};
    for (const Row& row : rows) {
        EXPECT_EQ(access.refusal(row.request), row.refusal)
            << row.request.method << " " << row.request.path << " host=" << row.request.host;
    }
    const auto first = DeskAccess::makeToken();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->size(), 32u);
    EXPECT_NE(first, DeskAccess::makeToken());
    EXPECT_EQ(access.tokenCookie(),
              "tolvane_desk_8123=" + token + "; Path=/; HttpOnly; SameSite=Strict");
}

} // namespace
} // namespace tolvane
