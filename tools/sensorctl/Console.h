// Where the library's console lines go: the terminal, a log file, or
// nowhere. Colour codes are kept only for a terminal. Results keep the
// original standard output.
#ifndef SENSORCTL_CONSOLE_H
#define SENSORCTL_CONSOLE_H

#include <cstdio>
#include <string>
#include <thread>

class LibraryConsole {
public:
    LibraryConsole() = default;
    ~LibraryConsole(); // drains what the library printed
    LibraryConsole(const LibraryConsole&) = delete;
    LibraryConsole& operator=(const LibraryConsole&) = delete;

    // quiet: drop the console; logPath non-empty: append it there. Returns
    // the stream for results (the original standard output), nullptr on failure.
    std::FILE* route(bool quiet, const std::string& logPath, std::string& error);

private:
    void copyWithoutColours(int from, int to);

    std::thread m_copier;
    int m_nTarget = -1;
};

#endif
