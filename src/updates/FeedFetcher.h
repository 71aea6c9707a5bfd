#pragma once

#include "platform/Result.h"
#include "updates/FeedLocation.h"
#include "updates/FeedRead.h"

#include <string>

namespace tolvane {

// Reads the feed document from its location, at most
// UpdateFeed::maximumDocumentBytes of it. Blocks: call it off the main thread.
// A loopback server gets a few seconds to answer, and a download ends as soon
// as its read is cancelled; redirects are not followed, so a feed cannot send
// the check off this machine.
class FeedFetcher {
  public:
    // A loopback server accepts at once; this also bounds how long a
    // cancelled download may wait for its connection.
    static constexpr int connectionTimeoutSeconds = 1;
    static constexpr int readTimeoutSeconds = 5;

    // The document, or why it could not be read, fit for a log line.
    static Result<std::string> fetch(const FeedLocation& location, FeedRead& read);

  private:
    static Result<std::string> readFile(const FeedLocation& location);
    static Result<std::string> download(const FeedLocation& location, FeedRead& read);
};

} // namespace tolvane
