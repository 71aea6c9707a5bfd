#include "desk/DeskServer.h"

#include "desk/DeskArguments.h"
#include "desk/DeskPage.h"
#include "log/AppLog.h"

#include <chrono>
#include <future>
#include <httplib.h>

namespace tolvane {

namespace {

// How long a request waits for the main thread, which may be busy decorating.
constexpr auto mainThreadPatience = std::chrono::seconds(10);
// An action that opens a modal alert goes on running; its request does not wait for it.
constexpr auto actionPatience = std::chrono::milliseconds(500);
// A quiet event stream still says something now and then, so that a closed page is noticed.
constexpr double keepAliveSeconds = 15;

// Runs the work on the main run loop and waits for its result up to the patience.
template <typename Result>
std::optional<Result> onMainThread(RunLoop& loop, std::function<Result()> work,
                                   std::chrono::milliseconds patience) {
    auto promise = std::make_shared<std::promise<Result>>();
    std::future<Result> future = promise->get_future();
    loop.post([promise, work = std::move(work)] { promise->set_value(work()); });
    if (future.wait_for(patience) != std::future_status::ready) {
        return std::nullopt;
    }
    return future.get();
}

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

} // namespace

std::unique_ptr<DeskServer> DeskServer::start(std::shared_ptr<RunLoop> loop, DeskModel& model,
                                              DeskChannel& channel, int port) {
    const std::optional<std::string> token = DeskAccess::makeToken();
    if (!token) {
        AppLog::error("Desk not started: no random token");
        return nullptr;
    }
    std::unique_ptr<DeskServer> desk(new DeskServer(std::move(loop), model, channel, *token));
    desk->port_ = port == 0 ? desk->server_->bind_to_any_port("127.0.0.1")
                            : (desk->server_->bind_to_port("127.0.0.1", port) ? port : -1);
    if (desk->port_ <= 0) {
        AppLog::error("Desk not started: cannot listen on 127.0.0.1 port " + std::to_string(port));
        return nullptr;
    }
    desk->access_.emplace(*token, desk->port_);
    desk->installRoutes();
    desk->thread_ = std::thread([server = desk->server_.get()] { server->listen_after_bind(); });
    return desk;
}

DeskServer::DeskServer(std::shared_ptr<RunLoop> loop, DeskModel& model, DeskChannel& channel,
                       std::string token)
    : loop_(std::move(loop)), model_(model), channel_(channel),
      server_(std::make_unique<httplib::Server>()), token_(std::move(token)) {}

DeskServer::~DeskServer() {
    stop();
}

std::string DeskServer::address() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/?token=" + token_;
}

void DeskServer::stop() {
    channel_.close();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (openStreams_ > 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    server_->stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void DeskServer::installRoutes() {
    httplib::Server& server = *server_;
    server.set_payload_max_length(16 * 1024);
    server.set_read_timeout(5, 0);
    server.set_keep_alive_timeout(2);
    // Each open page holds a thread for its event stream.
    server.new_task_queue = [] { return new httplib::ThreadPool(16); };
    server.set_default_headers(
        {{"Content-Security-Policy",
          "default-src 'self'; img-src 'self' data:; frame-ancestors 'none'; base-uri 'none'"},
         {"X-Content-Type-Options", "nosniff"},
         {"Referrer-Policy", "no-referrer"},
         {"Cache-Control", "no-store"}});
    server.set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response) {
            if (auto refusal = access_->refusal(describe(request))) {
                AppLog::warn("Desk refused a request: " + *refusal + " path=" + request.path);
                answer(response, 403, "refused: " + *refusal);
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });

    server.Get("/", [this](const httplib::Request& request, httplib::Response& response) {
        if (access_->provesTokenByAddress(describe(request))) {
            // The token moves from the address into a cookie the page cannot read.
            response.set_header("Set-Cookie", access_->tokenCookie());
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
        auto seen = std::make_shared<std::uint64_t>(0);
        ++openStreams_;
        response.set_chunked_content_provider(
            "text/event-stream",
            [this, seen](std::size_t, httplib::DataSink& sink) {
                const auto message = channel_.waitForNewer(*seen, keepAliveSeconds);
                if (!message && channel_.isClosed()) {
                    sink.done();
                    return false;
                }
                std::string chunk = ": still here\n\n";
                if (message) {
                    *seen = message->number;
                    chunk = "data: " + message->text + "\n\n";
                }
                return sink.write(chunk.data(), chunk.size());
            },
            [this](bool) { --openStreams_; });
    });

    auto png = [](httplib::Response& response,
                  const std::optional<std::optional<std::vector<std::uint8_t>>>& image) {
        if (!image) {
            answer(response, 503, "the program is busy");
        } else if (!*image) {
            answer(response, 404, "no such image");
        } else {
            response.set_content(std::string((*image)->begin(), (*image)->end()), "image/png");
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
            onMainThread<std::optional<std::vector<std::uint8_t>>>(
                *loop_,
                [this, name, representation] { return model_.cursorPng(name, *representation); },
                mainThreadPatience));
    });
    server.Get("/displayed", [this, png](const httplib::Request&, httplib::Response& response) {
        png(response, onMainThread<std::optional<std::vector<std::uint8_t>>>(
                          *loop_, [this] { return model_.displayedPng(); }, mainThreadPatience));
    });

    // Actions: the body is checked here, the work is done on the main thread.
    using Action = std::function<DeskModel::Refusal(const nlohmann::json&)>;
    auto action = [this](const std::string& path, Action work) {
        server_->Post(
            path, [this, work](const httplib::Request& request, httplib::Response& response) {
                const std::optional<nlohmann::json> body = DeskArguments::bodyObject(request.body);
                if (!body) {
                    answer(response, 400, "the request body is not a JSON object");
                    return;
                }
                const auto refusal = onMainThread<DeskModel::Refusal>(
                    *loop_, [work, body] { return work(*body); }, actionPatience);
                if (!refusal) {
                    answer(response, 202, "accepted");
                } else if (*refusal) {
                    answer(response, 409, **refusal);
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
        model_.setPointerColours(DeskArguments::string(body, "fill"),
                                 DeskArguments::string(body, "outline"));
        return std::nullopt;
    });
}

} // namespace tolvane
