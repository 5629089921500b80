// Commands whose data is more than one int32: which record they carry and
// how the simulated ISP maps it onto the command's plain value.
#ifndef ISP_SIM_PAYLOAD_SHAPES_H
#define ISP_SIM_PAYLOAD_SHAPES_H

#include <cstddef>
#include <cstdint>

namespace isp_sim {

enum class PayloadKind {
    Record, // int32 words, exchanged whole
    Text    // NUL-terminated text written into a fixed buffer by a GET
};

struct PayloadShape {
    uint32_t command;
    PayloadKind kind;
    // Record word that is the command's own plain value (SET stores it, GET
    // returns it as one int32); -1: a GET exchanges the whole record.
    int valueWord;
};

// nullptr for commands that carry a single int32.
const PayloadShape* findPayloadShape(uint32_t command);

} // namespace isp_sim

#endif
