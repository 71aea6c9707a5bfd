#pragma once

#include "desk/DeskAccess.h"
#include "desk/DeskChannel.h"
#include "desk/DeskModel.h"
#include "platform/RunLoop.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace tolvane {

// The desk's HTTP server on the loopback interface. Its threads parse the
// requests and check their access; every look at the desktop and every
// action is a task on the main run loop, handed to the model there.
class DeskServer {
  public:
    // Binds 127.0.0.1 at the port (0 picks a free one) and starts serving;
    // nothing, with a log line, when the port cannot be bound.
    static std::unique_ptr<DeskServer> start(std::shared_ptr<RunLoop> loop, DeskModel& model,
                                             DeskChannel& channel, int port);
    ~DeskServer();
    DeskServer(const DeskServer&) = delete;
    DeskServer& operator=(const DeskServer&) = delete;

    // The address to open, with the token: http://127.0.0.1:<port>/?token=...
    std::string address() const;
    // Lets the open pages hear the last state (waiting a moment for them),
    // then stops serving; requests under way end.
    void stop();

  private:
    DeskServer(std::shared_ptr<RunLoop> loop, DeskModel& model, DeskChannel& channel,
               std::string token);
    void installRoutes();

    std::shared_ptr<RunLoop> loop_;
    DeskModel& model_;
    DeskChannel& channel_;
    std::unique_ptr<httplib::Server> server_;
    std::string token_;
    int port_ = 0;
    std::optional<DeskAccess> access_;
    std::atomic<int> openStreams_ = 0;
    std::thread thread_;
};

} // namespace tolvane
