#include "ConsoleCapture.h"

#include <cstdio>
#include <unistd.h>

#include "Console.h"

namespace {

const size_t kKeptLines = 2000;

// Reports are coloured for a terminal; the page shows plain text.
std::string withoutColour(const std::string& line)
{
    std::string plain;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\033') {
            while (i < line.size() && line[i] != 'm') ++i;
        } else {
            plain += line[i];
        }
    }
    return plain;
}

} // namespace

ConsoleCapture::~ConsoleCapture()
{
    if (m_savedStdout < 0) return;
    std::fflush(stdout);
    dup2(m_savedStdout, STDOUT_FILENO); // the pipe's last writer goes: the reader sees its end
    close(m_savedStdout);
    if (m_reader.joinable()) m_reader.join();
}

void ConsoleCapture::onLine(std::function<void()> listener)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listener = std::move(listener);
}

bool ConsoleCapture::start(Echo echo)
{
    m_echo = echo;
    int ends[2];
    if (pipe(ends) != 0) return false;
    std::fflush(stdout);
    m_savedStdout = dup(STDOUT_FILENO);
    dup2(ends[1], STDOUT_FILENO);
    close(ends[1]);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    m_reader = std::thread([this, fd = ends[0]] { readLoop(fd); });
    return true;
}

void ConsoleCapture::readLoop(int fd)
{
    std::FILE* in = fdopen(fd, "r");
    char buffer[4096];
    ConsoleKinds kinds;
    while (in != nullptr && std::fgets(buffer, sizeof buffer, in) != nullptr) {
        std::string line = withoutColour(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        const std::string kind = kinds.next(line);
        if (m_echo == Echo::All || (m_echo == Echo::Important && isImportantKind(kind))) std::fputs(buffer, stderr);
        std::function<void()> listener;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_lines.push_back({{"seq", m_nextSeq++}, {"kind", kind}, {"text", line}});
            if (m_lines.size() > kKeptLines) m_lines.pop_front();
            listener = m_listener;
        }
        if (listener) listener();
    }
    if (in != nullptr) std::fclose(in);
}

nlohmann::json ConsoleCapture::lines(const std::string& kind, long after) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    nlohmann::json result = nlohmann::json::array();
    for (const nlohmann::json& line : m_lines) {
        if (line["seq"].get<long>() <= after) continue;
        const std::string lineKind = line["kind"];
        if (kind.empty() || lineKind == kind || (kind == "warnings" && isImportantKind(lineKind))) result.push_back(line);
    }
    return result;
}
