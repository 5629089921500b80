#include "WebServer.h"

#include <sys/socket.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "CameraService.h"
#include "PreviewPicture.h"
#include "ConsoleCapture.h"
#include "RequestRules.h"

using nlohmann::json;

namespace {

const size_t kMaxBody = 4096; // the largest request the page sends is a few dozen bytes
const int kMaxClockHours = 24 * 7;
// Idle keep-alive connections each hold a thread: they are let go after a
// second, and enough threads remain for a burst of clients.
const time_t kIdleSeconds = 1;
const size_t kThreads = 32;
const int kListenQueue = 64;
const int kPreviewWidth = 320, kPreviewHeight = 180;
// An event stream with nothing to say writes a comment this often, so a
// closed page is noticed and its thread let go.
const std::chrono::seconds kEventPing{10};

const char* const kFiles[][2] = {
    {"/", "index.html"}, {"/page.js", "page.js"}, {"/page.css", "page.css"}};

void answer(httplib::Response& response, const json& body, int status = 200)
{
    response.status = status;
    // With a charset the library does not compress: answers of a few KB
    // would take longer to pack than to send.
    response.set_content(body.dump(), "application/json; charset=utf-8");
}

void refuse(httplib::Response& response, int status, const std::string& message)
{
    answer(response, {{"error", message}}, status);
}

std::string contentType(const std::string& file)
{
    if (file.size() > 3 && file.compare(file.size() - 3, 3, ".js") == 0) return "text/javascript";
    if (file.size() > 4 && file.compare(file.size() - 4, 4, ".css") == 0) return "text/css";
    return "text/html; charset=utf-8";
}

int minutesOf(const std::string& text)
{
    int hour = -1, minute = -1;
    char end = 0;
    if (std::sscanf(text.c_str(), "%d:%d%c", &hour, &minute, &end) != 2 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59) {
        return -1;
    }
    return hour * 60 + minute;
}

} // namespace

WebServer::WebServer(CameraService& service, const ConsoleCapture* console, const std::string& assetsDir)
    : m_service(service), m_console(console), m_assetsDir(assetsDir), m_server(std::make_unique<httplib::Server>())
{
    m_server->set_payload_max_length(kMaxBody);
    m_server->set_keep_alive_timeout(kIdleSeconds);
    m_server->new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
    m_server->set_socket_options([this](int socket) {
        httplib::default_socket_options(socket);
        m_socket = socket;
    });
    m_server->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        if (request.get_header_value_count("Host") > 1) {
            refuse(response, 400, "more than one Host header");
            return httplib::Server::HandlerResponse::Handled;
        }
        const std::string why =
            refusedOrigin(m_hosts, request.get_header_value("Host"), request.get_header_value("Origin"));
        if (!why.empty()) {
            refuse(response, 403, why);
            return httplib::Server::HandlerResponse::Handled;
        }
        const auto route = m_routes.find(request.path);
        if (route == m_routes.end()) {
            refuse(response, 404, "no such page: " + request.path);
            return httplib::Server::HandlerResponse::Handled;
        }
        if (route->second != request.method) {
            response.set_header("Allow", route->second);
            refuse(response, 405, request.path + " takes " + route->second + " only");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (request.method == "POST" && request.get_header_value("Content-Type").rfind("application/json", 0) != 0) {
            refuse(response, 415, "the body must be application/json");
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    // Errors the library answers itself (a body over the limit) get a message too.
    m_server->set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (!response.body.empty()) return;
        refuse(response, response.status,
               response.status == 413 ? "the body is larger than " + std::to_string(kMaxBody) + " bytes"
                                      : "request refused");
    });
    // Every change that went through tells the other pages.
    m_server->set_post_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        if (request.method == "POST" && response.status == 200) {
            m_events.publish({{"type", "changed"}, {"version", m_service.version()}});
        }
    });
    m_server->set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
        refuse(response, 500, "internal error");
    });
    addFiles();
    addRoutes();
    addEvents();
}

WebServer::~WebServer() = default;

int WebServer::bind(const std::string& address, int port)
{
    const int bound = port == 0 ? m_server->bind_to_any_port(address.c_str())
                                : (m_server->bind_to_port(address.c_str(), port) ? port : -1);
    if (bound <= 0) return -1;
    m_hosts = allowedHosts(address, bound);
    // The library listens with a queue of 5; a second listen() widens it.
    if (m_socket >= 0) ::listen(m_socket, kListenQueue);
    return bound;
}

