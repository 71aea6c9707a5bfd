#include "desk/DeskAccess.h"

#include "platform/AsciiCase.h"

#include <sys/random.h>

#include <array>
#include <cstdio>

namespace tolvane {

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

DeskAccess::DeskAccess(std::string token, int port) : token_(std::move(token)), port_(port) {}

std::optional<std::string> DeskAccess::makeToken() {
    std::array<unsigned char, 16> bytes{};
    if (getrandom(bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        return std::nullopt;
    }
    std::string token;
    for (unsigned char byte : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        token += pair;
    }
    return token;
}

bool DeskAccess::matchesToken(const std::string& candidate) const {
    // Every character is compared, so the time taken tells nothing.
    if (candidate.size() != token_.size() || token_.empty()) {
        return false;
    }
    unsigned char difference = 0;
    for (std::size_t index = 0; index < token_.size(); ++index) {
        difference |= static_cast<unsigned char>(candidate[index] ^ token_[index]);
    }
    return difference == 0;
}

std::string DeskAccess::cookieName() const {
    return "tolvane_desk_" + std::to_string(port_);
}

std::optional<std::string> DeskAccess::cookieToken(const std::string& cookies) const {
    const std::string prefix = cookieName() + "=";
    std::size_t start = 0;
    while (start <= cookies.size()) {
        const std::size_t end = std::min(cookies.find(';', start), cookies.size());
        const std::string cookie = trimmed(cookies.substr(start, end - start));
        if (cookie.starts_with(prefix)) {
            return cookie.substr(prefix.size());
        }
        start = end + 1;
    }
    return std::nullopt;
}

bool DeskAccess::provesTokenByAddress(const DeskRequest& request) const {
    return request.method == "GET" && request.path == "/" && request.queryToken &&
           matchesToken(*request.queryToken);
}

std::optional<std::string> DeskAccess::refusal(const DeskRequest& request) const {
    const std::string port = ":" + std::to_string(port_);
    const std::string host = lowercasedASCII(request.host);
    if (host != "127.0.0.1" + port && host != "localhost" + port) {
        return "foreign host " + request.host;
    }
    if (request.origin && *request.origin != "http://127.0.0.1" + port &&
        *request.origin != "http://localhost" + port) {
        return "foreign origin " + *request.origin;
    }
    if (request.fetchSite && *request.fetchSite != "same-origin" && *request.fetchSite != "none") {
        return "cross-site request";
    }
    if (request.method == "POST" && !request.origin) {
        return "action without origin";
    }
    if (request.method != "GET" && request.method != "POST") {
        return "method " + request.method;
    }
    if (request.chunkedBody) {
        return "a body without a length";
    }
    const std::optional<std::string> cookie = cookieToken(request.cookies);
    if (!(cookie && matchesToken(*cookie)) && !provesTokenByAddress(request)) {
        return "missing or wrong token";
    }
    return std::nullopt;
}

std::string DeskAccess::tokenCookie() const {
    return cookieName() + "=" + token_ + "; Path=/; HttpOnly; SameSite=Strict";
}

} // namespace tolvane
