#include "Operations.h"

namespace {

using Args = std::vector<int>;
using Out = std::vector<std::string>;

// An operation that reads one int.
Operation getter(const char* name, bool (ISensorController::*method)(int&))
{
    return {name, 0, [method](ISensorController& c, const Args&, Out& out) {
                int value = 0;
                const bool ok = (c.*method)(value);
                out.push_back("value\t" + std::to_string(value));
                return ok;
            }};
}

// An operation that takes one int by value.
Operation setter(const char* name, bool (ISensorController::*method)(int))
{
    return {name, 1, [method](ISensorController& c, const Args& args, Out&) { return (c.*method)(args[0]); }};
}

// An operation that takes one int by reference.
Operation refSetter(const char* name, bool (ISensorController::*method)(int&))
{
    return {name, 1, [method](ISensorController& c, const Args& args, Out&) {
                int value = args[0];
                return (c.*method)(value);
            }};
}

// An operation that gives a flag back.
Operation flagGetter(const char* name, bool (ISensorController::*method)(bool&))
{
    return {name, 0, [method](ISensorController& c, const Args&, Out& out) {
                bool flag = false;
                const bool ok = (c.*method)(flag);
                out.push_back(std::string("flag\t") + (flag ? "1" : "0"));
                return ok;
            }};
}

// An operation that gives a text back, printed under `label`.
Operation textGetter(const char* name, const char* label, bool (ISensorController::*method)(std::string&))
{
    return {name, 0, [method, label](ISensorController& c, const Args&, Out& out) {
                std::string text;
                const bool ok = (c.*method)(text);
                out.push_back(label + ("\t" + text));
                return ok;
            }};
}

// An operation that reads one int for the number it is given.
Operation keyedGetter(const char* name, const char* label, bool (ISensorController::*method)(int, int&))
{
    return {name, 1, [method, label](ISensorController& c, const Args& a, Out& out) {
                int value = 0;
                const bool ok = (c.*method)(a[0], value);
                out.push_back(label + ("\t" + std::to_string(value)));
                return ok;
            }};
}

// The zoom/focus lock's line.
std::string lockedLine(const SensorZoomFocusParam& lock)
{
    return std::string("locked\t") + (lock.getLockZoomFocusEnable() ? "1" : "0");
}

// An operation without arguments.
Operation action(const char* name, bool (ISensorController::*method)())
{
    return {name, 0, [method](ISensorController& c, const Args&, Out&) { return (c.*method)(); }, nullptr};
}

// A status given back, 0 when the operation succeeded.
bool statusOut(int result, Out& out)
{
    out.push_back("result\t" + std::to_string(result));
    return result == 0;
}

Operation status(const char* name, int (ISensorController::*method)())
{
    return {name, 0, [method](ISensorController& c, const Args&, Out& out) { return statusOut((c.*method)(), out); },
            nullptr};
}

// The sensor check gives its result and the text it rewrote.
bool sensorCheck(ISensorController& c, std::string& text, Out& out)
{
    const int result = c.SensorCheck(text);
    out = {"result\t" + std::to_string(result), "text\t" + text};
    return true;
}

const std::vector<Operation> kOperations = {
#define SENSOR_WRAPPER(method, key, direction) direction##_OPERATION(#method, &ISensorController::method),
#define GET_OPERATION getter
#define GET_ANY_OPERATION getter
#define SET_OPERATION refSetter
#define SET_VALUE_OPERATION setter
#define DIRECT_GET_OPERATION getter
#define DIRECT_SET_OPERATION setter
#define LENS_GET_OPERATION getter
#define LENS_SET_OPERATION setter
#include "key_wrappers.def"
#undef SENSOR_WRAPPER
#undef GET_OPERATION
#undef GET_ANY_OPERATION
#undef SET_OPERATION
#undef SET_VALUE_OPERATION
#undef DIRECT_GET_OPERATION
#undef DIRECT_SET_OPERATION
#undef LENS_GET_OPERATION
#undef LENS_SET_OPERATION
    refSetter("setExposureStrategy", &ISensorController::setExposureStrategy),
    setter("setLightType", &ISensorController::setLightType),
    setter("setIrisValue", &ISensorController::setIrisValue),
    getter("getShutterValue", &ISensorController::getShutterValue),
    setter("setShutterValue", &ISensorController::setShutterValue),
    flagGetter("getHeatStatus", &ISensorController::getHeatStatus),
    flagGetter("getShowWDRFalg", &ISensorController::getShowWDRFalg),
    flagGetter("getShowBeawayFalg", &ISensorController::getShowBeawayFalg),
    {"setShowWDRFalg", 1, [](ISensorController& c, const Args& a, Out&) { return c.setShowWDRFalg(a[0] != 0), true; }},
    {"setShowBeawayFalg", 1,
     [](ISensorController& c, const Args& a, Out&) { return c.setShowBeawayFalg(a[0] != 0), true; }},
    {"getZoomValue", 0,
     [](ISensorController& c, const Args&, Out& out) {
         int position = 0, ratio = 0;
         const bool ok = c.getZoomValue(position, ratio);
         out = {"position\t" + std::to_string(position), "ratio\t" + std::to_string(ratio)};
         return ok;
     }},
    {"getAFStatistic", 0,
     [](ISensorController& c, const Args&, Out& out) {
         u32 statistic = 0;
         const bool ok = c.getAFStatistic(statistic);
         out.push_back("statistic\t" + std::to_string(statistic));
         return ok;
     }},
    keyedGetter("getCmdExecStatus", "status", &ISensorController::getCmdExecStatus),
    textGetter("getCameraVerInf", "version", &ISensorController::getCameraVerInf),
    {"setIrLedInfo", 4,
     [](ISensorController& c, const Args& a, Out&) {
         int record[4] = {a[0], a[1], a[2], a[3]};
         return c.setIrLedInfo(record);
     }},
    {"setZoomFocusLock", 1,
     [](ISensorController& c, const Args& a, Out&) {
         SensorZoomFocusParam lock;
         c.getSensorZoomFocusParam(lock);
         lock.setLockZoomFocusEnable(a[0] != 0);
         return c.setSensorZoomFocusParam(lock) == 0;
     }},
    {"getZoomFocusLock", 0,
     [](ISensorController& c, const Args&, Out& out) {
         SensorZoomFocusParam lock;
         const bool ok = c.getSensorZoomFocusParam(lock) == 0;
         out.push_back(lockedLine(lock));
         return ok;
     }},
    {"SensorCheck", 3,
     [](ISensorController& c, const Args& a, Out& out) {
         std::string text = "(" + std::to_string(a[0]) + "," + std::to_string(a[1]) + "," + std::to_string(a[2]) + ")";
         return sensorCheck(c, text, out);
     }},
    // The host's own text, as the recorder writes it.
    {"SensorCheck", 1, nullptr,
     [](ISensorController& c, const std::string& text, const Args&, Out& out) {
         std::string inOut = text;
         return sensorCheck(c, inOut, out);
     }},
    {"getParameters", 1, nullptr,
     [](ISensorController& c, const std::string& ids, const Args&, Out& out) {
         std::string text;
         const bool ok = c.getParameters(ids, text);
         out.push_back("text\t" + text);
         return ok;
     }},
    {"getSensorParamRange", 1,
     [](ISensorController& c, const Args& a, Out& out) {
         int fallback = 0;
         std::string range;
         const bool ok = c.getSensorParamRange(a[0], fallback, range);
         out = {"default\t" + std::to_string(fallback), "range\t" + range};
         return ok;
     }},
    textGetter("getAllParameters", "text", &ISensorController::getAllParameters),
    {"getSensorZoomFocusParam", 0,
     [](ISensorController& c, const Args&, Out& out) {
         SensorZoomFocusParam lock;
         const int result = c.getSensorZoomFocusParam(lock);
         out.push_back(lockedLine(lock));
         return statusOut(result, out);
     }},
    {"setSensorZoomFocusParam", 1,
     [](ISensorController& c, const Args& a, Out& out) {
         SensorZoomFocusParam lock;
         lock.setLockZoomFocusEnable(a[0] != 0);
         return statusOut(c.setSensorZoomFocusParam(lock), out);
     }},
    {"getSensorType", 0,
     [](ISensorController& c, const Args&, Out& out) {
         out.push_back("type\t" + std::to_string(c.getSensorType()));
         return true;
     }},
    action("getSensorStatus", &ISensorController::getSensorStatus),
    action("sync_fov", &ISensorController::sync_fov),
    {"uinit", 0, [](ISensorController& c, const Args&, Out&) { return c.uinit(), true; }},
    {"judgeCurScheme", 0,
     [](ISensorController& c, const Args&, Out& out) {
         int scheme = 0, schedule = 0;
         c.judgeCurScheme(scheme, schedule);
         out = {"scheme\t" + std::to_string(scheme), "schedule\t" + std::to_string(schedule)};
         return true;
     }},
    {"paramCheck", 0,
     [](ISensorController& c, const Args&, Out& out) {
         out.push_back("window_check\t" + std::to_string(c.paramCheck()));
         return true;
     }},
    // The operations the commands above call, by their own names, so that a
    // recorder log (sensor_record) runs as a script.
    {"setParameter", 3,
     [](ISensorController& c, const Args& a, Out& out) { return statusOut(c.setParameter(a[0], a[1], a[2] != 0), out); },
     nullptr},
    {"setParameters", 2, nullptr,
     [](ISensorController& c, const std::string& text, const Args& a, Out& out) {
         return statusOut(c.setParameters(text, a[0] != 0), out);
     }},
    keyedGetter("getParameter", "value", &ISensorController::getParameter),
    setter("setParamScheme", &ISensorController::setParamScheme),
    getter("getParamScheme", &ISensorController::getParamScheme),
    setter("setParamMode", &ISensorController::setParamMode),
    getter("getParamMode", &ISensorController::getParamMode),
    status("flush", &ISensorController::flush),
    setter("setMirrorMode", &ISensorController::setMirrorMode),
    action("resetToLastParameters", &ISensorController::resetToLastParameters),
    {"restore", 1,
     [](ISensorController& c, const Args& a, Out& out) { return statusOut(c.restore(a[0]), out); }, nullptr},
    action("restoreAeMode", &ISensorController::restoreAeMode),
    action("resetParameters", &ISensorController::resetParameters),
    action("zoomIn", &ISensorController::zoomIn),
    action("zoomOut", &ISensorController::zoomOut),
    action("focusFar", &ISensorController::focusFar),
    action("focusNear", &ISensorController::focusNear),
    action("irisUp", &ISensorController::irisUp),
    action("irisDown", &ISensorController::irisDown),
    action("shutterUp", &ISensorController::shutterUp),
    action("shutterDown", &ISensorController::shutterDown),
    setter("setIRSwitch", &ISensorController::setIRSwitch),
    setter("setWhiteSwitch", &ISensorController::setWhiteSwitch),
    {"getUICommonFile", 1,
     [](ISensorController& c, const Args& a, Out& out) {
         out.push_back("text\t" + c.getUICommonFile(a[0]));
         return true;
     }},
    {"getUILanguageFile", 1,
     [](ISensorController& c, const Args& a, Out& out) {
         out.push_back("text\t" + c.getUILanguageFile(a[0]));
         return true;
     }},
    {"getUIStyleFile", 0,
     [](ISensorController& c, const Args&, Out& out) {
         out.push_back("text\t" + c.getUIStyleFile());
         return true;
     }},
};

} // namespace

const std::vector<Operation>& operationTable()
{
    return kOperations;
}

const Operation* findOperation(const std::string& name, int argCount)
{
    const Operation* named = nullptr;
    for (const Operation& operation : kOperations) {
        if (name != operation.name) continue;
        if (operation.argCount == argCount) return &operation;
        if (named == nullptr) named = &operation;
    }
    return named;
}
