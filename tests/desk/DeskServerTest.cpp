#include "desk/Desk.h"
#include "support/LogCapture.h"
#include "support/TestSession.h"

#include <chrono>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <regex>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace tolvane {
namespace {

using namespace std::chrono_literals;
using Deadline = std::chrono::steady_clock::time_point;

Deadline in(std::chrono::seconds patience) {
    return std::chrono::steady_clock::now() + patience;
}

int millisecondsUntil(Deadline deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::int64_t>(0, left.count()));
}

// A connection to the desk in raw HTTP, so that any header, or none, or half
// a request can be sent.
class Connection {
  public:
    explicit Connection(int port) : socket_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    ~Connection() { close(socket_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void send(std::string_view bytes) {
        EXPECT_EQ(::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }
    // The next bytes the desk sends: empty once it closed the connection, or at the deadline.
    std::string receive(Deadline deadline) {
        pollfd wait{socket_, POLLIN, 0};
        if (poll(&wait, 1, millisecondsUntil(deadline)) != 1) {
            return {};
        }
        char buffer[4096];
        const ssize_t got = recv(socket_, buffer, sizeof buffer, 0);
        closed_ = got <= 0;
        return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
    }
    // Everything until the desk closes the connection, or what came by the deadline.
    std::string receiveAll(Deadline deadline) {
        std::string all;
        while (!closed_ && std::chrono::steady_clock::now() < deadline) {
            all += receive(deadline);
        }
        return all;
    }
    bool closedByDesk() const { return closed_; }
    int descriptor() const { return socket_; }

  private:
    int socket_;
    bool closed_ = false;
};

// Reads what comes on the connections until the desk has closed `wanted` of
// them or the deadline passed; the number it closed.
std::ptrdiff_t closings(const std::vector<std::unique_ptr<Connection>>& connections,
                        std::ptrdiff_t wanted, Deadline deadline) {
    for (;;) {
        std::vector<pollfd> waits;
        std::vector<Connection*> open;
        for (const auto& connection : connections) {
            if (!connection->closedByDesk()) {
                waits.push_back({connection->descriptor(), POLLIN, 0});
                open.push_back(connection.get());
            }
        }
        const auto closed = static_cast<std::ptrdiff_t>(connections.size() - open.size());
        if (closed >= wanted || std::chrono::steady_clock::now() >= deadline) {
            return closed;
        }
        poll(waits.data(), waits.size(), millisecondsUntil(deadline));
        for (std::size_t index = 0; index < waits.size(); ++index) {
            if (waits[index].revents != 0) {
                open[index]->receive(deadline);
            }
        }
    }
}

int statusOf(const std::string& response) {
    static const std::regex statusLine(R"(^HTTP/1\.1 (\d{3}) )");
    std::smatch found;
    return std::regex_search(response, found, statusLine) ? std::stoi(found[1]) : 0;
}

// The desk as the program starts it, on a simulated session in a temporary
// home, with the address it printed.
class DeskServerTest : public ::testing::Test {
  protected:
    // The real clock; it keeps the descriptor the main loop waits on for
    // posted work, so that a test can see work arrive while the loop stands still.
    class WatchedClock final : public Clock {
      public:
        double now() const override { return real_.now(); }
        bool waitUntil(double deadline, const int* descriptors, int count) override {
            postedWork = descriptors[0];
            return real_.waitUntil(deadline, descriptors, count);
        }
        int postedWork = -1;

      private:
        RealClock real_;
    };

    static SimSession::Options options(std::shared_ptr<Clock> clock) {
        SimSession::Options options;
        options.clock = std::move(clock);
        return options;
    }

    std::unique_ptr<Desk> start(EnvironmentMap environment = {{"TOLVANE_DESK_PORT", "0"}}) {
        ::testing::internal::CaptureStdout();
        auto desk = Desk::startIfWanted(*session_, Environment(environment), AppLog::filePath());
        session_->loop()->drain(); // the address is printed after the launch
        printed_ = ::testing::internal::GetCapturedStdout();
        std::smatch found;
        if (std::regex_search(
                printed_, found,
                std::regex(R"(Tolvane desk: http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]{32}))"))) {
            port_ = std::stoi(found[1]);
            token_ = found[2];
        }
        return desk;
    }

    // One whole exchange on a connection of its own.
    std::string exchange(const std::string& request) {
        Connection connection(port_);
        connection.send(request);
        return connection.receiveAll(in(30s));
    }
    std::string pageHeaders() const {
        return "Host: 127.0.0.1:" + std::to_string(port_) + "\r\nCookie: tolvane_desk_" +
               std::to_string(port_) + "=" + token_ + "\r\n";
    }
    std::string get(const std::string& path) {
        return exchange("GET " + path + " HTTP/1.1\r\n" + pageHeaders() + "\r\n");
    }
    std::string post(const std::string& path, const std::string& body) {
        return exchange("POST " + path + " HTTP/1.1\r\n" + pageHeaders() +
                        "Origin: http://127.0.0.1:" + std::to_string(port_) +
                        "\r\nContent-Type: application/json\r\nContent-Length: " +
                        std::to_string(body.size()) + "\r\n\r\n" + body);
    }

    // Runs the main loop while the page's side runs on a thread of its own.
    void whileMainLoopRuns(const std::function<void()>& page) {
        const std::shared_ptr<RunLoop> loop = session_->loop();
        std::thread pageThread([&] {
            page();
            loop->post([loop] { loop->stop(); });
        });
        loop->run();
        pageThread.join();
    }

    testing::LogCapture log_;
    std::shared_ptr<WatchedClock> clock_ = std::make_shared<WatchedClock>();
    testing::TestSession session_{options(clock_)};
    std::string printed_;
    int port_ = 0;
    std::string token_;
};

TEST_F(DeskServerTest, OnlyItsPageGetsInAndWhatOthersSendReachesTheLogOnlyEscaped) {
    auto desk = start();
    ASSERT_NE(port_, 0) << printed_;
    const std::string port = std::to_string(port_);
    const std::string host = "Host: 127.0.0.1:" + port + "\r\n";
    // The token goes to standard output alone; the log names the address without it.
    for (const std::string& line : log_.lines()) {
        EXPECT_EQ(line.find(token_), std::string::npos) << line;
    }
    EXPECT_TRUE(
        testing::contains(log_.takeLines(), "[INFO] Desk ready at http://127.0.0.1:" + port + "/"));
    // The token moves into a cookie of this port's own.
    const std::string firstVisit =
        exchange("GET /?token=" + token_ + " HTTP/1.1\r\nHost: LOCALHOST:" + port + "\r\n\r\n");
    EXPECT_EQ(statusOf(firstVisit), 303);
    EXPECT_NE(firstVisit.find("Set-Cookie: tolvane_desk_" + port + "=" + token_ +
                              "; Path=/; HttpOnly; SameSite=Strict"),
              std::string::npos);
    // Cookies ignore ports: another desk's may come first.
    const std::string cookie = "Cookie: tolvane_desk_1=" + std::string(32, 'f') +
                               "; tolvane_desk_" + port + "=" + token_ + "\r\n";
    EXPECT_EQ(statusOf(exchange("GET /api/state HTTP/1.1\r\n" + host + cookie + "\r\n")), 200);

    // A refused path cannot forge a line, long text is cut, and a flood of
    // refusals does not flood the log.
    EXPECT_EQ(
        statusOf(exchange("GET /x%0A2099-01-01T00:00:00.000Z%20[ERROR]%20forged%1b HTTP/1.1\r\n" +
                          host + "\r\n")),
        403);
    EXPECT_EQ(
        statusOf(exchange("GET /" + std::string(4000, 'a') + " HTTP/1.1\r\n" + host + "\r\n")),
        403);
    EXPECT_EQ(log_.takeLines(), (std::vector<std::string>{
                                    "[WARN] Desk refused a request: missing or wrong token "
                                    "path=/x\\n2099-01-01T00:00:00.000Z [ERROR] forged\\x1b",
                                    "[WARN] Desk refused a request: missing or wrong token path=/" +
                                        std::string(119, 'a') + "...(4001 bytes)"}));
    // Only the page that holds the token, on the loopback address and port, gets in.
    const std::string origin = "Origin: http://localhost:" + port + "\r\n";
    for (const std::string& refused :
         {"GET /api/state HTTP/1.1\r\n" + host,
          "GET /api/state HTTP/1.1\r\n" + host + "Cookie: tolvane_desk_" + port + "=" + token_ +
              "0\r\n",
          "GET /api/state HTTP/1.1\r\n" + host + "Cookie: tolvane_desk=" + token_ + "\r\n",
          // The address proves the token only for the page itself.
          "GET /api/state?token=" + token_ + " HTTP/1.1\r\n" + host,
          "GET /api/state HTTP/1.1\r\nHost: attacker.example:" + port + "\r\n" + cookie,
          "GET /api/state HTTP/1.1\r\nHost: 127.0.0.1:1\r\n" + cookie,
          "GET /api/state HTTP/1.1\r\n" + host + cookie + "Origin: http://attacker.example\r\n",
          "GET /api/state HTTP/1.1\r\n" + host + cookie + "Sec-Fetch-Site: cross-site\r\n",
          "POST /api/key HTTP/1.1\r\n" + host + cookie + "Content-Length: 0\r\n",
          "PUT /api/key HTTP/1.1\r\n" + host + cookie + origin,
          // Without its length a body could be as large as it likes.
          "POST /api/key HTTP/1.1\r\n" + host + cookie + origin +
              "Transfer-Encoding: chunked\r\n"}) {
        EXPECT_EQ(statusOf(exchange(refused + "\r\n")), 403) << refused;
    }
    log_.takeLines();
    for (int refusal = 0; refusal < 87; ++refusal) {
        exchange("GET /api/state HTTP/1.1\r\n" + host + "\r\n");
    }
    EXPECT_EQ(log_.takeLines(), std::vector<std::string>{"[WARN] Desk refused 100 requests so far; "
                                                         "only the first 5 are logged in full"});
    const char garbage[] = "\x00\x01 garbage \r\n\r\n";
    EXPECT_EQ(statusOf(exchange(std::string(garbage, sizeof garbage - 1))), 400);

    // Actions run on the main loop; a bad colour, a failed write and bad bodies are refused.
    auto& colours = *session_->preferenceDomain("com.apple.universalaccess");
    whileMainLoopRuns([&] {
        EXPECT_EQ(statusOf(post("/api/key", R"({"type":"keyDown"})")), 200);
        EXPECT_EQ(statusOf(post("/api/key", "{not json")), 400);
        EXPECT_EQ(statusOf(post("/api/key", R"({"type":"nonsense"})")), 409);
        EXPECT_EQ(statusOf(post("/api/key", R"({"type":")" + std::string(100'000, 'x') + R"("})")),
                  413);
        const std::string red =
            post("/api/pointer-colours", R"({"fill":"red","outline":"#ffffff"})");
        EXPECT_EQ(statusOf(red), 409);
        EXPECT_NE(red.find("fill and outline must each be a colour #rrggbb"), std::string::npos)
            << red;
        EXPECT_EQ(
            statusOf(post("/api/pointer-colours", R"({"fill":"#FF2d55","outline":"#ffffff"})")),
            200);
    });
    EXPECT_EQ(colours.copyValue("cursorIsCustomized"), PropertyList(true));
    ASSERT_TRUE(colours.copyValue("cursorFill"));
    EXPECT_EQ(
        PropertyList::find(*colours.copyValue("cursorFill")->dictionaryValue(), "red")->realValue(),
        1.0);
    colours.setSynchronizeFails(true);
    whileMainLoopRuns([&] {
        const std::string failed = post("/api/pointer-colours", "{}");
        EXPECT_EQ(statusOf(failed), 409);
        EXPECT_NE(failed.find("the pointer colours could not be saved"), std::string::npos)
            << failed;
    });

    // A second desk on the same port is refused instead of sharing it.
    log_.takeLines();
    EXPECT_FALSE(start({{"TOLVANE_DESK_PORT", port}}));
    EXPECT_TRUE(testing::contains(log_.takeLines(), "[ERROR] Desk not started: 127.0.0.1 port " +
                                                        port + " is in use by another program"));
}

TEST_F(DeskServerTest, SixtyFourEventStreamsAndSlowConnectionsStillLeaveRoomForThePage) {
    auto desk = start();
    ASSERT_NE(port_, 0) << printed_;
    std::vector<std::unique_ptr<Connection>> streams;
    std::vector<std::unique_ptr<Connection>> slow;
    for (int index = 0; index < 64; ++index) {
        streams.push_back(std::make_unique<Connection>(port_));
        streams.back()->send("GET /events HTTP/1.1\r\n" + pageHeaders() + "\r\n");
        // Half say nothing at all, half begin a request and never finish it.
        slow.push_back(std::make_unique<Connection>(port_));
        if (index % 2 == 1) {
            slow.back()->send("GET /api/state HTTP/1.1\r\nHost: 127.0.0.1:");
        }
    }
    EXPECT_EQ(statusOf(get("/api/state")), 200);

    // Only the newest streams stay; the slow connections are closed at their deadline.
    const Deadline deadline = in(60s);
    const auto replaced = static_cast<std::ptrdiff_t>(64 - DeskChannel::maximumReaders);
    EXPECT_EQ(closings(streams, replaced, deadline), replaced);
    EXPECT_EQ(closings(slow, 64, deadline), 64);
    // Pages that go away mid-stream leave the desk answering.
    streams.clear();
    EXPECT_EQ(statusOf(get("/api/state")), 200);
}

TEST_F(DeskServerTest, ARequestWaitingForTheMainLoopIsAnsweredAtOnceWhenTheDeskEnds) {
    auto desk = start();
    ASSERT_NE(port_, 0) << printed_;
    // The main loop waits once, showing the clock what it waits on; then it
    // stands still, as it does once the application has terminated.
    RunLoop& loop = *session_->loop();
    while (clock_->postedWork < 0) {
        loop.runUntil(loop.now() + 0.01);
    }
    std::string answer;
    std::thread page([&] { answer = get("/displayed"); });
    pollfd posted{clock_->postedWork, POLLIN, 0};
    EXPECT_EQ(poll(&posted, 1, millisecondsUntil(in(30s))), 1);
    desk->end();
    page.join();
    EXPECT_EQ(statusOf(answer), 503);
    EXPECT_NE(answer.find("Tolvane is quitting"), std::string::npos) << answer;
}

} // namespace
} // namespace tolvane
