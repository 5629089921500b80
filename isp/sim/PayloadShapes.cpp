#include "PayloadShapes.h"

#include "ia_ioctrl.h"

namespace isp_sim {

namespace {

const PayloadShape kShapes[] = {
    {145, PayloadKind::Record, 0}, // d2n_thr
    {146, PayloadKind::Record, 1}, // n2d_thr
    {154, PayloadKind::Record, 2}, // dn_sensitivity
    {149, PayloadKind::Record, 0}, // d2n_hour
    {150, PayloadKind::Record, 1}, // d2n_min
    {151, PayloadKind::Record, 2}, // n2d_hour
    {152, PayloadKind::Record, 3}, // n2d_min
    {IA_CMD_IR_LED_INFO, PayloadKind::Record, 0},
    {IA_CMD_SENSOR_CHECK, PayloadKind::Record, -1},
    {IA_CMD_CAMERA_VERSION, PayloadKind::Text, -1},
};

} // namespace

const PayloadShape* findPayloadShape(uint32_t command)
{
    for (const PayloadShape& shape : kShapes) {
        if (shape.command == command) return &shape;
    }
    return nullptr;
}

} // namespace isp_sim
