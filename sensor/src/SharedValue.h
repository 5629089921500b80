// Values of the parameter sets are read and written by host threads and by
// the sensor thread at the same time (see selectScheme). Each is one aligned
// 32-bit word, read and written whole with relaxed atomics in place, so
// KeyVal stays the plain 8-byte record of the files and the host; no value
// depends on another, so no ordering between them is needed. Keys are
// written only while no sensor thread runs (start-up), and read plainly.
#ifndef SENSOR_SRC_SHARED_VALUE_H
#define SENSOR_SRC_SHARED_VALUE_H

#include "SensorTypes.h"

namespace sensor {

inline u32 loadValue(const KeyVal& record)
{
    return __atomic_load_n(&record.value, __ATOMIC_RELAXED);
}

inline void storeValue(KeyVal& record, u32 value)
{
    __atomic_store_n(&record.value, value, __ATOMIC_RELAXED);
}

// A copy of `count` records whose values another thread may be storing.
inline void copyRecords(const KeyVal* from, u32 count, KeyVal* to)
{
    for (u32 i = 0; i < count; ++i) {
        to[i].key = from[i].key;
        to[i].value = loadValue(from[i]);
    }
}

// Puts into `set` each value that went from `before` to `after`, unless the
// set's value is no longer `before`: a store made meanwhile is newer.
inline void storeChanged(KeyVal* set, const KeyVal* before, const KeyVal* after, u32 count)
{
    for (u32 i = 0; i < count; ++i) {
        u32 expected = before[i].value;
        if (expected == after[i].value) continue;
        __atomic_compare_exchange_n(&set[i].value, &expected, after[i].value, false, __ATOMIC_RELAXED,
                                    __ATOMIC_RELAXED);
    }
}

} // namespace sensor

#endif
