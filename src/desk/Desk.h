#pragma once

#include "desk/DeskChannel.h"
#include "desk/DeskModel.h"
#include "desk/DeskServer.h"
#include "platform/Environment.h"
#include "platform/sim/SimSession.h"

#include <filesystem>
#include <memory>

namespace tolvane {

// The desk of a program that runs on the simulated session: the server, the
// state it publishes ten times a second, and the page's part in alerts.
class Desk {
  public:
    // TOLVANE_DESK set to "0", "false", "no" or "off" turns the desk off;
    // TOLVANE_DESK_PORT picks its port (a free one otherwise). Prints the
    // address with its token once the application has launched.
    static std::unique_ptr<Desk> startIfWanted(SimSession& session, const Environment& environment,
                                               std::filesystem::path logFile);
    ~Desk();

    // The program has ended: the page says so, then the server stops.
    void end();

  private:
    Desk(SimSession& session, std::filesystem::path logFile);

    SimSession& session_;
    DeskChannel channel_;
    DeskModel model_;
    std::unique_ptr<DeskServer> server_;
    Cancellable publisher_;
};

} // namespace tolvane
