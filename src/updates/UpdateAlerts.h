#pragma once

#include "platform/Alert.h"
#include "updates/UpdateFeed.h"
#include "updates/Version.h"

namespace tolvane {

// What the user is told after a check: each alert has one "OK" button.
class UpdateAlerts {
  public:
    static Alert upToDate(const Version& current);
    // A newer version, with its release notes and where to get it.
    static Alert updateAvailable(const UpdateFeed& feed, const Version& current);
    // The check failed; the reason goes to the log, not to the user.
    static Alert checkFailed();
    // This copy has nowhere to look for updates.
    static Alert notSetUp(const Version& current);
};

} // namespace tolvane
