// The door every call passes before the simulated ISP serves it, outside the
// ISP's lock: where tests hold calls or slow them (isp_sim.h).
#ifndef ISP_SIM_CALL_GATE_H
#define ISP_SIM_CALL_GATE_H

#include <cstdint>

namespace isp_sim {

// Returns when the call may be served.
void passCallGate(uint32_t command, uint32_t option);

} // namespace isp_sim

#endif
