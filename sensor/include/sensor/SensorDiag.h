// Verbosity and assertion switches, refreshed from "/tmp/Debug.sign" before
// every report.
#ifndef SENSOR_SENSOR_DIAG_H
#define SENSOR_SENSOR_DIAG_H

#include <atomic>

#include "SensorApi.h"

// Shared by every controller and thread; each write stores a whole value.
SENSOR_API extern std::atomic<int> g_nDebugLevel;
SENSOR_API extern std::atomic<bool> g_bEnAssert;

SENSOR_API void updateDebugLevel();

#endif
