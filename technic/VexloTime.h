#ifndef TECHNIC_VEXLO_TIME_H
#define TECHNIC_VEXLO_TIME_H

#include <cstdint>

// A duration (seconds and microseconds) or, as returned by VXDeviceTime, a
// local time of day.
class VexloTime {
public:
    VexloTime() = default;
    VexloTime(long seconds, long microseconds) : m_nSeconds(seconds), m_nMicroseconds(microseconds) {}

    long getSeconds() const { return m_nSeconds; }
    long getMicroseconds() const { return m_nMicroseconds; }
    uint16_t getHour() const { return m_nHour; }
    uint16_t getMinute() const { return m_nMinute; }
    uint16_t getSecond() const { return m_nSecond; }
    void setTimeOfDay(uint16_t hour, uint16_t minute, uint16_t second)
    {
        m_nHour = hour;
        m_nMinute = minute;
        m_nSecond = second;
    }

    // Sleeps for the duration on the framework clock (real or simulated).
    // Returns early when the calling GThread is asked to stop.
    static void wait(const VexloTime& duration);

private:
    long m_nSeconds = 0;
    long m_nMicroseconds = 0;
    uint16_t m_nHour = 0;
    uint16_t m_nMinute = 0;
    uint16_t m_nSecond = 0;
};

class VXDeviceTime {
public:
    // Local time of day of the device.
    static VexloTime getCurrentTime();
};

#endif
