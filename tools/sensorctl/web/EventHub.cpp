#include "EventHub.h"

namespace {

const size_t kKeptEvents = 256; // a listener further behind reloads the page's state anyway

bool isConsole(const nlohmann::json& event)
{
    return event.value("type", "") == "console";
}

} // namespace

void EventHub::publish(const nlohmann::json& event)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (isConsole(event) && !m_events.empty() && isConsole(m_events.back().second)) m_events.pop_back();
        m_events.emplace_back(m_next++, event);
        if (m_events.size() > kKeptEvents) m_events.pop_front();
    }
    m_changed.notify_all();
}

long EventHub::latest() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_next - 1;
}

std::vector<nlohmann::json> EventHub::waitAfter(long& seen, std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, timeout, [&] { return m_stopped || m_next - 1 > seen; });
    std::vector<nlohmann::json> events;
    if (m_stopped) return events;
    for (const auto& event : m_events) {
        if (event.first > seen) events.push_back(event.second);
    }
    seen = m_next - 1;
    return events;
}

void EventHub::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
    }
    m_changed.notify_all();
}

bool EventHub::stopped() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stopped;
}
