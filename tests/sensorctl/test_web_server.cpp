// sensorctl serve on a copy of the sample tree, over loopback: refused
// requests change nothing, a change answers with its ISP calls, and the
// server holds 1,000 requests from 8 parallel clients.
#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "CameraService.h"
#include "TestRoot.h"
#include "WebServer.h"

namespace {

using nlohmann::json;

class ServedTree {
public:
    ServedTree() : m_root(true)
    {
        std::string error;
        EXPECT_TRUE(m_service.open(error)) << error;
        m_port = m_server.bind("127.0.0.1", 0);
        EXPECT_GT(m_port, 0);
        m_thread = std::thread([this] { m_server.run(); });
    }
    ~ServedTree()
    {
        m_server.stop();
        m_thread.join();
    }
    httplib::Client client() const
    {
        httplib::Client client("127.0.0.1", m_port);
        client.set_read_timeout(30, 0);
        return client;
    }
    int port() const { return m_port; }
    CameraService& service() { return m_service; }

private:
    TestRoot m_root;
    CameraService m_service;
    WebServer m_server{m_service, nullptr, "/nonexistent"};
    int m_port = 0;
    std::thread m_thread;
};

int brightness(const json& state)
{
    for (const json& tab : state["tabs"]) {
        for (const json& item : tab["items"]) {
            if (item["id"] == 34) return item["value"];
        }
    }
    return -1;
}

struct BadRequest {
    const char* name;
    const char* method;
    const char* path;
    httplib::Headers headers;
    std::string body;
    int status;
    const char* message;
};

TEST(WebServer, RefusedRequestsAnswer4xxWithAMessageAndChangeNothing)
{
    ServedTree served;
    const std::string own = "127.0.0.1:" + std::to_string(served.port());
    const BadRequest requests[] = {
        {"other host (DNS rebinding)", "POST", "/api/set", {{"Host", "attacker.example:" + std::to_string(served.port())}},
         R"({"channel":1,"key":34,"value":1})", 403, "is not this server"},
        {"cross-site origin", "POST", "/api/set", {{"Origin", "http://attacker.example"}},
         R"({"channel":1,"key":34,"value":1})", 403, "cross-site request"},
        {"bad JSON", "POST", "/api/set", {}, R"({"channel":1,"key":34,)", 400, "not JSON"},
        {"not an object", "POST", "/api/set", {}, "[1,34,1]", 400, "JSON object"},
        {"unknown body key", "POST", "/api/set", {}, R"({"channel":1,"key":34,"value":1,"store":0})", 400,
         "unknown key \"store\""},
        {"key not on the page", "POST", "/api/set", {}, R"({"channel":1,"key":9999,"value":1})", 400, "unknown key 9999"},
        {"value as text", "POST", "/api/set", {}, R"({"channel":1,"key":34,"value":"1"})", 400, "whole number"},
        {"value beyond 32 bits", "POST", "/api/set", {}, R"({"channel":1,"key":34,"value":4294967296})", 400,
         "whole number"},
        {"no such channel", "POST", "/api/set", {}, R"({"channel":7,"key":34,"value":1})", 400, "no channel 7"},
        {"huge body", "POST", "/api/set", {}, std::string(1 << 20, ' '), 413, "larger than"},
        {"wrong method", "GET", "/api/set", {}, "", 405, "POST only"},
        {"mode out of range", "POST", "/api/mode", {}, R"({"channel":1,"mode":2})", 400, "0 (manual) or 1"},
        {"unknown action", "POST", "/api/action", {}, R"({"channel":1,"action":"format"})", 400, "unknown action"},
        {"clock start", "POST", "/api/clock", {}, R"({"start":"25:00","hours":1})", 400, "HH:MM"},
        {"no such path", "GET", "/etc/passwd", {}, "", 404, "no such page"},
        {"two Host headers", "GET", "/api/state", {{"Host", own}, {"Host", "attacker.example"}}, "", 400,
         "more than one Host header"},
        {"above the range", "POST", "/api/set", {}, R"({"channel":1,"key":34,"value":101})", 400,
         "value 101 of Brightness (34) is outside 0..100"},
        {"below the range", "POST", "/api/set", {}, R"({"channel":1,"key":34,"value":-1})", 400, "outside 0..100"},
        {"option not offered", "POST", "/api/set", {}, R"({"channel":1,"key":2384,"value":4})", 400,
         "value 4 of Mirror (2384) is not one of its options: 0 (Normal), 1 (Horizontal)"},
        {"follower of a linked key", "POST", "/api/set", {}, R"({"channel":1,"key":168,"value":1})", 409,
         "Infrared Mode (Smart) (168) follows Infrared Mode (161)"},
        {"console after no number", "GET", "/api/console?after=x", {}, "", 400, "after is a line number"},
        {"import with one bad pair", "POST", "/api/import", {}, R"j({"channel":1,"text":"(34,44)(2384,9)"})j", 400,
         "nothing imported: value 9 of Mirror (2384)"},
        {"import of broken text", "POST", "/api/import", {}, R"j({"channel":1,"text":"(34,"})j", 400, "unclosed pair"},
        {"compare with no such scheme", "GET", "/api/compare?channel=1&first=0&second=9", {}, "", 400,
         "schemes 0 to 3"},
    };
    httplib::Client client = served.client();
    const int before = brightness(served.service().state(1));
    ASSERT_EQ(50, before);
    for (const BadRequest& request : requests) {
        SCOPED_TRACE(request.name);
        httplib::Request sent;
        sent.method = request.method;
        sent.path = request.path;
        sent.headers = request.headers;
        if (sent.headers.count("Host") == 0) sent.headers.emplace("Host", own);
        sent.headers.emplace("Content-Type", "application/json");
        sent.body = request.body;
        httplib::Response response;
        httplib::Error error = httplib::Error::Success;
        ASSERT_TRUE(client.send(sent, response, error)) << httplib::to_string(error);
        EXPECT_EQ(request.status, response.status);
        const json body = json::parse(response.body, nullptr, false);
        ASSERT_TRUE(body.is_object()) << response.body;
        EXPECT_NE(std::string::npos, body["error"].get<std::string>().find(request.message)) << response.body;
    }
    EXPECT_EQ(before, brightness(served.service().state(1)));
}

TEST(WebServer, AChangeAnswersItsResultReadBackAndIspCalls)
{
    ServedTree served;
    httplib::Client client = served.client();
    const auto response = client.Post("/api/set", R"({"channel":1,"key":34,"value":60})", "application/json");
    ASSERT_TRUE(response);
    ASSERT_EQ(200, response->status) << response->body;
    const json answer = json::parse(response->body);
    EXPECT_EQ(0, answer["result"]);
    EXPECT_EQ(60, answer["value"]);
    EXPECT_EQ(json::array({"0\t34\tSET\t60\tok"}), answer["isp"]);
    EXPECT_EQ(60, brightness(served.service().state(1)));
    // The page redraws from the answer's state, uncompressed however the client asks.
    EXPECT_EQ(60, brightness(answer["state"]));
    const auto state = client.Get("/api/state?channel=1", {{"Accept-Encoding", "br, gzip, deflate"}});
    ASSERT_TRUE(state);
    EXPECT_FALSE(state->has_header("Content-Encoding"));

    // The mode is the controller's, as the next state shows.
    const int before = served.service().state(1)["mode"];
    const auto mode = client.Post("/api/mode", json{{"channel", 1}, {"mode", 1 - before}}.dump(), "application/json");
    ASSERT_TRUE(mode);
    ASSERT_EQ(200, mode->status) << mode->body;
    EXPECT_EQ(0, json::parse(mode->body)["result"]);
    EXPECT_EQ(1 - before, served.service().state(1)["mode"]);
}

TEST(WebServer, ChangesArePushedToTheEventStream)
{
    ServedTree served;
    std::atomic<bool> pushed{false};
    std::string received;
    std::thread listener([&] {
        httplib::Client client = served.client();
        client.Get("/api/events", [&](const char* data, size_t length) {
            received.append(data, length);
            pushed = received.find("\n\n") != std::string::npos;
            return !pushed;
        });
    });
    // The stream starts after the request reaches the server: changes go on until one is pushed.
    httplib::Client client = served.client();
    for (int i = 0; i < 1000 && !pushed; ++i) {
        const auto response = client.Post("/api/set", json{{"channel", 1}, {"key", 34}, {"value", i % 101}}.dump(),
                                          "application/json");
        ASSERT_TRUE(response);
        ASSERT_EQ(200, response->status);
    }
    listener.join();
    ASSERT_EQ(0u, received.find("data: ")) << received;
    const json event = json::parse(received.substr(6, received.find("\n\n") - 6));
    EXPECT_EQ("changed", event["type"]);
    EXPECT_LE(event["version"].get<long>(), served.service().state(1)["version"].get<long>());
}

// A connection that sends nothing, as a browser's spare keep-alive one.
int idleConnection(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(0, connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address));
    return fd;
}

TEST(WebServer, IdleConnectionsAndABurstOfSixteenDoNotHoldUpARequest)
{
    ServedTree served;
    std::vector<int> idle;
    for (int i = 0; i < 24; ++i) idle.push_back(idleConnection(served.port()));
    std::atomic<int> answered{0};
    std::vector<std::thread> burst;
    for (int c = 0; c < 16; ++c) {
        burst.emplace_back([&] {
            httplib::Client client("127.0.0.1", served.port());
            client.set_connection_timeout(3, 0);
            client.set_read_timeout(3, 0);
            const auto response = client.Get("/api/state?channel=1");
            if (response && response->status == 200) ++answered;
        });
    }
    for (std::thread& thread : burst) thread.join();
    EXPECT_EQ(16, answered.load());
    for (int fd : idle) close(fd);
}

TEST(WebServer, HoldsAThousandRequestsFromEightClients)
{
    ServedTree served;
    const int clients = 8, perClient = 125;
    std::atomic<int> unexpected{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            httplib::Client client = served.client();
            for (int i = 0; i < perClient; ++i) {
                const int value = c * perClient + i;
                int expected = 200;
                auto send = [&]() {
                    switch (i % 5) {
                    case 0: return client.Get("/api/state?channel=" + std::to_string(1 + c % 2));
                    case 1: return client.Get("/api/console");
                    case 2: expected = 400; return client.Post("/api/set", "{\"channel\":1,", "application/json");
                    case 3: expected = 405; return client.Get("/api/scheme");
                    default:
                        return client.Post("/api/set", json{{"channel", 1}, {"key", 34}, {"value", value % 101}}.dump(),
                                           "application/json");
                    }
                };
                const httplib::Result result = send();
                if (!result || result->status != expected) ++unexpected;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(0, unexpected.load());
    const auto after = served.client().Post("/api/set", R"({"channel":1,"key":34,"value":42})", "application/json");
    ASSERT_TRUE(after);
    EXPECT_EQ(42, json::parse(after->body)["value"]);
}

} // namespace