void WebServer::run()
{
    m_server->listen_after_bind();
}

void WebServer::stop()
{
    m_events.stop(); // ends the event streams, whose threads the server waits for
    m_server->stop();
}

void WebServer::consoleChanged()
{
    m_events.publish({{"type", "console"}});
}

void WebServer::addEvents()
{
    m_routes["/api/events"] = "GET";
    m_server->Get("/api/events", [this](const httplib::Request&, httplib::Response& response) {
        response.set_header("Cache-Control", "no-store");
        auto seen = std::make_shared<long>(m_events.latest());
        response.set_chunked_content_provider("text/event-stream", [this, seen](size_t, httplib::DataSink& sink) {
            const std::vector<json> events = m_events.waitAfter(*seen, kEventPing);
            if (m_events.stopped()) {
                sink.done();
                return true;
            }
            std::string text = events.empty() ? ": ping\n\n" : "";
            for (const json& event : events) text += "data: " + event.dump() + "\n\n";
            return sink.write(text.data(), text.size());
        });
    });
}

void WebServer::addFiles()
{
    for (const auto& file : kFiles) {
        const std::string path = m_assetsDir + "/" + file[1];
        m_routes[file[0]] = "GET";
        m_server->Get(file[0], [path](const httplib::Request&, httplib::Response& response) {
            std::ifstream in(path, std::ios::binary);
            std::ostringstream content;
            content << in.rdbuf();
            if (!in) return refuse(response, 404, "missing page file " + path);
            response.set_header("Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'");
            response.set_header("X-Content-Type-Options", "nosniff");
            response.set_content(content.str(), contentType(path).c_str());
        });
    }
}

