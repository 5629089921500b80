// The host's binary contract. Every declaration below is written from the
// described interface alone, never from the library's headers, as a host
// application compiled elsewhere would have it. Each symbol is odr-used, so
// linking this program against libsensordll.so fails and names every
// described symbol the library lacks; when it links, it prints them all.
// The object's data members are the described ones too: the host allocates
// controllers with this size, so the library's constructor must stay in it.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

// The host framework's own classes, members of the object.
#include "GThread.h"
#include "MachineInfo.h"
#include "SensorZoomFocusParam.h"
#include "VXMutex.h"

typedef uint32_t u32;
typedef int64_t INT64;

struct KeyVal;
struct keycmd;
struct UIFileInfo;
struct ModuleConfig {
    int nModuleId;
    char szPlaceholder1[32];
    char szPlaceholder2[10];
    char szParameters[256];
    char szDetail[512];
};
struct SysConfig {
    ModuleConfig moduleConfig;
    u32 nSchemeSum;
    u32 nUIFileSum;
    UIFileInfo* pstUIFile;
    char* szUIStyle;
    int nDeviceType;
};
struct ia_dynamic_params_attr_st;
class ModuleConfigure;
class VideoStreamModule;
class TiXmlDocument;
class TiXmlElement;

#define HANDLER (u32, u32, void*)

// The exported operations of ISensorController: result, name, parameters.
#define SENSOR_MEMBERS(X)                                                                                   \
    X(void, setChannelID, (int)) X(void, setVideoStreamModule, (const VideoStreamModule*))                  \
    X(int, getSensorType, ()) X(bool, getSensorStatus, ()) X(int, notifyToVideo, (int, int))                \
    X(void, printDebugMsg, ()) X(bool, init, (const ModuleConfigure&)) X(void, uinit, ())                   \
    X(std::string, getUICommonFile, (int)) X(std::string, getUILanguageFile, (int))                         \
    X(std::string, getUIStyleFile, ()) X(int, sensorThread, ())                                             \
    X(int, findFromKeyCmdMap, (const keycmd*, u32, keycmd&)) X(int, setKeyValToCache, (u32, u32, u32, bool)) \
    X(int, getKeyValFromCache, (u32, u32, u32&)) X(bool, isKeyValSame, (const KeyVal&))                     \
    X(int, doIaCmd, HANDLER) X(int, doIaCmd_User, HANDLER) X(int, doIaCmdShutter, HANDLER)                  \
    X(int, doIoCrtl, HANDLER) X(int, test_debugParam, HANDLER)                                              \
    X(int, setParameters, (KeyVal*, u32, bool)) X(int, setParameters, (const std::string&, bool))           \
    X(int, setParameter, (int, int, bool)) X(bool, setDNMode, (int)) X(bool, setWDRSwitch, (int&))          \
    X(bool, setHLCSwitch, (int&)) X(bool, setBLCSwitch, (int&)) X(bool, setDefogSwitch, (int&))             \
    X(bool, setWDRStrength, (int&)) X(bool, setHLCStrength, (int&)) X(bool, setBLCStrength, (int&))         \
    X(bool, setDefogStrength, (int&)) X(bool, set2DSwitch, (int&)) X(bool, set3DSwitch, (int&))             \
    X(bool, set2DMode, (int&)) X(bool, set3DMode, (int&)) X(bool, set2DAutoMaxStrength, (int&))             \
    X(bool, set3DAutoMaxStrength, (int&)) X(bool, set2DManualMaxStrength, (int&))                           \
    X(bool, set3DManualMaxStrength, (int&)) X(bool, setBeaway, (int&))                                      \
    X(bool, getParameter, (int, int&)) X(bool, getParameters, (const std::string&, std::string&))           \
    X(bool, parseSensorParameter, (const std::string&, std::vector<std::string>&))                          \
    X(int, SensorCheck, (std::string&)) X(bool, getDNMode, (int&)) X(bool, getWDRSwitch, (int&))            \
    X(bool, getHLCSwitch, (int&)) X(bool, getBLCSwitch, (int&)) X(bool, getDefogSwitch, (int&))             \
    X(bool, getWDRStrength, (int&)) X(bool, getHLCStrength, (int&)) X(bool, getBLCStrength, (int&))         \
    X(bool, getDefogStrength, (int&)) X(bool, get2DSwitch, (int&)) X(bool, get3DSwitch, (int&))             \
    X(bool, get2DMode, (int&)) X(bool, get3DMode, (int&)) X(bool, get2DAutoMaxStrength, (int&))             \
    X(bool, get3DAutoMaxStrength, (int&)) X(bool, get2DManualMaxStrength, (int&))                           \
    X(bool, get3DManualMaxStrength, (int&)) X(bool, getBeaway, (int&)) X(bool, getMirrorValue, (int&))      \
    X(bool, getSensorParamRange, (int, int&, std::string&)) X(bool, getAllParameters, (std::string&))       \
    X(int, judgeCurScheme, (int&, int&)) X(int, switch_to, (int, bool)) X(int, LPR_switch_to, (int))        \
    X(bool, setParamScheme, (int)) X(bool, getParamScheme, (int&)) X(bool, setParamMode, (int))             \
    X(bool, getParamMode, (int&)) X(int, flush, ()) X(bool, setMirrorMode, (int)) X(int, paramCheck, ())    \
    X(int, restore, (int)) X(bool, restoreAeMode, ()) X(bool, resetToLastParameters, ())                    \
    X(bool, resetParameters, ()) X(int, doHwdr, HANDLER) X(int, doImageAdjust, HANDLER)                     \
    X(int, doDIS, HANDLER) X(int, doIaCmd_PanoTuning, HANDLER) X(int, doDNThr, HANDLER)                     \
    X(int, doDNTime, HANDLER) X(int, doMirror, HANDLER) X(int, doBeaway, HANDLER)                           \
    X(void, setShowWDRFalg, (bool)) X(bool, getShowWDRFalg, (bool&)) X(void, setShowBeawayFalg, (bool))     \
    X(bool, getShowBeawayFalg, (bool&)) X(bool, focusFar, ()) X(bool, focusNear, ()) X(bool, irisUp, ())   \
    X(bool, irisDown, ()) X(bool, zoomIn, ()) X(bool, zoomOut, ())                                          \
    X(bool, getCameraVerInf, (std::string&)) X(bool, getZoomValue, (int&, int&))                            \
    X(bool, setZoomValue, (int)) X(bool, setPTZRunState, (int)) X(bool, setFocusValue, (int))               \
    X(bool, getFocusValue, (int&)) X(bool, setFocusMode, (int)) X(bool, getFocusMode, (int&))               \
    X(bool, setDNState, (int)) X(bool, getDNState, (int&)) X(bool, getAFStatistic, (u32&))                  \
    X(bool, getWDR, (int&)) X(bool, setExposureStrategy, (int&)) X(bool, getCmdExecStatus, (int, int&))     \
    X(int, getSensorZoomFocusParam, (SensorZoomFocusParam&))                                                \
    X(int, setSensorZoomFocusParam, (SensorZoomFocusParam&)) X(bool, getIRSwitch, (int&))                   \
    X(bool, getWhiteSwitch, (int&)) X(bool, setIRSwitch, (int)) X(bool, setWhiteSwitch, (int))              \
    X(bool, setWhiteMode, (int)) X(bool, getWhiteMode, (int&)) X(bool, setLightType, (int))                 \
    X(bool, getLightType, (int&)) X(bool, getIrisValue, (int&)) X(bool, setIrisValue, (int))                \
    X(bool, getHeatStatus, (bool&)) X(bool, getTempValue, (int&)) X(bool, setIrLedInfo, (void*))            \
    X(bool, getShutterValue, (int&)) X(bool, setShutterValue, (int)) X(bool, shutterUp, ())                 \
    X(bool, shutterDown, ()) X(bool, sync_fov, ())

