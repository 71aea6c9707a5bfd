#include "UpdaterFixture.h"

#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <gmock/gmock.h>
#include <httplib.h>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace tolvane {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

// An HTTP server on an ephemeral port of 127.0.0.1, answering on its own threads.
class FeedServer {
  public:
    explicit FeedServer(const std::function<void(httplib::Server&)>& routes) {
        routes(server_);
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // Once it has answered, it is running, and stop() below will end it.
        httplib::Client(std::string("127.0.0.1"), port_).Get("/");
    }
    ~FeedServer() {
        server_.stop();
        thread_.join();
    }
    std::string url(const std::string& host, const std::string& path) const {
        return "http://" + host + ":" + std::to_string(port_) + path;
    }

  private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

void serve(httplib::Server& server, const std::string& path, const std::string& document) {
    server.Get(path, [document](const httplib::Request&, httplib::Response& response) {
        response.set_content(document, "application/json");
    });
}

TEST_F(UpdaterTest, ChecksAFeedServedOnThisMachineAndServerFailuresFailTheCheck) {
    FeedServer server([](httplib::Server& routes) {
        serve(routes, "/feed.json",
              R"({"version":"1.5","notes":"Dots.","url":"http://127.0.0.1/get"})");
        serve(routes, "/current.json", R"({"version":"1.4.2"})");
        serve(routes, "/huge", std::string(1024 * 1024 + 1, ' '));
        serve(routes, "/text", "<html>Not here</html>");
        routes.Get("/moved", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("http://updates.example.org/feed.json");
        });
        // Without a length: the size is counted as the bytes arrive.
        routes.Get("/endless", [](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider(
                "application/json", [](std::size_t, httplib::DataSink& sink) {
                    return sink.write(std::string(64 * 1024, ' ').data(), 64 * 1024);
                });
        });
    });
    const std::string failed = "Update check failed";
    struct Case {
        std::string location;
        std::string message;
        std::string logLine; // the check's last, without " current=1.4.2 trigger=user"
    };
    const Case cases[] = {
        {server.url("127.0.0.1", "/feed.json"), "A new version of Tolvane is available!",
         "[INFO] Update available version=1.5"},
        {server.url("LocalHost", "/current.json"), "You're up to date!",
         "[INFO] Update check found no newer version feed=1.4.2"},
        {server.url("127.0.0.1", "/missing"), failed,
         "[WARN] Update check failed: the feed server answered with HTTP status 404"},
        {server.url("127.0.0.1", "/moved"), failed,
         "[WARN] Update check failed: the feed server answered with HTTP status 302"},
        {server.url("127.0.0.1", "/huge"), failed,
         "[WARN] Update check failed: the feed is larger than 1048576 bytes"},
        {server.url("127.0.0.1", "/endless"), failed,
         "[WARN] Update check failed: the feed is larger than 1048576 bytes"},
        {server.url("127.0.0.1", "/text"), failed,
         "[WARN] Update check failed: the feed is not valid JSON (at byte 1)"},
        {"http://127.0.0.1:1/feed.json", failed,
         "[WARN] Update check failed: the request to the feed server failed (Connection)"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.location);
        std::size_t shown = alerts().size();
        auto updater = makeUpdater(test.location);
        updater->checkForUpdates();
        settle();
        ASSERT_EQ(alerts().size(), shown + 1);
        EXPECT_EQ(alerts().back().alert.messageText, test.message);
        EXPECT_EQ(log.takeLines().back(), test.logLine + " current=1.4.2 trigger=user");
    }
    EXPECT_EQ(alerts().front().alert.informativeText,
              "Tolvane 1.5 is now available; you have 1.4.2.\n\nDots.\n\n"
              "Get it from http://127.0.0.1/get");
}

// A feed server on 127.0.0.1 that never finishes an answer: it sends one
// byte every 50 ms, from the status line on, for a minute, far longer than any
// check may take, then hangs up. One connection at a time.
class TricklingServer {
  public:
    TricklingServer() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* generic = reinterpret_cast<sockaddr*>(&address);
        if (bind(listener_, generic, length) != 0 || listen(listener_, 4) != 0 ||
            getsockname(listener_, generic, &length) != 0) {
            throw std::runtime_error("no loopback port for the trickling server");
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~TricklingServer() {
        stopping_ = true;
        shutdown(listener_, SHUT_RDWR); // ends the accept
        thread_.join();
        close(listener_);
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/feed.json"; }
    // Waits, a minute at most, until the server has taken this many connections.
    bool waitForConnections(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::minutes(1), [&] { return accepted_ >= count; });
    }
    // Whether some answer was sent to its end: its client waited it out.
    bool trickledToTheEnd() const { return trickledToTheEnd_; }

  private:
    void serve() {
        const std::string start = "HTTP/1.1 200 OK\r\nX-Trickle: ";
        for (int connection; (connection = accept(listener_, nullptr, nullptr)) >= 0;) {
            {
                std::lock_guard lock(mutex_);
                ++accepted_;
            }
            changed_.notify_all();
            std::size_t sent = 0;
            for (; sent < 1200 && !stopping_; ++sent) {
                const char byte = sent < start.size() ? start[sent] : 'a';
                if (send(connection, &byte, 1, MSG_NOSIGNAL) != 1) {
                    break; // the client hung up
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            trickledToTheEnd_ = trickledToTheEnd_ || sent == 1200;
            close(connection);
        }
    }

    int listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    int accepted_ = 0;
    std::atomic<bool> stopping_ = false;
    std::atomic<bool> trickledToTheEnd_ = false;
    std::thread thread_;
};

TEST_F(UpdaterTest, ACheckEndsAtItsDeadlineAndQuittingNeverWaitsForOne) {
    TricklingServer server;
    // The main loop runs on while the feed trickles in. "Check for
    // Updates..." joins the background check; at the deadline the check
    // fails, however steadily the bytes come.
    auto updater = makeUpdater(server.url());
    log.takeLines();
    updater->checkForUpdatesInBackground();
    ASSERT_TRUE(server.waitForConnections(1));
    updater->checkForUpdates();
    session->loop()->advance(FeedUpdater::checkDeadlineSeconds);
    settle();
    ASSERT_EQ(alerts().size(), 1u);
    EXPECT_EQ(alerts()[0].alert.messageText, "Update check failed");
    EXPECT_THAT(log.takeLines(),
                ElementsAre(StartsWith("[INFO] Update check started feed="),
                            "[INFO] Update check already running; request joined trigger=user",
                            "[WARN] Update check failed: the feed was not read in full within 5 "
                            "seconds current=1.4.2 trigger=user"));

    // The program quits during a check: its updater holds the last reference
    // to its worker, so going away waits for the read, which it cancels. A
    // wait for the read itself would outlast the trickle.
    updater = std::make_unique<FeedUpdater>(
        session->application(), *session->defaults(), session->loop(),
        std::make_shared<SerialQueue>("com.tolvane.quit"), server.url(), *Version::parse("1.4.2"));
    updater->checkForUpdatesInBackground();
    ASSERT_TRUE(server.waitForConnections(2));
    updater.reset();
    EXPECT_FALSE(server.trickledToTheEnd());
    session->loop()->drain(); // the cancelled read's result is dropped
    EXPECT_EQ(alerts().size(), 1u);
    EXPECT_THAT(log.takeLines(), Not(Contains(HasSubstr("Update check failed"))));
}

} // namespace
} // namespace tolvane
