// The ISP's one entry point as the library calls it: every call is noted for
// the flight recorder, whichever part of the library makes it.
#ifndef SENSOR_SRC_ISP_CALL_H
#define SENSOR_SRC_ISP_CALL_H

#include "Recorder.h"
#include "ia_ioctrl.h"

namespace sensor {

inline int callIsp(int channel, u32 cmd, u32 opt, void* data)
{
    const int result = ia_ioctrl_v2(channel, static_cast<ia_cmd_e>(cmd), opt, data);
    recorder::noteIspCall(channel, cmd, opt, data, result);
    return result;
}

} // namespace sensor

#endif
