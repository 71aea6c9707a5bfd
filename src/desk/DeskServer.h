#pragma once

#include "desk/DeskAccess.h"
#include "desk/DeskChannel.h"
#include "desk/DeskConnections.h"
#include "desk/DeskMainThread.h"
#include "desk/DeskModel.h"
#include "platform/RunLoop.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace tolvane {

class DeskHttp;

// The desk's HTTP server on the loopback interface. Its threads parse the
// requests and check their access; every look at the desktop and every
// action is a task on the main run loop, handed to the model there.
class DeskServer {
  public:
    // Binds 127.0.0.1 at the port (0 picks a free one) and starts serving;
    // nothing, with a log line, when the port cannot be bound or is in use.
    // Each page's event stream is a reader of the channel.
    static std::unique_ptr<DeskServer> start(std::shared_ptr<RunLoop> loop, DeskModel& model,
                                             DeskChannel& channel, int port);
    ~DeskServer();
    DeskServer(const DeskServer&) = delete;
    DeskServer& operator=(const DeskServer&) = delete;

    // Where the desk is: http://127.0.0.1:<port>/, fit for the log.
    std::string origin() const;
    // The address to open, with the token: http://127.0.0.1:<port>/?token=...
    std::string address() const;
    // Main thread: the application opens a modal alert. The action that
    // opened it is answered as accepted; the alert's answer comes later.
    void modalAlertOpens();
    // Answers at once every request waiting for the main loop, which runs
    // no more; lets the open pages hear the last state (waiting a moment for
    // them), then stops serving.
    void stop();

  private:
    DeskServer(std::shared_ptr<RunLoop> loop, DeskModel& model, DeskChannel& channel,
               std::string token, std::unique_ptr<DeskConnections> connections);
    void installRoutes();
    void logRefusal(const std::string& reason, const std::string& path);

    DeskMainThread mainThread_;
    DeskModel& model_;
    DeskChannel& channel_;
    std::string token_;
    DeskAccess access_;
    std::unique_ptr<DeskHttp> http_;
    std::unique_ptr<DeskConnections> connections_;
    std::atomic<std::uint64_t> refusals_ = 0;
};

} // namespace tolvane
