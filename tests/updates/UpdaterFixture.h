#pragma once

#include "support/LogCapture.h"
#include "support/TestSession.h"
#include "updates/FeedUpdater.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// Updaters of version 1.4.2 on a simulated session, reading their feeds on a
// worker queue that the test can wait for.
class UpdaterTest : public ::testing::Test {
  protected:
    std::unique_ptr<FeedUpdater> makeUpdater(const std::optional<std::string>& location) {
        return std::make_unique<FeedUpdater>(session->application(), *session->defaults(),
                                             session->loop(), worker, location,
                                             *Version::parse("1.4.2"));
    }
    // Writes the feed into the home folder and returns its path.
    std::string writeFeed(const std::string& document) {
        auto path = session.home() / "feed.json";
        testing::writeFile(path, document);
        return path.string();
    }
    // Lets the worker finish every read asked for so far, then runs what the
    // reads handed to the main loop.
    void settle() {
        worker->drain();
        session->loop()->drain();
    }
    const std::vector<SimApplication::PresentedAlert>& alerts() {
        return session->application().presentedAlerts();
    }

    testing::TestSession session;
    testing::LogCapture log;
    std::shared_ptr<SerialQueue> worker = std::make_shared<SerialQueue>("com.tolvane.updates.test");
};

} // namespace tolvane
