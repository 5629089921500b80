#include "SimulatedTime.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <set>

#include "SimClock.h"

namespace {

constexpr std::int64_t kMinutesPerDay = 24 * 60;
constexpr std::int64_t kMaxSeconds = 1000LL * 366 * 24 * 3600;
// Real time a thread may take for one pass before it counts as stuck.
constexpr int kPassTimeoutMs = 10000;

bool wholeText(const char* text, int consumed)
{
    return consumed > 0 && text[consumed] == '\0';
}

} // namespace

bool parseTimeOfDay(const std::string& text, int& hour, int& minute)
{
    int consumed = 0;
    return std::sscanf(text.c_str(), "%2d:%2d%n", &hour, &minute, &consumed) == 2 && wholeText(text.c_str(), consumed) &&
           hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}

bool parseDate(const std::string& text, SimulatedStart& start)
{
    int year = 0, month = 0, day = 0, consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &consumed) != 3 ||
        !wholeText(text.c_str(), consumed) || year < 1970 || month < 1 || month > 12 || day < 1) {
        return false;
    }
    // A day past the month's end would roll over: refuse it.
    std::tm calendar{};
    calendar.tm_year = year - 1900;
    calendar.tm_mon = month - 1;
    calendar.tm_mday = day;
    const std::time_t stamp = timegm(&calendar);
    std::tm back{};
    if (gmtime_r(&stamp, &back) == nullptr || back.tm_mday != day) return false;
    start.year = year;
    start.month = month;
    start.day = day;
    return true;
}

bool parseDuration(const std::string& text, std::int64_t& seconds)
{
    char* end = nullptr;
    const long long count = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str() || count < 0 || (*end != '\0' && end[1] != '\0')) return false;
    const char unit = *end != '\0' ? *end : 'm';
    const std::int64_t unitSeconds = unit == 's' ? 1 : unit == 'm' ? 60 : unit == 'h' ? 3600 : unit == 'd' ? 86400 : 0;
    if (unitSeconds == 0 || count > kMaxSeconds / unitSeconds) return false;
    seconds = count * unitSeconds;
    return true;
}

void SimulatedTime::begin(const SimulatedStart& start)
{
    m_start = start;
    technic_sim::resetSimulatedClock();
    technic_sim::setLocalTime(start.hour, start.minute, 0);
    technic_sim::useSimulatedClock(true);
    technic_sim::driveClockFromThisThread(true);
}

void SimulatedTime::end()
{
    technic_sim::driveClockFromThisThread(false);
    technic_sim::useSimulatedClock(false);
}

std::int64_t SimulatedTime::minutesSinceMidnight() const
{
    return m_start.hour * 60 + m_start.minute + technic_sim::simulatedNowMicroseconds() / 60000000;
}

std::string SimulatedTime::now() const
{
    const std::int64_t minutes = minutesSinceMidnight();
    std::tm calendar{};
    calendar.tm_year = m_start.year - 1900;
    calendar.tm_mon = m_start.month - 1;
    calendar.tm_mday = m_start.day + static_cast<int>(minutes / kMinutesPerDay);
    const std::time_t stamp = timegm(&calendar);
    std::tm date{};
    gmtime_r(&stamp, &date);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", date.tm_year + 1900, date.tm_mon + 1, date.tm_mday,
                  static_cast<int>(minutes % kMinutesPerDay / 60), static_cast<int>(minutes % 60));
    return text;
}

bool SimulatedTime::step(std::int64_t seconds, int threads)
{
    return technic_sim::advanceAndSettle(static_cast<long>(seconds), 0, threads, kPassTimeoutMs);
}

bool SimulatedTime::skipTo(int hour, int minute, int threads)
{
    const std::int64_t ahead = ((hour * 60 + minute - minutesSinceMidnight()) % kMinutesPerDay + kMinutesPerDay) %
                               kMinutesPerDay;
    return ahead == 0 || step(ahead * 60, threads);
}

bool SimulatedTime::stepTo(int hour, int minute, int second, int threads)
{
    const std::int64_t now = (m_start.hour * 60 + m_start.minute) * 60 + technic_sim::simulatedNowMicroseconds() / 1000000;
    const std::int64_t day = kMinutesPerDay * 60;
    const std::int64_t ahead = (((hour * 60 + minute) * 60 + second - now) % day + day) % day;
    return ahead == 0 || step(ahead, threads);
}

bool SimulatedTime::runFor(std::int64_t seconds, int threads, const std::function<bool()>& onMinute,
                           const std::function<void(std::int64_t day)>& onDay)
{
    // The first step lets every thread make a pass at the start time.
    if (!step(1, threads)) return false;
    onMinute();
    const std::int64_t first = minutesSinceMidnight();
    const std::int64_t last = first + seconds / 60;
    std::set<std::int64_t> changeMinutes; // minutes of day, seen on the second day
    std::int64_t minute = first;
    while (minute < last) {
        std::int64_t next = minute + 1;
        if (minute - first >= 2 * kMinutesPerDay) {
            // Jump to the next minute of day that changed something, or to the end.
            next = last;
            for (const std::int64_t ofDay : changeMinutes) {
                std::int64_t candidate = minute - minute % kMinutesPerDay + ofDay;
                if (candidate <= minute) candidate += kMinutesPerDay;
                if (candidate < next) next = candidate;
            }
        }
        if (!step((next - minute) * 60, threads)) return false;
        if (next / kMinutesPerDay != minute / kMinutesPerDay) onDay(next / kMinutesPerDay - first / kMinutesPerDay);
        minute = next;
        const bool changed = onMinute();
        if (changed && minute - first >= kMinutesPerDay && minute - first < 2 * kMinutesPerDay) {
            changeMinutes.insert(minute % kMinutesPerDay);
        }
    }
    return true;
}
