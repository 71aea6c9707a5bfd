#pragma once

#include "platform/Application.h"
#include "platform/DefaultsStore.h"
#include "platform/Result.h"
#include "platform/RunLoop.h"
#include "platform/SerialQueue.h"
#include "platform/Updater.h"
#include "updates/FeedLocation.h"
#include "updates/FeedRead.h"
#include "updates/UpdateFeed.h"
#include "updates/Version.h"

#include <memory>
#include <optional>
#include <string>

namespace tolvane {

// The updater: reads the update feed (see UpdateFeed) from a file or a
// loopback HTTP server on a worker queue, compares its version with this
// build's and tells the user through a modal alert. Checks never block the
// main thread; their results come back as work on the main run loop.
//
// Without a feed location nothing is checked: each check only logs that no
// feed is configured. A location that is neither a file nor loopback HTTP is
// refused when the updater starts, and every check then fails.
class FeedUpdater final : public Updater {
  public:
    // A check that has not read the whole feed this long after it started
    // fails, however steadily the feed trickles in.
    static constexpr int checkDeadlineSeconds = 5;
    // A boolean in the application's defaults; absent means on.
    static constexpr const char* automaticChecksKey = "tolvane.updates.automatic_checks";
    // Where the program takes the feed location from.
    static constexpr const char* feedLocationVariable = "TOLVANE_UPDATE_FEED";

    // The version of this build, the project's version.
    static Version applicationVersion();

    // Starts the updater. The worker runs the feed reads; results are posted
    // to mainLoop. feedLocation is none or empty when updates are not set up.
    FeedUpdater(Application& application, DefaultsStore& defaults,
                std::shared_ptr<RunLoop> mainLoop, std::shared_ptr<SerialQueue> worker,
                const std::optional<std::string>& feedLocation,
                Version currentVersion = applicationVersion());
    // A read still running is cancelled and its result dropped, so that a
    // quitting program waits for it a second at most.
    ~FeedUpdater() override;
    FeedUpdater(const FeedUpdater&) = delete;
    FeedUpdater& operator=(const FeedUpdater&) = delete;

    // A value of another type reads as on, with a warning.
    bool automaticallyChecksForUpdates() const override;
    // Alerts the user only when a newer version is found.
    void checkForUpdatesInBackground() override;
    // Alerts the user with whatever the check found. Asked while a background
    // check is running, it shows that check's result instead of starting another.
    void checkForUpdates() override;

  private:
    void startCheck(bool byUser);
    void finishCheck(const Result<UpdateFeed>& feed);
    void report(const Result<UpdateFeed>& feed, bool byUser);
    void present(Alert alert);

    Application& application_;
    DefaultsStore& defaults_;
    std::shared_ptr<RunLoop> mainLoop_;
    std::shared_ptr<SerialQueue> worker_;
    // None when no location is configured; a failure when it was refused.
    std::optional<Result<FeedLocation>> feedLocation_;
    Version currentVersion_;
    // The check's read while one runs, and the end of its time.
    std::shared_ptr<FeedRead> read_;
    Cancellable deadline_;
    bool reportToUser_ = false;
    // Results posted back to the main loop run only while this is alive.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace tolvane
