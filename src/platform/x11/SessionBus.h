#pragma once

#include "platform/Environment.h"
#include "platform/RunLoop.h"

#include <memory>
#include <string>
#include <systemd/sd-bus.h>

namespace tolvane {

// The program's connection to the user's session bus (DBUS_SESSION_BUS_ADDRESS).
// Its descriptor is a readable source of the main run loop: after every
// wake-up the connection handles everything it has, sends what it queued and
// arms a timer for its next timeout, so replies and method calls run on the
// main thread like every other piece of work. Main thread only.
class SessionBus {
  public:
    // The bus, or none with a log line when it cannot be reached.
    static std::unique_ptr<SessionBus> open(const std::shared_ptr<RunLoop>& loop,
                                            const Environment& environment);
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    sd_bus* get() const { return bus_; }
    // This connection's unique name, such as ":1.42".
    std::string uniqueName() const;
    // Handles what arrived and sends what is queued, without blocking on the
    // peer; whether anything was handled.
    bool dispatch();

  private:
    SessionBus(sd_bus* bus, std::shared_ptr<RunLoop> loop);
    void armTimeout();

    sd_bus* bus_;
    std::shared_ptr<RunLoop> loop_;
    RunLoop::SourceID source_ = 0;
    Cancellable timeout_;
    bool dispatching_ = false;
    bool closed_ = false;
};

} // namespace tolvane
