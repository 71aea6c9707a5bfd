#include "platform/x11/SessionBus.h"

#include "log/AppLog.h"

#include <cstring>
#include <poll.h>
#include <systemd/sd-bus.h>
#include <time.h>

namespace tolvane {

namespace {

std::string errorText(int negativeErrno) {
    return std::strerror(-negativeErrno);
}

} // namespace

std::unique_ptr<SessionBus> SessionBus::open(const std::shared_ptr<RunLoop>& loop,
                                             const Environment& environment) {
    const std::string address = environment.value("DBUS_SESSION_BUS_ADDRESS").value_or("");
    if (address.empty()) {
        AppLog::warn("Session bus: DBUS_SESSION_BUS_ADDRESS is not set; no tray icon");
        return nullptr;
    }
    sd_bus* bus = nullptr;
    int result = sd_bus_new(&bus);
    if (result >= 0) {
        result = sd_bus_set_address(bus, address.c_str());
    }
    if (result >= 0) {
        result = sd_bus_set_bus_client(bus, 1);
    }
    if (result >= 0) {
        result = sd_bus_start(bus);
    }
    if (result < 0) {
        AppLog::warn("Session bus: cannot connect to " + address + ": " + errorText(result) +
                     "; no tray icon");
        sd_bus_unref(bus);
        return nullptr;
    }
    return std::unique_ptr<SessionBus>(new SessionBus(bus, loop));
}

SessionBus::SessionBus(sd_bus* bus, std::shared_ptr<RunLoop> loop)
    : bus_(bus), loop_(std::move(loop)) {
    source_ = loop_->addReadableSource(sd_bus_get_fd(bus_), [this] { return dispatch(); });
}

SessionBus::~SessionBus() {
    timeout_.cancel();
    if (!closed_) {
        loop_->removeReadableSource(source_);
    }
    sd_bus_flush_close_unref(bus_);
}

std::string SessionBus::uniqueName() const {
    const char* name = nullptr;
    return sd_bus_get_unique_name(bus_, &name) >= 0 && name != nullptr ? name : "";
}

bool SessionBus::dispatch() {
    // A handler may send and so come back here through nothing but the loop;
    // sd_bus_process itself must not be entered twice.
    if (dispatching_ || closed_) {
        return false;
    }
    dispatching_ = true;
    bool handled = false;
    int result = 0;
    while ((result = sd_bus_process(bus_, nullptr)) > 0) {
        handled = true;
    }
    if (result < 0) {
        // A closed connection stays readable: leave the loop alone from now on.
        AppLog::warn("Session bus: the connection failed (" + errorText(result) +
                     "); the tray icon is gone");
        closed_ = true;
        loop_->removeReadableSource(source_);
        dispatching_ = false;
        return true;
    }
    // The loop waits for reading only: what could not be written yet is
    // written now, which on a local socket takes no time.
    if (sd_bus_get_events(bus_) & POLLOUT) {
        sd_bus_flush(bus_);
    }
    dispatching_ = false;
    armTimeout();
    return handled;
}

void SessionBus::armTimeout() {
    timeout_.cancel();
    std::uint64_t due = 0;
    if (sd_bus_get_timeout(bus_, &due) < 0 || due == UINT64_MAX) {
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const double nowMicroseconds =
        static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
    const double delay = (static_cast<double>(due) - nowMicroseconds) / 1e6;
    timeout_ = loop_->after(delay, [this] { dispatch(); });
}

} // namespace tolvane
