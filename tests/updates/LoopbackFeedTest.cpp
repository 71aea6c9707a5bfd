#include "UpdaterFixture.h"

#include <functional>
#include <future>
#include <gmock/gmock.h>
#include <httplib.h>
#include <mutex>
#include <thread>

namespace tolvane {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

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

// Holds a request in the server until the test opens it.
class Gate {
  public:
    // Once; later calls do nothing.
    void open() {
        std::call_once(opened_, [this] { promise_.set_value(); });
    }
    void wait() const { future_.wait(); }

  private:
    std::promise<void> promise_;
    std::shared_future<void> future_ = promise_.get_future().share();
    std::once_flag opened_;
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

// A server that holds back its answer, a feed of version 2.0, until the test
// opens the gate.
class SlowServerTest : public UpdaterTest {
  protected:
    ~SlowServerTest() override { answer.open(); } // so that the server can stop

    Gate requested;
    Gate answer;
    FeedServer server{[this](httplib::Server& routes) {
        routes.Get("/slow", [this](const httplib::Request&, httplib::Response& response) {
            requested.open();
            answer.wait();
            response.set_content(R"({"version":"2.0"})", "application/json");
        });
    }};
    std::unique_ptr<FeedUpdater> updater = makeUpdater(server.url("127.0.0.1", "/slow"));
};

TEST_F(SlowServerTest, BackgroundCheckLeavesTheMainLoopFree) {
    updater->checkForUpdatesInBackground();
    requested.wait();
    session->loop()->drain(); // the main loop runs on while the server holds the answer
    EXPECT_THAT(alerts(), IsEmpty());

    answer.open();
    settle();
    ASSERT_EQ(alerts().size(), 1u);
    EXPECT_EQ(alerts()[0].alert.informativeText, "Tolvane 2.0 is now available; you have 1.4.2.");
}

TEST_F(SlowServerTest, UpdaterDestroyedDuringAReadDropsItsResult) {
    updater->checkForUpdates();
    requested.wait();
    updater.reset();
    answer.open();
    settle();

    EXPECT_THAT(alerts(), IsEmpty());
    EXPECT_THAT(log.takeLines(), Not(Contains(HasSubstr("Update available"))));
}

} // namespace
} // namespace tolvane
