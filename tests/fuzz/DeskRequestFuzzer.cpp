// The input is a request to the desk, one part a line: method, path, Host,
// Origin, Sec-Fetch-Site, Cookie, the query's token and rep, then the body.
#include "desk/DeskAccess.h"
#include "desk/DeskArguments.h"
#include "fuzz/FuzzHome.h"
#include "platform/AsciiCase.h"

#include <cstdlib>

using namespace tolvane;

namespace {

const std::string token = "0123456789abcdef0123456789abcdef";

std::optional<std::string> field(const std::vector<std::string>& fields, std::size_t index) {
    return index < fields.size() ? std::optional(fields[index]) : std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> fields = fuzzing::fields(data, size);
    DeskRequest request{fields[0],
                        field(fields, 1).value_or(""),
                        field(fields, 2).value_or(""),
                        field(fields, 3),
                        field(fields, 4),
                        field(fields, 5).value_or(""),
                        field(fields, 6),
                        false};
    const DeskAccess access(token, 8080);
    // Whatever gets in names the desk by its loopback address and holds the token.
    const std::string host = lowercasedASCII(request.host);
    if (!access.refusal(request) &&
        ((host != "127.0.0.1:8080" && host != "localhost:8080") ||
         (request.cookies.find(token) == std::string::npos && request.queryToken != token))) {
        std::abort();
    }
    (void)DeskArguments::representation(field(fields, 7).value_or(""));

    std::string body;
    for (std::size_t index = 8; index < fields.size(); ++index) {
        body += fields[index] + "\n";
    }
    if (const auto object = DeskArguments::bodyObject(body)) {
        const auto path = DeskArguments::menuPath(*object);
        if (path && path->size() > 4) {
            std::abort();
        }
        (void)DeskArguments::alertAnswer(*object);
        (void)DeskArguments::string(*object, "id");
        (void)DeskArguments::boolean(*object, "enabled");
    }
    return 0;
}