void WebServer::addRoutes()
{
    // Reads the body and the channel; false when the request was refused.
    auto read = [this](const httplib::Request& request, httplib::Response& response, std::vector<BodyField> fields,
                       json& body) {
        fields.push_back({"channel", false});
        const std::string why = readBody(request.body, fields, body);
        if (!why.empty()) {
            refuse(response, 400, why);
            return false;
        }
        if (!m_service.hasChannel(body["channel"].get<int>())) {
            refuse(response, 400, "no channel " + body["channel"].dump());
            return false;
        }
        return true;
    };
    // The channel a GET names (default 1); false when the request was refused.
    auto queried = [this](const httplib::Request& request, httplib::Response& response, int& channel) {
        const std::string text = request.has_param("channel") ? request.get_param_value("channel") : "1";
        channel = std::atoi(text.c_str());
        if (text == std::to_string(channel) && m_service.hasChannel(channel)) return true;
        refuse(response, 400, "no channel " + text);
        return false;
    };
    // A channel's JSON read by GET.
    auto getOfChannel = [this, queried](const char* path, json (CameraService::*get)(int)) {
        m_routes[path] = "GET";
        m_server->Get(path, [this, queried, get](const httplib::Request& request, httplib::Response& response) {
            int channel = 0;
            if (queried(request, response, channel)) answer(response, (m_service.*get)(channel));
        });
    };
    getOfChannel("/api/state", &CameraService::state);
    getOfChannel("/api/export", &CameraService::exportScheme);
    m_routes["/api/preview.png"] = "GET";
    m_server->Get("/api/preview.png", [this, queried](const httplib::Request& request, httplib::Response& response) {
        int channel = 0;
        if (!queried(request, response, channel)) return;
        const std::string png = encodePng(renderChart(m_service.pictureSettings(channel), kPreviewWidth, kPreviewHeight));
        if (png.empty()) return refuse(response, 500, "the preview could not be encoded");
        response.set_header("Cache-Control", "no-store");
        response.set_content(png, "image/png");
    });
    m_routes["/api/compare"] = "GET";
    m_server->Get("/api/compare", [this, queried](const httplib::Request& request, httplib::Response& response) {
        int channel = 0;
        if (!queried(request, response, channel)) return;
        const std::string first = request.get_param_value("first"), second = request.get_param_value("second");
        const int a = std::atoi(first.c_str()), b = std::atoi(second.c_str()), count = m_service.schemeCount(channel);
        if (first != std::to_string(a) || second != std::to_string(b) || a < 0 || b < 0 || a >= count || b >= count) {
            return refuse(response, 400, "first and second are schemes 0 to " + std::to_string(count - 1));
        }
        answer(response, m_service.compareSchemes(channel, a, b));
    });
    m_routes["/api/import"] = "POST";
    m_server->Post("/api/import", [this, read](const httplib::Request& request, httplib::Response& response) {
        json body;
        if (!read(request, response, {{"text", true}}, body)) return;
        const CameraService::Refusal refusal = m_service.importRefusal(body["channel"], body["text"]);
        if (refusal.status != 0) return refuse(response, refusal.status, refusal.message);
        answer(response, m_service.importScheme(body["channel"], body["text"]));
    });
    m_routes["/api/console"] = "GET";
    m_server->Get("/api/console", [this](const httplib::Request& request, httplib::Response& response) {
        const std::string kind = request.get_param_value("kind"), after = request.get_param_value("after");
        const long last = after.empty() ? -1 : std::atol(after.c_str());
        if (!after.empty() && after != std::to_string(last)) return refuse(response, 400, "after is a line number");
        answer(response, {{"lines", m_console != nullptr ? m_console->lines(kind, last) : json::array()}});
    });
    m_routes["/api/set"] = "POST";
    m_server->Post("/api/set", [this, read](const httplib::Request& request, httplib::Response& response) {
        json body;
        if (!read(request, response, {{"key", false}, {"value", false}}, body)) return;
        const int channel = body["channel"], key = body["key"], value = body["value"];
        const CameraService::Refusal refusal = m_service.refusal(channel, key, value);
        if (refusal.status != 0) return refuse(response, refusal.status, refusal.message);
        // The page redraws from the answer: no second request after a change.
        json changed = m_service.setParameter(channel, key, value);
        changed["state"] = m_service.state(channel);
        answer(response, changed);
    });
    m_routes["/api/scheme"] = "POST";
    m_server->Post("/api/scheme", [this, read](const httplib::Request& request, httplib::Response& response) {
        json body;
        if (read(request, response, {{"scheme", false}}, body)) {
            answer(response, m_service.setScheme(body["channel"], body["scheme"]));
        }
    });
    // A channel's setting that is 0 or 1, in a field of its own name.
    auto postZeroOrOne = [this, read](const char* path, const char* field, const char* refusal,
                                      json (CameraService::*set)(int, int)) {
        m_routes[path] = "POST";
        m_server->Post(path, [this, read, field, refusal, set](const httplib::Request& request,
                                                               httplib::Response& response) {
            json body;
            if (!read(request, response, {{field, false}}, body)) return;
            if (body[field] != 0 && body[field] != 1) return refuse(response, 400, refusal);
            answer(response, (m_service.*set)(body["channel"], body[field]));
        });
    };
    postZeroOrOne("/api/daynight", "state", "state is 0 (day) or 1 (night)", &CameraService::setDayNight);
    postZeroOrOne("/api/mode", "mode", "mode is 0 (manual) or 1 (automatic)", &CameraService::setMode);
    m_routes["/api/action"] = "POST";
    m_server->Post("/api/action", [this, read](const httplib::Request& request, httplib::Response& response) {
        json body;
        if (!read(request, response, {{"action", true}}, body)) return;
        if (!m_service.isAction(body["action"])) return refuse(response, 400, "unknown action " + body["action"].dump());
        answer(response, m_service.runAction(body["channel"], body["action"]));
    });
    m_routes["/api/clock"] = "POST";
    m_server->Post("/api/clock", [this](const httplib::Request& request, httplib::Response& response) {
        json body;
        const std::string why = readBody(request.body, {{"start", true}, {"hours", false}}, body);
        if (!why.empty()) return refuse(response, 400, why);
        const int start = minutesOf(body["start"]), hours = body["hours"];
        if (start < 0) return refuse(response, 400, "start is HH:MM");
        if (hours < 0 || hours > kMaxClockHours) {
            return refuse(response, 400, "hours is 0 to " + std::to_string(kMaxClockHours));
        }
        const json ran = m_service.runClock(start, hours);
        for (const json& change : ran["switches"]) {
            json event = change;
            event["type"] = "scheme";
            m_events.publish(event);
        }
        answer(response, ran);
    });
}
