// The one-key and one-command operations of the host, generated from
// key_wrappers.def. Each is one call of keyOperation with its row: the
// reading, setting and recording are written once for all of them, not once
// per operation.
#include <cstdint>

#include "ISensorController.h"
#include "KeyFacts.h"
#include "SensorKeys.h"
#include "Recorder.h"
#include "ia_ioctrl.h"

namespace {

enum Direction : unsigned char { GET, GET_ANY, SET, SET_VALUE, DIRECT_GET, DIRECT_SET, LENS_GET, LENS_SET };

enum Row : unsigned char {
#define SENSOR_WRAPPER(method, key, direction) kRow_##method,
#include "key_wrappers.def"
#undef SENSOR_WRAPPER
};

struct Wrapper {
    uint16_t key; // every key fits (key_table.def)
    Direction direction;
};

const Wrapper kWrappers[] = {
#define SENSOR_WRAPPER(method, key, direction) {key, direction},
#include "key_wrappers.def"
#undef SENSOR_WRAPPER
};

bool takesValue(Direction direction)
{
    return direction == SET || direction == SET_VALUE || direction == DIRECT_SET || direction == LENS_SET;
}

// The command straight to the ISP: no scheme is read or written.
bool runDirect(ISensorController& self, const Wrapper& wrapper, int& value)
{
    const bool lensRow = wrapper.direction == LENS_GET || wrapper.direction == LENS_SET;
    if (lensRow && !self.hasLens()) {
        if (wrapper.direction == LENS_GET) value = 0;
        return true;
    }
    const u32 option = takesValue(wrapper.direction) ? IA_CMD_OPT_SET : IA_CMD_OPT_GET;
    return self.doIaCmd(wrapper.key, option, &value) == SNS_SUCCESS;
}

bool run(ISensorController& self, const Wrapper& wrapper, int& value)
{
    switch (wrapper.direction) {
    case GET:
        return self.getParameter(wrapper.key, value);
    case GET_ANY:
        self.getParameter(wrapper.key, value);
        return true;
    case SET:
    case SET_VALUE:
        return self.setParameter(wrapper.key, value, true) == SNS_SUCCESS;
    default:
        return runDirect(self, wrapper, value);
    }
}

#if SENSOR_RECORDER
// SET gives the value back as well: the reference may have been corrected.
bool givesValue(Direction direction)
{
    return direction == SET || !takesValue(direction);
}

// The operations' names, each ended by a NUL, in row order.
const char kNames[] =
#define SENSOR_WRAPPER(method, key, direction) #method "\0"
#include "key_wrappers.def"
#undef SENSOR_WRAPPER
    ;

const char* nameOf(Row row)
{
    const char* name = kNames;
    for (unsigned skipped = 0; skipped < row; ++skipped) {
        while (*name != '\0') ++name;
        ++name;
    }
    return name;
}

bool record(ISensorController& self, Row row, int& value)
{
    const Wrapper& wrapper = kWrappers[row];
    sensor::recorder::Call call(self, nameOf(row));
    if (takesValue(wrapper.direction)) call.input(value);
    const bool result = run(self, wrapper, value);
    if (givesValue(wrapper.direction)) call.output(value);
    call.finish(result);
    return result;
}
#endif

bool keyOperation(ISensorController& self, Row row, int& value)
{
#if SENSOR_RECORDER
    if (sensor::recorder::shouldRecord()) return record(self, row, value);
#endif
    return run(self, kWrappers[row], value);
}

} // namespace

#define SENSOR_WRAPPER(method, key, direction) SENSOR_WRAPPER_DEFINE_##direction(method)
#define SENSOR_WRAPPER_BY_REFERENCE(method)                                                                            \
    bool ISensorController::method(int& p_nValue)                                                                      \
    {                                                                                                                  \
        return keyOperation(*this, kRow_##method, p_nValue);                                                           \
    }
#define SENSOR_WRAPPER_DEFINE_GET(method) SENSOR_WRAPPER_BY_REFERENCE(method)
#define SENSOR_WRAPPER_DEFINE_GET_ANY(method) SENSOR_WRAPPER_BY_REFERENCE(method)
#define SENSOR_WRAPPER_DEFINE_SET(method) SENSOR_WRAPPER_BY_REFERENCE(method)
#define SENSOR_WRAPPER_BY_VALUE(method)                                                                                \
    bool ISensorController::method(int p_nValue)                                                                       \
    {                                                                                                                  \
        return keyOperation(*this, kRow_##method, p_nValue);                                                           \
    }
#define SENSOR_WRAPPER_DEFINE_SET_VALUE(method) SENSOR_WRAPPER_BY_VALUE(method)
#define SENSOR_WRAPPER_DEFINE_DIRECT_GET(method) SENSOR_WRAPPER_BY_REFERENCE(method)
#define SENSOR_WRAPPER_DEFINE_DIRECT_SET(method) SENSOR_WRAPPER_BY_VALUE(method)
#define SENSOR_WRAPPER_DEFINE_LENS_GET(method) SENSOR_WRAPPER_BY_REFERENCE(method)
#define SENSOR_WRAPPER_DEFINE_LENS_SET(method) SENSOR_WRAPPER_BY_VALUE(method)

#include "key_wrappers.def"
