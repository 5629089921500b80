// What the page is told without asking (server-sent events): a value or
// scheme changed by any client or by the simulated clock, new console lines.
#ifndef SENSORCTL_EVENT_HUB_H
#define SENSORCTL_EVENT_HUB_H

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

class EventHub {
public:
    // Console events coalesce: a listener that missed one sees the next.
    void publish(const nlohmann::json& event);
    long latest() const;
    // The events after seen (seen moves on), waiting up to timeout for one;
    // empty on timeout or once stopped.
    std::vector<nlohmann::json> waitAfter(long& seen, std::chrono::milliseconds timeout);
    void stop();
    bool stopped() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::pair<long, nlohmann::json>> m_events;
    long m_next = 0;
    bool m_stopped = false;
};

#endif