// The exported free functions.
#define SENSOR_FUNCTIONS(X)                                                                                 \
    X(void, updateDebugLevel, ()) X(void, keyval_st2str, (std::string&, KeyVal*, u32))                      \
    X(void, keyval_str2st, (const std::string&, KeyVal*, u32*)) X(int, keyval_correct, (int, KeyVal*, u32)) \
    X(void, setshowBeawayFalg, (bool)) X(bool, getshowBeawayFalg, ())                                       \
    X(int, initSysConf, (int, const ModuleConfigure&, SysConfig*)) X(void, uinitSysConf, (SysConfig*))      \
    X(INT64, getFileLen, (const char*)) X(int, loadFromFile, (const char*, char*, INT64))                   \
    X(int, saveToFile, (char*, char*, INT64)) X(int, keyValFromFile, (char*, KeyVal*, u32))                 \
    X(int, keyValToFile, (char*, KeyVal*, u32)) X(int, getVersion, (u32*)) X(int, setVersion, (u32))        \
    X(int, getDetailFieldTou32, (const char*, const char*, u32*))                                           \
    X(int, getDetailFieldToStr, (const char*, const char*, char*))                                          \
    X(int, mergeStyle, (int, ModuleConfig*, char**, char*))                                                 \
    X(int, updateStyleTab, (TiXmlDocument*, const char*, const char*, const TiXmlElement*))                 \
    X(int, getDnaStyle, (int, const char*, std::string&, bool, bool))                                       \
    X(int, doDnaStyle, (TiXmlElement*, int, const ia_dynamic_params_attr_st*))                              \
    X(int, doCustomizeStyle, (TiXmlElement*, int, ia_dynamic_params_attr_st*))                              \
    X(int, getDnaValbyCmdId, (TiXmlElement*, int, int&)) X(int, getNodebyCmdId, (TiXmlElement*, int, TiXmlElement*&)) \
    X(int, DeleteNode, (TiXmlElement*, TiXmlElement*)) X(int, ModifyNodebyCmdId, (TiXmlElement*, int))      \
    X(int, getFctData, (int, char*, KeyVal*, u32*, bool, bool)) X(int, style2KeyVal, (TiXmlElement*, KeyVal*, u32*))

