#include "Console.h"

#include <fcntl.h>
#include <unistd.h>

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

} // namespace

std::FILE* LibraryConsole::route(bool quiet, const std::string& logPath, std::string& error)
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
    if (logPath.empty() && isatty(STDERR_FILENO)) {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        return results;
    }
    m_nTarget = logPath.empty() ? dup(STDERR_FILENO) : open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    int pipeFds[2];
    if (m_nTarget < 0 || pipe(pipeFds) != 0) {
        error = "cannot open the console log " + logPath;
        return nullptr;
    }
    dup2(pipeFds[1], STDOUT_FILENO);
    close(pipeFds[1]);
    const int readFd = pipeFds[0];
    m_copier = std::thread([this, readFd] { copyWithoutColours(readFd, m_nTarget); });
    return results;
}

void LibraryConsole::copyWithoutColours(int from, int to)
{
    char buffer[4096];
    bool inSequence = false;
    ssize_t got = 0;
    while ((got = read(from, buffer, sizeof buffer)) > 0) {
        writeAll(to, stripColours(buffer, static_cast<size_t>(got), inSequence));
    }
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
