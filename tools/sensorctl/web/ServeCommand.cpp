#include "ServeCommand.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <pthread.h>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "CameraService.h"
#include "ConsoleCapture.h"
#include "WebServer.h"

namespace {

const int kDefaultPort = 8080;

int usage(const char* text)
{
    std::fprintf(stderr, "sensorctl: usage: %s\n", text);
    return 1;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void replaceOnce(std::string& text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
}

// The first of the page's files that cannot be read, or "".
std::string missingPageFile(const std::string& dir)
{
    for (const char* name : {"index.html", "page.js", "page.css"}) {
        if (access((dir + "/" + name).c_str(), R_OK) != 0) return name;
    }
    return "";
}

// Stops the server on SIGINT or SIGTERM; the signals are taken by sigwait
// on a thread of its own, so stop() runs outside a signal handler.
std::thread stopOnSignal(WebServer& server, sigset_t& signals)
{
    return std::thread([&server, &signals] {
        int signal = 0;
        sigwait(&signals, &signal);
        server.stop();
    });
}

} // namespace

std::string pageFilesDir()
{
    if (const char* dir = std::getenv("SENSORCTL_WEB")) return dir;
    char exe[4096];
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string path = length > 0 ? std::string(exe, static_cast<size_t>(length)) : "";
    path = path.substr(0, path.rfind('/')); // bin
    return path.substr(0, path.rfind('/')) + "/share/sensorctl/web";
}

std::string previewPage(const std::string& filesDir, const std::string& statesJson)
{
    std::string page = readFile(filesDir + "/index.html");
    std::string states = statesJson;
    for (size_t at = states.find("</"); at != std::string::npos; at = states.find("</", at)) states.insert(at + 1, "\\");
    replaceOnce(page, "<link rel=\"stylesheet\" href=\"page.css\">",
                "<style>\n" + readFile(filesDir + "/page.css") + "</style>");
    replaceOnce(page, "<script src=\"page.js\"></script>",
                "<script id=\"preview-states\" type=\"application/json\">" + states + "</script>\n<script>\n" +
                    readFile(filesDir + "/page.js") + "</script>");
    return page;
}

int runServe(const std::vector<std::string>& args)
{
    int port = kDefaultPort;
    std::string address = "127.0.0.1";
    const std::string level = !args.empty() && (args[0] == "--quiet" || args[0] == "-v") ? args[0] : "";
    for (size_t i = level.empty() ? 0 : 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return usage("serve [--port N] [--listen ADDR]");
        if (args[i] == "--port") {
            port = std::atoi(args[i + 1].c_str());
            if (args[i + 1] != std::to_string(port) || port < 0 || port > 65535) return usage("--port 0 to 65535");
        } else if (args[i] == "--listen") {
            address = args[i + 1];
        } else {
            return usage("serve [--port N] [--listen ADDR]");
        }
    }
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr); // before any thread starts: all inherit it

    const std::string missing = missingPageFile(pageFilesDir());
    if (!missing.empty()) {
        std::fprintf(stderr, "sensorctl: serve: the page's files are not in %s (%s is missing; SENSORCTL_WEB names another folder)\n",
                     pageFilesDir().c_str(), missing.c_str());
        return 1;
    }
    ConsoleCapture console;
    if (!console.start(level == "--quiet" ? ConsoleCapture::Echo::None
                       : level == "-v"    ? ConsoleCapture::Echo::All
                                          : ConsoleCapture::Echo::Important)) std::fprintf(stderr, "sensorctl: serve: the console lines stay off the page\n");
    CameraService service;
    std::string error;
    if (!service.open(error)) {
        std::fprintf(stderr, "sensorctl: serve: %s\n", error.c_str());
        return 1;
    }
    WebServer server(service, &console, pageFilesDir());
    const int bound = server.bind(address, port);
    if (bound < 0) {
        std::fprintf(stderr, "sensorctl: serve: cannot listen on %s:%d\n", address.c_str(), port);
        return 1;
    }
    std::fprintf(stderr, "sensorctl: the imaging page is at http://%s:%d/ (Ctrl-C stops)\n",
                 address == "0.0.0.0" ? "127.0.0.1" : address.c_str(), bound);
    console.onLine([&server] { server.consoleChanged(); });
    std::thread stopper = stopOnSignal(server, signals);
    server.run();
    console.onLine(nullptr);
    pthread_kill(stopper.native_handle(), SIGTERM); // stopped by other means: end the waiting thread
    stopper.join();
    return 0;
}

int runPreview(const std::vector<std::string>& args)
{
    if (args.size() != 2 || args[0] != "--out") return usage("preview --out FILE");
    CameraService service;
    std::string error;
    if (!service.open(error)) {
        std::fprintf(stderr, "sensorctl: preview: %s\n", error.c_str());
        return 1;
    }
    nlohmann::json states = nlohmann::json::array();
    for (int channel = 1; channel <= service.channelCount(); ++channel) states.push_back(service.state(channel));
    std::ofstream out(args[1], std::ios::binary | std::ios::trunc);
    out << previewPage(pageFilesDir(), states.dump());
    if (!out) {
        std::fprintf(stderr, "sensorctl: preview: cannot write %s\n", args[1].c_str());
        return 1;
    }
    return 0;
}
