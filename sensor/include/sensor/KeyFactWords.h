// The words of the facts column of key_table.def, as bits; what each means
// is written there.
#ifndef SENSOR_KEY_FACT_WORDS_H
#define SENSOR_KEY_FACT_WORDS_H

#include "SensorTypes.h"

namespace sensor {
namespace fact {
constexpr u32 PLAIN = 0;
constexpr u32 STORED_ONLY = 1u << 0;
constexpr u32 DAY_NIGHT = 1u << 1;
constexpr u32 THERMAL_OWN = 1u << 2;
constexpr u32 THERMAL_VIDEO = 1u << 3;
constexpr u32 NOT_CACHED = 1u << 4;
constexpr u32 RANGED = 1u << 5;
constexpr u32 STYLE_VALUE = 1u << 6;
constexpr u32 WDR_ITEM = 1u << 7;
constexpr u32 LDC_ITEM = 1u << 8;
constexpr u32 NO_TWIN = 0;
constexpr u32 SAME = 0xFFFFFFFFu;
} // namespace fact
} // namespace sensor

#endif
