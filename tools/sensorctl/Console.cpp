#include "Console.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

namespace {

// Drops ANSI sequences "ESC [ ... letter" from a chunk, carrying a sequence
// cut at the chunk's end over to the next.
std::string stripColours(const char* data, size_t size, bool& inSequence)
{
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (inSequence) {
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) inSequence = false;
        } else if (c == '\033') {
            inSequence = true;
        } else {
            text += c;
        }
    }
    return text;
}

void writeAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written <= 0) return;
        done += static_cast<size_t>(written);
    }
}

const char* const kKinds[][2] = {
    {"[sensor assert]", "assert"}, {"[sensor warn]", "warn"}, {"[sensor err]", "err"},
    {"[sensor dbg]", "dbg"},       {"[sensor info]", "info"},
};

} // namespace

std::string consoleLineKind(const std::string& line)
{
    for (const auto& kind : kKinds) {
        if (line.find(kind[0]) != std::string::npos) return kind[1];
    }
    return "other";
}

std::string ConsoleKinds::next(const std::string& plainLine)
{
    const std::string kind = m_headerKind.empty() ? consoleLineKind(plainLine) : m_headerKind;
    const bool header = m_headerKind.empty() && kind != "other" && plainLine.find(" file:") != std::string::npos;
    m_headerKind = header ? kind : "";
    return kind;
}

bool isImportantKind(const std::string& kind)
{
    return kind == "assert" || kind == "warn" || kind == "err";
}

std::FILE* LibraryConsole::route(bool quiet, bool verbose, const std::string& logPath, std::string& error)
{
    std::fflush(stdout);
    const int resultFd = dup(STDOUT_FILENO);
    std::FILE* results = resultFd >= 0 ? fdopen(resultFd, "w") : nullptr;
    if (results == nullptr) {
        error = "cannot keep standard output for results";
        return nullptr;
    }
    if (quiet) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
        return results;
    }
    const bool keepColours = logPath.empty() && isatty(STDERR_FILENO);
    m_nTarget = logPath.empty() ? dup(STDERR_FILENO) : open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    int pipeFds[2];
    if (m_nTarget < 0 || pipe(pipeFds) != 0) {
        error = "cannot open the console log " + logPath;
        return nullptr;
    }
    dup2(pipeFds[1], STDOUT_FILENO);
    close(pipeFds[1]);
    const int readFd = pipeFds[0];
    m_copier = std::thread([this, readFd, keepColours, verbose] { copyLines(readFd, m_nTarget, keepColours, verbose); });
    return results;
}

// Line by line, as a line's kind decides whether it is shown.
void LibraryConsole::copyLines(int from, int to, bool keepColours, bool verbose)
{
    char buffer[4096];
    bool inSequence = false;
    std::string raw, plain;
    ssize_t got = 0;
    ConsoleKinds kinds;
    auto flush = [&] {
        if (verbose || isImportantKind(kinds.next(plain))) writeAll(to, keepColours ? raw : plain);
        raw.clear();
        plain.clear();
    };
    while ((got = read(from, buffer, sizeof buffer)) > 0) {
        const char* start = buffer;
        const char* const end = buffer + got;
        while (start < end) {
            const char* newline = static_cast<const char*>(std::memchr(start, '\n', static_cast<size_t>(end - start)));
            const char* stop = newline != nullptr ? newline + 1 : end;
            raw.append(start, stop);
            plain += stripColours(start, static_cast<size_t>(stop - start), inSequence);
            if (newline != nullptr) flush();
            start = stop;
        }
    }
    if (!raw.empty()) flush();
    close(from);
}

LibraryConsole::~LibraryConsole()
{
    if (!m_copier.joinable()) return;
    // Closing the pipe's last writer ends the copier.
    std::fflush(stdout);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    close(null);
    m_copier.join();
    close(m_nTarget);
}
