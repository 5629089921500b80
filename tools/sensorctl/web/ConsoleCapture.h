// The library's console (its reports and the video module's notes go to
// standard output) read back line by line for the page, and still echoed
// to standard error.
#ifndef SENSORCTL_CONSOLE_CAPTURE_H
#define SENSORCTL_CONSOLE_CAPTURE_H

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

class ConsoleCapture {
public:
    ConsoleCapture() = default;
    ~ConsoleCapture(); // puts standard output back
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    // Which lines are still written to standard error.
    enum class Echo { None, Important, All };
    bool start(Echo echo);
    // Called after each new line, on the reading thread.
    void onLine(std::function<void()> listener);
    // The kept lines after the one numbered after (-1: all kept), oldest
    // first, of one report kind ("" for all, "warnings" for warnings and
    // above): [{seq, kind, text}]; kinds are assert, warn, err, dbg, info, other.
    nlohmann::json lines(const std::string& kind, long after = -1) const;

private:
    void readLoop(int fd);

    mutable std::mutex m_mutex;
    std::deque<nlohmann::json> m_lines;
    long m_nextSeq = 0;
    int m_savedStdout = -1;
    std::thread m_reader;
    Echo m_echo = Echo::All;
    std::function<void()> m_listener;
};

#endif
