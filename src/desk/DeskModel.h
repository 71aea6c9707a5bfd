#pragma once

#include "desk/DeskChannel.h"
#include "platform/Alert.h"
#include "platform/sim/SimSession.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// The simulated desktop as the desk shows it, and what the desk's user may do
// to it. Everything here runs on the main thread: the server hands requests
// over as tasks on the main run loop.
class DeskModel {
  public:
    // A failed request: the text says why, for the page.
    using Refusal = std::optional<std::string>;

    DeskModel(SimSession& session, DeskChannel& channel, std::filesystem::path logFile);

    // Publishes the state when it differs from the last one published.
    void publishIfChanged();
    // The program has ended: the page says so.
    void publishEnded();

    // The user chooses the menu item at these indexes, from the status
    // item's menu down through submenus.
    Refusal chooseMenuItem(const std::vector<int>& path);
    // The user picks a layout in the input menu.
    Refusal selectInputSource(const std::string& sourceID);
    // Whether layout switches post the change notification.
    void setNotificationsEnabled(bool enabled);
    // The user answers one of the open alerts with a button, after typing
    // the text into its field (when it has one).
    Refusal answerAlert(std::uint64_t alertID, int button, const std::string& text);
    // A key ("keyDown"), a modifier ("flagsChanged") or the Caps Lock key
    // ("capsLock", which also locks or unlocks) on the typing pad.
    Refusal pressKey(const std::string& type);
    // The Accessibility pointer colours: custom fill and outline ("#rrggbb"),
    // or, with neither, the standard pointer. Refused when they cannot be saved.
    Refusal setPointerColours(const std::optional<std::string>& fill,
                              const std::optional<std::string>& outline);

    // One representation of a registered cursor's first frame as PNG.
    std::optional<std::vector<std::uint8_t>> cursorPng(const std::string& name,
                                                       std::size_t representation) const;
    // The pixels on screen as PNG.
    std::optional<std::vector<std::uint8_t>> displayedPng() const;

    // Presents an alert of the application on the page and waits, running
    // the main loop, until the page answers it or the application ends.
    // Another alert may open meanwhile: the page shows every open alert.
    ModalResponse presentAlert(Alert& alert);

  private:
    struct Answer {
        int button;
        std::string text;
    };
    // An alert on the page. Answered, it leaves the page; its modal loop
    // returns once the loops of the alerts opened over it have returned.
    struct OpenAlert {
        std::uint64_t id;
        Alert alert;
        std::optional<Answer> answer;
    };
    std::vector<OpenAlert>::iterator findAlert(std::uint64_t alertID);

    nlohmann::json state() const;
    nlohmann::json menuState() const;
    nlohmann::json inputSourcesState() const;
    nlohmann::json cursorsState() const;
    nlohmann::json accessibilityState() const;
    nlohmann::json logTail() const;
    void publish(nlohmann::json state);

    SimSession& session_;
    DeskChannel& channel_;
    std::filesystem::path logFile_;
    bool notificationsEnabled_ = true;
    std::vector<OpenAlert> openAlerts_; // in the order they opened
    std::uint64_t alertsShown_ = 0;
    bool ended_ = false;
    std::string lastPublished_;
};

} // namespace tolvane
