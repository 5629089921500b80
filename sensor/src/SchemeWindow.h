// The schedule window of a parameter set. Every set holds KEY_SCHEME_MODE at
// position 0 and the window's start hour, start minute, end hour and end
// minute right behind it; the window is read by position, not by key.
#ifndef SENSOR_SRC_SCHEME_WINDOW_H
#define SENSOR_SRC_SCHEME_WINDOW_H

#include "SensorTypes.h"
#include "SharedValue.h"

namespace sensor {

struct SchemeWindow {
    u32 start; // hour x 100 + minute
    u32 end;
};

// False when the set is too short to hold a window (a style without items).
inline bool schemeWindow(const KeyVal* set, u32 count, SchemeWindow& window)
{
    constexpr u32 kStartHour = 1, kStartMin = 2, kEndHour = 3, kEndMin = 4;
    if (set == nullptr || count <= kEndMin) return false;
    window.start = loadValue(set[kStartHour]) * 100 + loadValue(set[kStartMin]);
    window.end = loadValue(set[kEndHour]) * 100 + loadValue(set[kEndMin]);
    return true;
}

} // namespace sensor

#endif
