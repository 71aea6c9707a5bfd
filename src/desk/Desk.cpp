#include "desk/Desk.h"

#include "log/AppLog.h"
#include "platform/AsciiCase.h"

#include <charconv>
#include <iostream>

namespace tolvane {

namespace {

constexpr double publishInterval = 0.1;

bool deskWanted(const Environment& environment) {
    const std::string value = lowercasedASCII(environment.value("TOLVANE_DESK").value_or("1"));
    return value != "0" && value != "false" && value != "no" && value != "off";
}

int deskPort(const Environment& environment) {
    const std::string text = environment.value("TOLVANE_DESK_PORT").value_or("");
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535) {
        return 0;
    }
    return port;
}

} // namespace

std::unique_ptr<Desk> Desk::startIfWanted(SimSession& session, const Environment& environment,
                                          std::filesystem::path logFile) {
    if (!deskWanted(environment)) {
        AppLog::info("Desk off (TOLVANE_DESK)");
        return nullptr;
    }
    std::unique_ptr<Desk> desk(new Desk(session, std::move(logFile)));
    desk->server_ =
        DeskServer::start(session.loop(), desk->model_, desk->channel_, deskPort(environment));
    if (!desk->server_) {
        return nullptr;
    }
    Desk* self = desk.get();
    session.application().setAlertResponder([self](Alert& alert) {
        self->server_->modalAlertOpens();
        return self->model_.presentAlert(alert);
    });
    desk->publisher_ =
        session.loop()->every(publishInterval, [self] { self->model_.publishIfChanged(); });
    // After the launch, which is the first work of the run loop.
    session.loop()->after(0, [self] {
        // The token goes to the user alone: the log may be read by others.
        std::cout << "Tolvane desk: " << self->server_->address() << std::endl;
        AppLog::info("Desk ready at " + self->server_->origin());
    });
    return desk;
}

Desk::Desk(SimSession& session, std::filesystem::path logFile)
    : session_(session), model_(session, channel_, std::move(logFile)) {}

Desk::~Desk() {
    end();
}

void Desk::end() {
    publisher_.cancel();
    if (server_) {
        session_.application().setAlertResponder({});
        model_.publishEnded();
        server_->stop();
        server_.reset();
    }
}

} // namespace tolvane
