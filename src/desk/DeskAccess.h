#pragma once

#include <optional>
#include <string>

namespace tolvane {

// What the desk's server looks at before it answers a request.
struct DeskRequest {
    std::string method;                 // "GET", "POST", ...
    std::string path;                   // without the query
    std::string host;                   // the Host header
    std::optional<std::string> origin;  // the Origin header
    std::optional<std::string> fetchSite; // the Sec-Fetch-Site header
    std::string cookies;                // the Cookie header
    std::optional<std::string> queryToken; // "token" from the query, on the page itself
    bool chunkedBody = false;           // a body sent without its length
};

// Who may use the desk: only a page this program served on the loopback
// address, holding the token the program printed. A request names the desk by
// its loopback address and port (a rebound DNS name does not), comes from no
// other origin, proves the token by its cookie (or, on the first visit to the
// page, by the address it was given), and changes things only by POST, with a
// body whose length it states, so that the size limit holds.
class DeskAccess {
  public:
    DeskAccess(std::string token, int port);

    // Why the request is refused; nothing when it may go on.
    std::optional<std::string> refusal(const DeskRequest& request) const;
    // True when the request proved the token by the address alone: the page
    // then sets the cookie for the requests that follow.
    bool provesTokenByAddress(const DeskRequest& request) const;
    // The Set-Cookie value that holds the token for this desk only. Cookies
    // ignore ports, so its name carries the port: another desk on the
    // loopback address keeps a cookie of its own.
    std::string tokenCookie() const;

    const std::string& token() const { return token_; }

    // A fresh token of 32 hexadecimal digits from the system's random source;
    // nothing when the source fails.
    static std::optional<std::string> makeToken();

  private:
    bool matchesToken(const std::string& candidate) const;
    std::optional<std::string> cookieToken(const std::string& cookies) const;

    std::string cookieName() const;

    std::string token_;
    int port_;
};

} // namespace tolvane
