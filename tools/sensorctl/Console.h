// Where the library's console lines go: the terminal, a log file, or
// nowhere. Colour codes are kept only for a terminal. Results keep the
// original standard output.
#ifndef SENSORCTL_CONSOLE_H
#define SENSORCTL_CONSOLE_H

#include <cstdio>
#include <string>
#include <thread>

// The report kind of a console line without colours: assert, warn, err,
// dbg, info, or other (the video module's notes, plain prints).
std::string consoleLineKind(const std::string& line);
// Assertions, warnings and errors: the lines shown by default.
bool isImportantKind(const std::string& kind);

// Kinds of consecutive lines: a report's header line ("[sensor warn]
// file:... fun:... line:N") is followed by its message line, of its kind.
class ConsoleKinds {
public:
    std::string next(const std::string& plainLine);

private:
    std::string m_headerKind;
};

class LibraryConsole {
public:
    LibraryConsole() = default;
    ~LibraryConsole(); // drains what the library printed
    LibraryConsole(const LibraryConsole&) = delete;
    LibraryConsole& operator=(const LibraryConsole&) = delete;

    // quiet: drop the console; verbose: every line, else only warnings and
    // above; logPath non-empty: append it there. Returns the stream for
    // results (the original standard output), nullptr on failure.
    std::FILE* route(bool quiet, bool verbose, const std::string& logPath, std::string& error);

private:
    void copyLines(int from, int to, bool keepColours, bool verbose);

    std::thread m_copier;
    int m_nTarget = -1;
};

#endif
