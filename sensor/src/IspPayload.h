// One value exchanged with a command that may carry a record or a text: the
// ISP always gets a buffer of the command's whole payload, never a lone int.
#ifndef SENSOR_ISP_PAYLOAD_H
#define SENSOR_ISP_PAYLOAD_H

#include "ISensorController.h"
#include "ia_ioctrl.h"

namespace sensor {

// Calls handler(cmd, opt, data) with data a zeroed payload buffer whose
// first int32 is value; value then holds what that int32 became (a get's
// answer, or a handler's rewrite).
int exchangeValue(ISensorController& self, KeyHandler handler, u32 cmd, u32 opt, u32& value);

} // namespace sensor

#endif
