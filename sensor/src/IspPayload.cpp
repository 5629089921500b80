#include "IspPayload.h"

#include <cstring>

namespace sensor {

int exchangeValue(ISensorController& self, KeyHandler handler, u32 cmd, u32 opt, u32& value)
{
    // One buffer fits every command; the ISP uses ia_cmd_payload_bytes(cmd) of it.
    alignas(int32_t) unsigned char data[ia_cmd_payload_max()] = {};
    std::memcpy(data, &value, sizeof value);
    const int nRet = (self.*handler)(cmd, opt, data);
    std::memcpy(&value, data, sizeof value);
    return nRet;
}

} // namespace sensor
