#include "updates/FeedFetcher.h"

#include "platform/FileIO.h"
#include "updates/UpdateFeed.h"

#include <csignal>
#include <exception>
#include <httplib.h>
#include <thread>

namespace tolvane {

Result<std::string> FeedFetcher::fetch(const FeedLocation& location, FeedRead& read) {
    if (auto reason = read.cancellation()) {
        return Failure{*reason};
    }
    try {
        return location.kind() == FeedLocation::Kind::file ? readFile(location)
                                                           : download(location, read);
    } catch (const std::exception& error) {
        return Failure{std::string("reading the feed failed: ") + error.what()};
    }
}

Result<std::string> FeedFetcher::readFile(const FeedLocation& location) {
    auto bytes = readFileContents(location.filePath(), UpdateFeed::maximumDocumentBytes);
    if (!bytes) {
        return bytes.failure();
    }
    return std::string(bytes->begin(), bytes->end());
}

Result<std::string> FeedFetcher::download(const FeedLocation& location, FeedRead& read) {
    // The client writes without MSG_NOSIGNAL: a request stopped (or a server
    // that hung up) while it is being sent would raise SIGPIPE and end the
    // whole program, in the middle of a quit at worst. A failed write is
    // enough; the process never wants the signal.
    static const bool pipeSignalIgnored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
    (void)pipeSignalIgnored;
    httplib::Client client(location.host(), location.port());
    client.set_connection_timeout(connectionTimeoutSeconds);
    client.set_read_timeout(readTimeoutSeconds);
    client.set_write_timeout(readTimeoutSeconds);
    client.set_follow_location(false);

    const std::size_t limit = UpdateFeed::maximumDocumentBytes;
    int status = 0;
    bool tooLarge = false;
    std::string body;
    // A server that sends a byte now and then never meets the read timeout:
    // only stopping the client ends such a request.
    std::jthread stopper([&](std::stop_token requestEnded) {
        read.stopWhenCancelled([&client] { client.stop(); }, requestEnded);
    });
    auto result = client.Get(
        location.target(),
        [&](const httplib::Response& response) {
            status = response.status;
            // Announced sizes are checked before a byte is read, and
            // whatever arrives is counted.
            tooLarge = response.get_header_value<std::uint64_t>("Content-Length") > limit;
            return status == 200 && !tooLarge;
        },
        [&](const char* data, std::size_t length) {
            tooLarge = length > limit - body.size();
            if (!tooLarge) {
                body.append(data, length);
            }
            return !tooLarge;
        });
    stopper.request_stop();
    stopper.join();
    if (auto reason = read.cancellation(); reason && !result) {
        return Failure{*reason};
    }
    if (status != 0 && status != 200) {
        return Failure{"the feed server answered with HTTP status " + std::to_string(status)};
    }
    if (tooLarge) {
        return Failure{"the feed is larger than " + std::to_string(limit) + " bytes"};
    }
    if (!result) {
        return Failure{"the request to the feed server failed (" +
                       httplib::to_string(result.error()) + ")"};
    }
    return body;
}

} // namespace tolvane
