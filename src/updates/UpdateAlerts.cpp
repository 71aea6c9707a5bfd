#include "updates/UpdateAlerts.h"

namespace tolvane {

namespace {

Alert oneButtonAlert(std::string message, std::string informative, AlertStyle style) {
    Alert alert;
    alert.messageText = std::move(message);
    alert.informativeText = std::move(informative);
    alert.style = style;
    alert.buttonTitles = {"OK"};
    return alert;
}

} // namespace

Alert UpdateAlerts::upToDate(const Version& current) {
    return oneButtonAlert("You're up to date!",
                          "Tolvane " + current.text() +
                              " is currently the newest version available.",
                          AlertStyle::informational);
}

Alert UpdateAlerts::updateAvailable(const UpdateFeed& feed, const Version& current) {
    std::string text =
        "Tolvane " + feed.version().text() + " is now available; you have " + current.text() + ".";
    if (!feed.releaseNotes().empty()) {
        text += "\n\n" + feed.releaseNotes();
    }
    if (feed.downloadURL()) {
        text += "\n\nGet it from " + *feed.downloadURL();
    }
    return oneButtonAlert("A new version of Tolvane is available!", std::move(text),
                          AlertStyle::informational);
}

Alert UpdateAlerts::checkFailed() {
    return oneButtonAlert("Update check failed",
                          "Tolvane could not find out whether a newer version is available. "
                          "Please try again later.",
                          AlertStyle::warning);
}

Alert UpdateAlerts::notSetUp(const Version& current) {
    return oneButtonAlert("Updates are not set up",
                          "This copy of Tolvane " + current.text() +
                              " has no update feed to check. Start it with TOLVANE_UPDATE_FEED "
                              "set to a feed file or a local address to check for updates.",
                          AlertStyle::informational);
}

} // namespace tolvane
