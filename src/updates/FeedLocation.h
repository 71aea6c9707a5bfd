#pragma once

#include "platform/Result.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace tolvane {

// Where the update feed is read from: a file, or an HTTP server on this very
// machine. Nothing else is accepted, so a check never needs the network.
class FeedLocation {
  public:
    enum class Kind { file, loopbackHTTP };

    // An absolute path, a file:// URL with an absolute path, or
    // http://127.0.0.1[:port]/path or http://localhost[:port]/path. Anything
    // else fails with a reason fit for a log line.
    static Result<FeedLocation> parse(std::string_view text);

    Kind kind() const { return kind_; }
    // Only for a file.
    const std::filesystem::path& filePath() const { return filePath_; }
    // Only for a loopback server: the host in lower case, the port and the
    // request target ("/feed.json").
    const std::string& host() const { return host_; }
    int port() const { return port_; }
    const std::string& target() const { return target_; }

    // The location as configured, for log lines.
    const std::string& description() const { return description_; }

  private:
    FeedLocation() = default;
    static Result<FeedLocation> parseFile(std::string_view text);
    static Result<FeedLocation> parseLoopbackHTTP(std::string_view rest);

    Kind kind_ = Kind::file;
    std::filesystem::path filePath_;
    std::string host_;
    int port_ = 80;
    std::string target_;
    std::string description_;
};

} // namespace tolvane
