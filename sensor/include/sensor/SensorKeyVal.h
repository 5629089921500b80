// Pair text "(key,value)(key,value)..." and value correction by the ISP.
#ifndef SENSOR_SENSOR_KEY_VAL_H
#define SENSOR_SENSOR_KEY_VAL_H

#include <cstdint>
#include <string>

#include "SensorApi.h"
#include "SensorTypes.h"

// Appends "(%d,%d)" for each record; out is not cleared.
SENSOR_API void keyval_st2str(std::string& out, KeyVal* p_pKeyval, u32 p_nCount);
// Parses pair text into out; *p_pnCount receives the number stored. The
// caller's array must hold every pair of the text.
SENSOR_API void keyval_str2st(const std::string& text, KeyVal* out, u32* p_pnCount);
// As keyval_str2st; pairs past p_nCapacity records are dropped (the
// library's own callers use this one).
SENSOR_API void keyval_str2stBounded(const std::string& text, KeyVal* out, u32* p_pnCount, u32 p_nCapacity);
// Lets the ISP rewrite every dynamic value of the set to one it accepts.
SENSOR_API int keyval_correct(int p_nChannel_id, KeyVal* p_pKeyval, u32 p_nCount);

#endif
