#include "desk/DeskServer.h"

#include "desk/DeskArguments.h"
#include "desk/DeskPage.h"
#include "log/AppLog.h"
#include "log/LogFormat.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace tolvane {

namespace {

// How long a request waits for the main thread, which may be busy decorating.
constexpr auto mainThreadPatience = std::chrono::seconds(10);
// A quiet event stream still says something now and then, so that a closed page is noticed.
constexpr double keepAliveSeconds = 15;
// How long writing one piece of an answer may wait for a client that does not read.
constexpr auto writePatience = std::chrono::seconds(5);
// Refusals logged one by one; after them only a count, at 10, 100, 1000, ...
constexpr std::uint64_t refusalsLoggedInFull = 5;

bool waitFor(int socket, short events, std::chrono::steady_clock::time_point deadline) {
    pollfd wait{socket, events, 0};
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        const int ready =
            poll(&wait, 1, static_cast<int>(std::clamp<std::int64_t>(left, 0, 60'000)));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 && left <= 0) {
            return false;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

// A connection as httplib reads and writes it: first the bytes that came
// before it was handed over, then the socket, until the request's deadline.
class ConnectionStream final : public httplib::Stream {
  public:
    explicit ConnectionStream(DeskConnections::Arrival& arrival) : arrival_(arrival) {}

    bool is_readable() const override {
        return offset_ < arrival_.received.size() ||
               waitFor(arrival_.socket, POLLIN, arrival_.deadline);
    }
    bool is_writable() const override {
        return waitFor(arrival_.socket, POLLOUT, std::chrono::steady_clock::now() + writePatience);
    }
    ssize_t read(char* bytes, std::size_t size) override {
        if (offset_ < arrival_.received.size()) {
            const std::size_t count = std::min(size, arrival_.received.size() - offset_);
            std::memcpy(bytes, arrival_.received.data() + offset_, count);
            offset_ += count;
            return static_cast<ssize_t>(count);
        }
        return transfer([&] { return recv(arrival_.socket, bytes, size, 0); }, POLLIN,
                        arrival_.deadline);
    }
    ssize_t write(const char* bytes, std::size_t size) override {
        return transfer([&] { return send(arrival_.socket, bytes, size, MSG_NOSIGNAL); }, POLLOUT,
                        std::chrono::steady_clock::now() + writePatience);
    }
    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        address(getpeername, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        address(getsockname, ip, port);
    }
    socket_t socket() const override { return arrival_.socket; }

  private:
    // The socket is non-blocking: wait until it is ready, then move the bytes.
    template <typename Move>
    ssize_t transfer(Move move, short events, std::chrono::steady_clock::time_point deadline) {
        for (;;) {
            if (!waitFor(arrival_.socket, events, deadline)) {
                return -1;
            }
            const ssize_t moved = move();
            if (moved >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                return moved;
            }
        }
    }
    void address(int (*name)(int, sockaddr*, socklen_t*), std::string& ip, int& port) const {
        sockaddr_in address{};
        socklen_t size = sizeof address;
        char text[INET_ADDRSTRLEN] = {};
        if (name(arrival_.socket, reinterpret_cast<sockaddr*>(&address), &size) == 0 &&
            inet_ntop(AF_INET, &address.sin_addr, text, sizeof text)) {
            ip = text;
            port = ntohs(address.sin_port);
        }
    }

    DeskConnections::Arrival& arrival_;
    std::size_t offset_ = 0;
};

DeskRequest describe(const httplib::Request& request) {
    DeskRequest facts{request.method, request.path, request.get_header_value("Host"),
                      std::nullopt,   std::nullopt, request.get_header_value("Cookie"),
                      std::nullopt};
    if (request.has_header("Origin")) {
        facts.origin = request.get_header_value("Origin");
    }
    if (request.has_header("Sec-Fetch-Site")) {
        facts.fetchSite = request.get_header_value("Sec-Fetch-Site");
    }
    if (request.has_param("token")) {
        facts.queryToken = request.get_param_value("token");
    }
    facts.chunkedBody =
        request.get_header_value("Transfer-Encoding").find("chunked") != std::string::npos;
    return facts;
}

void answer(httplib::Response& response, int status, const std::string& text) {
    response.status = status;
    response.set_content(nlohmann::json{{"message", text}}.dump(), "application/json");
}

void answerUnanswered(httplib::Response& response, DeskMainThread::Unanswered why) {
    answer(response, 503,
           why == DeskMainThread::Unanswered::ending ? "Tolvane is quitting"
                                                     : "the program is busy");
}

bool isPowerOfTen(std::uint64_t number) {
    while (number >= 10 && number % 10 == 0) {
        number /= 10;
    }
    return number == 1;
}

} // namespace

// httplib's reading, routing and answering of requests, fed with the
// connections DeskConnections accepted; it never listens itself.
class DeskHttp final : public httplib::Server {
  public:
    // httplib streams a chunked answer only while its own socket is set.
    DeskHttp() { svr_sock_ = 0; }

    // One request per connection: the connection closes after the answer.
    void serve(DeskConnections::Arrival& arrival) {
        ConnectionStream stream(arrival);
        bool closed = false;
        process_request(stream, true, closed, nullptr);
    }
};

std::unique_ptr<DeskServer> DeskServer::start(std::shared_ptr<RunLoop> loop, DeskModel& model,
                                              DeskChannel& channel, int port) {
    const std::optional<std::string> token = DeskAccess::makeToken();
    if (!token) {
        AppLog::error("Desk not started: no random token");
        return nullptr;
    }
    auto connections = DeskConnections::listen(port);
    if (!connections) {
        AppLog::error("Desk not started: " + connections.error());
        return nullptr;
    }
    std::unique_ptr<DeskServer> desk(
        new DeskServer(std::move(loop), model, channel, *token, std::move(connections).value()));
    desk->installRoutes();
    desk->connections_->start(
        [http = desk->http_.get()](DeskConnections::Arrival& arrival) { http->serve(arrival); });
    return desk;
}

DeskServer::DeskServer(std::shared_ptr<RunLoop> loop, DeskModel& model, DeskChannel& channel,
                       std::string token, std::unique_ptr<DeskConnections> connections)
    : mainThread_(std::move(loop)), model_(model), channel_(channel), token_(token),
      access_(std::move(token), connections->port()), http_(std::make_unique<DeskHttp>()),
      connections_(std::move(connections)) {}

DeskServer::~DeskServer() {
    stop();
}

std::string DeskServer::origin() const {
    return "http://127.0.0.1:" + std::to_string(connections_->port()) + "/";
}

std::string DeskServer::address() const {
    return origin() + "?token=" + token_;
}

void DeskServer::stop() {
    mainThread_.close();
    channel_.close();
    channel_.waitUntilNoReaders(1.0);
    connections_->stop();
    if (const std::uint64_t count = refusals_.exchange(0); count > refusalsLoggedInFull) {
        AppLog::info("Desk refused " + std::to_string(count) + " requests in all");
    }
}

void DeskServer::modalAlertOpens() {
    mainThread_.modalAlertOpens();
}

void DeskServer::logRefusal(const std::string& reason, const std::string& path) {
    const std::uint64_t count = ++refusals_;
    if (count <= refusalsLoggedInFull) {
        AppLog::warn("Desk refused a request: " + logformat::outsideText(reason) +
                     " path=" + logformat::outsideText(path));
    } else if (isPowerOfTen(count)) {
        AppLog::warn("Desk refused " + std::to_string(count) + " requests so far; only the first " +
                     std::to_string(refusalsLoggedInFull) + " are logged in full");
    }
}

void DeskServer::installRoutes() {
    httplib::Server& server = *http_;
    server.set_payload_max_length(16 * 1024);
    server.set_default_headers(
        {{"Content-Security-Policy",
          "default-src 'self'; img-src 'self' data:; frame-ancestors 'none'; base-uri 'none'"},
         {"X-Content-Type-Options", "nosniff"},
         {"Referrer-Policy", "no-referrer"},
         {"Cache-Control", "no-store"}});
    server.set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response) {
            if (auto refusal = access_.refusal(describe(request))) {
                logRefusal(*refusal, request.path);
                answer(response, 403, "refused: " + *refusal);
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });

    server.Get("/", [this](const httplib::Request& request, httplib::Response& response) {
        if (access_.provesTokenByAddress(describe(request))) {
            // The token moves from the address into a cookie the page cannot read.
            response.set_header("Set-Cookie", access_.tokenCookie());
            response.set_redirect("/", 303);
            return;
        }
        const DeskPageFile page = deskPageFile("index.html").value();
        response.set_content(std::string(page.content), page.mimeType);
    });
    for (const char* file : {"desk.js", "desk.css"}) {
        server.Get(std::string("/") + file,
                   [file](const httplib::Request&, httplib::Response& response) {
                       const DeskPageFile page = deskPageFile(file).value();
                       response.set_content(std::string(page.content), page.mimeType);
                   });
    }
    server.Get("/api/state", [this](const httplib::Request&, httplib::Response& response) {
        const DeskChannel::Message latest = channel_.latest();
        response.set_content(latest.number == 0 ? "{}" : latest.text, "application/json");
    });
    server.Get("/events", [this](const httplib::Request&, httplib::Response& response) {
        const std::uint64_t reader = channel_.join();
        auto seen = std::make_shared<std::uint64_t>(0);
        response.set_chunked_content_provider(
            "text/event-stream",
            [this, reader, seen](std::size_t, httplib::DataSink& sink) {
                const DeskChannel::Wait wait =
                    channel_.waitForNewer(reader, *seen, keepAliveSeconds);
                std::string chunk = ": still here\n\n";
                if (wait.state == DeskChannel::ReaderState::replaced) {
                    chunk = "event: replaced\ndata: {}\n\n"; // a newer page took its place
                } else if (wait.message) {
                    *seen = wait.message->number;
                    chunk = "data: " + wait.message->text + "\n\n";
                } else if (wait.state == DeskChannel::ReaderState::closed) {
                    sink.done();
                    return true;
                }
                if (!sink.write(chunk.data(), chunk.size())) {
                    return false;
                }
                if (wait.state == DeskChannel::ReaderState::replaced) {
                    sink.done();
                }
                return true;
            },
            [this, reader](bool) { channel_.leave(reader); });
    });

    auto png = [](httplib::Response& response,
                  const std::variant<std::optional<std::vector<std::uint8_t>>,
                                     DeskMainThread::Unanswered>& result) {
        if (const auto* why = std::get_if<DeskMainThread::Unanswered>(&result)) {
            answerUnanswered(response, *why);
        } else if (const auto& image = std::get<0>(result); !image) {
            answer(response, 404, "no such image");
        } else {
            response.set_content(std::string(image->begin(), image->end()), "image/png");
        }
    };
    server.Get("/cursor", [this, png](const httplib::Request& request,
                                      httplib::Response& response) {
        const std::string name = request.get_param_value("name");
        const std::optional<std::size_t> representation =
            DeskArguments::representation(request.get_param_value("rep"));
        if (!representation) {
            answer(response, 400, "rep must be a number");
            return;
        }
        png(response,
            mainThread_.call<std::optional<std::vector<std::uint8_t>>>(
                [this, name, representation] { return model_.cursorPng(name, *representation); },
                mainThreadPatience));
    });
    server.Get("/displayed", [this, png](const httplib::Request&, httplib::Response& response) {
        png(response, mainThread_.call<std::optional<std::vector<std::uint8_t>>>(
                          [this] { return model_.displayedPng(); }, mainThreadPatience));
    });

    // Actions: the body is checked here, the work is done on the main thread.
    using Action = std::function<DeskModel::Refusal(const nlohmann::json&)>;
    auto action = [this](const std::string& path, Action work) {
        http_->Post(
            path, [this, work](const httplib::Request& request, httplib::Response& response) {
                const std::optional<nlohmann::json> body = DeskArguments::bodyObject(request.body);
                if (!body) {
                    answer(response, 400, "the request body is not a JSON object");
                    return;
                }
                const auto result = mainThread_.call<DeskModel::Refusal>(
                    [work, body] { return work(*body); }, mainThreadPatience);
                if (const auto* why = std::get_if<DeskMainThread::Unanswered>(&result)) {
                    // The action goes on: it waits for the main thread, or in the
                    // alert it opened for the user's answer.
                    if (*why == DeskMainThread::Unanswered::busy) {
                        answer(response, 202, "accepted");
                    } else {
                        answerUnanswered(response, *why);
                    }
                } else if (const DeskModel::Refusal& refusal = std::get<0>(result)) {
                    answer(response, 409, *refusal);
                } else {
                    answer(response, 200, "done");
                }
            });
    };
    action("/api/menu", [this](const nlohmann::json& body) -> DeskModel::Refusal {
        const auto path = DeskArguments::menuPath(body);
        return path ? model_.chooseMenuItem(*path) : "path must be a list of menu indexes";
    });
    action("/api/input-source", [this](const nlohmann::json& body) -> DeskModel::Refusal {
        const auto id = DeskArguments::string(body, "id");
        return id ? model_.selectInputSource(*id) : "id must be a string";
    });
    action("/api/notifications", [this](const nlohmann::json& body) -> DeskModel::Refusal {
        const auto enabled = DeskArguments::boolean(body, "enabled");
        if (!enabled) {
            return "enabled must be true or false";
        }
        model_.setNotificationsEnabled(*enabled);
        return std::nullopt;
    });
    action("/api/alert", [this](const nlohmann::json& body) -> DeskModel::Refusal {
        const auto alert = DeskArguments::alertAnswer(body);
        if (!alert) {
            return "id and button must be numbers and text a string";
        }
        return model_.answerAlert(alert->id, alert->button, alert->text);
    });
    action("/api/key", [this](const nlohmann::json& body) -> DeskModel::Refusal {
        const auto type = DeskArguments::string(body, "type");
        return type ? model_.pressKey(*type) : "type must be a string";
    });
    action("/api/pointer-colours", [this](const nlohmann::json& body) -> DeskModel::Refusal {
        const auto colours = DeskArguments::pointerColours(body);
        if (!colours) {
            return "fill and outline must each be a colour #rrggbb";
        }
        return model_.setPointerColours(colours->fill, colours->outline);
    });
}

} // namespace tolvane