#define DECLARE(result, name, params) result name params;

class ISensorController {
public:
    ISensorController();
    ~ISensorController();
    SENSOR_MEMBERS(DECLARE)
    static int m_nPassKeycmd;
    static int m_nChanneldDosomething;

private:
    SysConfig m_stSysConf;
    int m_nCameraID;
    VXMutex m_objMutex;
    GThread* m_pSensorThread;
    int m_nLastScheme;
    int m_nCurScheme;
    int m_nParamMode;
    KeyVal** m_ppUserKeyVal;
    KeyVal* m_pstKeyValTmp;
    KeyVal* m_pFctKeyVal;
    u32 m_nKeyValSum;
    KeyVal* m_pstKeyValWork;
    keycmd* m_pKeyCmdMap;
    u32 m_nVersion;
    VideoStreamModule* m_pVideoStreamModule;
    MachineInfo m_objMachineInfo;
    u32 m_bInitialising : 1, m_bUninitialising : 1, m_bInitialised : 1, m_bResetting : 1, m_bRestoring : 1,
        m_bSwitching : 1;
    u32 m_nKeyCmdSum;
    u32 m_nLastSchedule;
    unsigned char m_bLPRDevice, m_bShowWDRFalg, m_bTimeScheme, m_bDNScheme, m_bisLimitedIrPower, m_bHasLens,
        m_bShutterPass, m_bThermalChannel, m_bShowLDCFlag;
    SensorZoomFocusParam m_objZoomFocusParam;
};

SENSOR_FUNCTIONS(DECLARE)
extern int g_nDebugLevel;
extern bool g_bEnAssert;
extern bool g_bShoWBeawayFalg;

// Constructors have no address: this function uses them.
void constructAndDestroy(void* storage)
{
    ISensorController* controller = new (storage) ISensorController();
    controller->~ISensorController();
}

// Builds and destroys one object in storage of the described size followed
// by guard bytes; false when the library wrote past the described size.
bool staysInDescribedSize()
{
    const size_t guard = 256;
    std::vector<unsigned char> storage(sizeof(ISensorController) + guard, 0xA5);
    constructAndDestroy(storage.data());
    for (size_t i = sizeof(ISensorController); i < storage.size(); ++i) {
        if (storage[i] != 0xA5) return false;
    }
    return true;
}

namespace {

struct Symbol {
    const char* signature;
    const void* address;
};

template <class Member>
const void* memberAddress(Member member)
{
    // A non-virtual member pointer starts with the function's address.
    const void* address = nullptr;
    std::memcpy(&address, &member, sizeof address);
    return address;
}

#define MEMBER_ENTRY(result, name, params) \
    {#result " ISensorController::" #name #params, memberAddress(static_cast<result(ISensorController::*) params>(&ISensorController::name))},
#define FUNCTION_ENTRY(result, name, params) \
    {#result " " #name #params, reinterpret_cast<const void*>(static_cast<result(*) params>(&name))},

const Symbol kSymbols[] = {
    {"ISensorController::ISensorController()", reinterpret_cast<const void*>(&constructAndDestroy)},
    {"ISensorController::~ISensorController()", reinterpret_cast<const void*>(&constructAndDestroy)},
    SENSOR_MEMBERS(MEMBER_ENTRY) SENSOR_FUNCTIONS(FUNCTION_ENTRY)
    {"int ISensorController::m_nPassKeycmd", &ISensorController::m_nPassKeycmd},
    {"int ISensorController::m_nChanneldDosomething", &ISensorController::m_nChanneldDosomething},
    {"int g_nDebugLevel", &g_nDebugLevel},
    {"bool g_bEnAssert", &g_bEnAssert},
    {"bool g_bShoWBeawayFalg", &g_bShoWBeawayFalg},
};

} // namespace

int main()
{
    int missing = 0;
    for (const Symbol& symbol : kSymbols) {
        std::printf("%s %s\n", symbol.address != nullptr ? "present" : "MISSING", symbol.signature);
        missing += symbol.address == nullptr ? 1 : 0;
    }
    std::printf("%zu described symbols, %d missing\n", sizeof kSymbols / sizeof kSymbols[0], missing);
    const bool fits = staysInDescribedSize();
    std::printf("the object %s the described %zu bytes\n", fits ? "stays within" : "WRITES PAST", sizeof(ISensorController));
    return missing == 0 && fits ? 0 : 1;
}
