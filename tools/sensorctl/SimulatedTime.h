// sensorctl's time: the simulated framework clock, started at a chosen date
// and time of day, so no result depends on the PC's clock and no wait costs
// real time.
#ifndef SENSORCTL_SIMULATED_TIME_H
#define SENSORCTL_SIMULATED_TIME_H

#include <cstdint>
#include <functional>
#include <string>

struct SimulatedStart {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0;
};

bool parseTimeOfDay(const std::string& text, int& hour, int& minute);
bool parseDate(const std::string& text, SimulatedStart& start);
// "90s", "30m", "2h", "3d" (a bare number is minutes); false when malformed
// or beyond a thousand years.
bool parseDuration(const std::string& text, std::int64_t& seconds);

class SimulatedTime {
public:
    // Resets the clock to the start, switches it on and makes this thread its
    // driver in lockstep (SimClock.h): the sensor threads started from here
    // take turns with it, and its waits move the clock on (start-up's waits
    // then take no real time).
    void begin(const SimulatedStart& start);
    // Back to the real clock.
    void end();

    // Whole minutes since the start date's midnight.
    std::int64_t minutesSinceMidnight() const;
    // "YYYY-MM-DD HH:MM" of the current simulated time.
    std::string now() const;

    // Steps the started sensor threads (`threads` of them) through `seconds`
    // of simulated time, one pass a minute, and calls onMinute after each
    // pass; onMinute returns whether anything changed. A schedule repeats
    // daily, so after two whole days only the minutes of day at which a
    // change was seen on the second day are visited. onDay is called at each
    // new day (progress). False when a thread stops answering.
    bool runFor(std::int64_t seconds, int threads, const std::function<bool()>& onMinute,
                const std::function<void(std::int64_t day)>& onDay);

    // Moves on to the next HH:MM (not at all when it is that minute now).
    bool skipTo(int hour, int minute, int threads);
    // Moves on to the next HH:MM:SS in one step (not at all when it is now).
    bool stepTo(int hour, int minute, int second, int threads);

private:
    bool step(std::int64_t seconds, int threads);

    SimulatedStart m_start;
};

#endif
