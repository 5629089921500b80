// The HTTP side of sensorctl serve: the page's files and its JSON API over
// the running controllers.
#ifndef SENSORCTL_WEB_SERVER_H
#define SENSORCTL_WEB_SERVER_H

#include <map>
#include <memory>
#include <set>
#include <string>

#include "EventHub.h"

class CameraService;
class ConsoleCapture;
namespace httplib {
class Server;
}

class WebServer {
public:
    // console may be null (no console lines on the page).
    WebServer(CameraService& service, const ConsoleCapture* console, const std::string& assetsDir);
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // Port 0 takes any free port; returns the port, or -1.
    int bind(const std::string& address, int port);
    void run(); // serves until stop()
    void stop();
    // New console lines: the pages are told.
    void consoleChanged();

private:
    void addRoutes();
    void addFiles();
    void addEvents();

    CameraService& m_service;
    const ConsoleCapture* m_console;
    std::string m_assetsDir;
    std::unique_ptr<httplib::Server> m_server;
    std::set<std::string> m_hosts;
    int m_socket = -1; // the listening one
    std::map<std::string, std::string> m_routes; // path -> method
    EventHub m_events;
};

#endif
