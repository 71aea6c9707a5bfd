#include "updates/FeedUpdater.h"

#include "log/AppLog.h"
#include "updates/FeedFetcher.h"
#include "updates/UpdateAlerts.h"

namespace tolvane {

namespace {

const char* triggerName(bool byUser) {
    return byUser ? "user" : "background";
}

Result<UpdateFeed> readFeed(const FeedLocation& location, FeedRead& read) {
    auto document = FeedFetcher::fetch(location, read);
    if (!document) {
        return document.failure();
    }
    return UpdateFeed::parse(document.value());
}

} // namespace

Version FeedUpdater::applicationVersion() {
    // CMake accepts only dotted numbers as a project version.
    return *Version::parse(TOLVANE_VERSION);
}

FeedUpdater::FeedUpdater(Application& application, DefaultsStore& defaults,
                         std::shared_ptr<RunLoop> mainLoop, std::shared_ptr<SerialQueue> worker,
                         const std::optional<std::string>& feedLocation, Version currentVersion)
    : application_(application), defaults_(defaults), mainLoop_(std::move(mainLoop)),
      worker_(std::move(worker)), currentVersion_(std::move(currentVersion)) {
    if (!feedLocation || feedLocation->empty()) {
        AppLog::info("Updater started without an update feed (set " +
                     std::string(feedLocationVariable) + ") version=" + currentVersion_.text());
        return;
    }
    feedLocation_ = FeedLocation::parse(*feedLocation);
    if (!*feedLocation_) {
        AppLog::error("Updater started with an unusable update feed: " + feedLocation_->error() +
                      " version=" + currentVersion_.text());
        return;
    }
    AppLog::info("Updater started feed=" + feedLocation_->value().description() +
                 " version=" + currentVersion_.text());
}

FeedUpdater::~FeedUpdater() {
    deadline_.cancel();
    if (read_) {
        read_->cancel("the updater stopped");
    }
}

bool FeedUpdater::automaticallyChecksForUpdates() const {
    auto value = defaults_.objectForKey(automaticChecksKey);
    if (!value) {
        return true;
    }
    if (auto enabled = value->booleanValue()) {
        return *enabled;
    }
    AppLog::warn("Updater setting is not a boolean; automatic checks stay on key=" +
                 std::string(automaticChecksKey) +
                 " type=" + std::string(PropertyList::typeName(value->type())));
    return true;
}

void FeedUpdater::checkForUpdatesInBackground() {
    startCheck(false);
}

void FeedUpdater::checkForUpdates() {
    startCheck(true);
}

void FeedUpdater::startCheck(bool byUser) {
    if (!feedLocation_) {
        AppLog::info(std::string("Update check skipped: no update feed is configured trigger=") +
                     triggerName(byUser));
        // A user who asked is told, so that the menu item does not seem dead.
        if (byUser) {
            present(UpdateAlerts::notSetUp(currentVersion_));
        }
        return;
    }
    if (!*feedLocation_) {
        report(feedLocation_->failure(), byUser);
        return;
    }
    if (read_) {
        AppLog::info(std::string("Update check already running; request joined trigger=") +
                     triggerName(byUser));
        reportToUser_ = reportToUser_ || byUser;
        return;
    }
    read_ = std::make_shared<FeedRead>();
    reportToUser_ = byUser;
    const FeedLocation& location = feedLocation_->value();
    AppLog::info("Update check started feed=" + location.description() +
                 " trigger=" + triggerName(byUser));
    deadline_ = mainLoop_->after(checkDeadlineSeconds, [read = read_] {
        read->cancel("the feed was not read in full within " +
                     std::to_string(checkDeadlineSeconds) + " seconds");
    });

    // The worker touches nothing of this object: it reads the feed and posts
    // the result to the main loop, where it counts only while we still exist.
    std::weak_ptr<RunLoop> loop = mainLoop_;
    std::weak_ptr<bool> alive = alive_;
    worker_->async([this, location, read = read_, loop, alive] {
        auto feed = readFeed(location, *read);
        if (auto mainLoop = loop.lock()) {
            mainLoop->post([this, alive, feed = std::move(feed)] {
                if (alive.lock()) {
                    finishCheck(feed);
                }
            });
        }
    });
}

void FeedUpdater::finishCheck(const Result<UpdateFeed>& feed) {
    bool byUser = reportToUser_;
    deadline_.cancel();
    read_.reset();
    reportToUser_ = false;
    report(feed, byUser);
}

void FeedUpdater::report(const Result<UpdateFeed>& feed, bool byUser) {
    std::string fields =
        std::string(" current=") + currentVersion_.text() + " trigger=" + triggerName(byUser);
    if (!feed) {
        AppLog::warn("Update check failed: " + feed.error() + fields);
        if (byUser) {
            present(UpdateAlerts::checkFailed());
        }
        return;
    }
    if (feed->version() > currentVersion_) {
        AppLog::info("Update available version=" + feed->version().text() + fields);
        present(UpdateAlerts::updateAvailable(feed.value(), currentVersion_));
        return;
    }
    AppLog::info("Update check found no newer version feed=" + feed->version().text() + fields);
    if (byUser) {
        present(UpdateAlerts::upToDate(currentVersion_));
    }
}

void FeedUpdater::present(Alert alert) {
    application_.runModal(alert);
}

} // namespace tolvane
