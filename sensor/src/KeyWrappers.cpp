// The one-key operations of the host, generated from key_wrappers.def.
#include "ISensorController.h"
#include "SensorKeys.h"
#include "Recorder.h"

#define SENSOR_WRAPPER(method, key, direction) SENSOR_WRAPPER_DEFINE_##direction(method, key)

#define SENSOR_WRAPPER_DEFINE_GET(method, key) \
    bool ISensorController::method(int& p_nValue)  \
    {                                                \
        SENSOR_RECORD(method, p_nValue);             \
        return getParameter(key, p_nValue);          \
    }
// Reads like GET but reports success whatever the read gave.
#define SENSOR_WRAPPER_DEFINE_GET_ANY(method, key) \
    bool ISensorController::method(int& p_nValue)  \
    {                                                \
        SENSOR_RECORD(method, p_nValue);             \
        getParameter(key, p_nValue);                 \
        return true;                                 \
    }
#define SENSOR_WRAPPER_DEFINE_SET(method, key)                           \
    bool ISensorController::method(int& p_nValue)                        \
    {                                                                    \
        SENSOR_RECORD_INOUT(method, p_nValue);                           \
        return setParameter(key, p_nValue, true) == SNS_SUCCESS;         \
    }
#define SENSOR_WRAPPER_DEFINE_SET_VALUE(method, key)                     \
    bool ISensorController::method(int p_nValue)                         \
    {                                                                    \
        SENSOR_RECORD(method, p_nValue);                                 \
        return setParameter(key, p_nValue, true) == SNS_SUCCESS;         \
    }

#include "key_wrappers.def"
