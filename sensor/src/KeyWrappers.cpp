// The one-key operations of the host, generated from key_wrappers.def. Each
// is one call of keyOperation with its row: the reading, setting and
// recording are written once for all of them, not once per operation.
#include <cstdint>

#include "ISensorController.h"
#include "SensorKeys.h"
#include "Recorder.h"

namespace {

enum Direction : unsigned char { GET, GET_ANY, SET, SET_VALUE };

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

bool run(ISensorController& self, const Wrapper& wrapper, int& value)
{
    switch (wrapper.direction) {
    case GET:
        return self.getParameter(wrapper.key, value);
    case GET_ANY:
        self.getParameter(wrapper.key, value);
        return true;
    default:
        return self.setParameter(wrapper.key, value, true) == SNS_SUCCESS;
    }
}

#if SENSOR_RECORDER
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

// A reference given is an output; SET reads it first, so it is an input too.
bool record(ISensorController& self, Row row, int& value)
{
    const Wrapper& wrapper = kWrappers[row];
    sensor::recorder::Call call(self, nameOf(row));
    if (wrapper.direction == SET || wrapper.direction == SET_VALUE) call.input(value);
    const bool result = run(self, wrapper, value);
    if (wrapper.direction != SET_VALUE) call.output(value);
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
#define SENSOR_WRAPPER_DEFINE_SET_VALUE(method)                                                                        \
    bool ISensorController::method(int p_nValue)                                                                       \
    {                                                                                                                  \
        return keyOperation(*this, kRow_##method, p_nValue);                                                           \
    }

#include "key_wrappers.def"
