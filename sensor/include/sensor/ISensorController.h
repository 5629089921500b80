// The controller of one camera channel: owns the channel's imaging
// parameters, applies them to the ISP, keeps the schemes and their files.
#ifndef SENSOR_ISENSOR_CONTROLLER_H
#define SENSOR_ISENSOR_CONTROLLER_H

#include <atomic>
#include <string>
#include <vector>

#include "GThread.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "SensorZoomFocusParam.h"
#include "VXMutex.h"
#include "VideoStreamModule.h"

#include "SensorApi.h"
#include "SensorTypes.h"

class ISensorController;
namespace sensor {
class SchemeView;
}

// Applies one value: (ISP command, ISP option, pointer to the value).
typedef int (ISensorController::*KeyHandler)(u32 p_nKey, u32 p_nDir, void* p_pVal);

// One row of the key-command table. The key-name field is wider than the
// longest name so that no name is cut.
struct keycmd {
    u32 nKey;
    u32 nIaCmd;
    KeyHandler pfnHandler;
    char szKeyName[48];
    char szFuncName[64];
};

class SENSOR_API ISensorController {
public:
    ISensorController();
    ~ISensorController();
    ISensorController(const ISensorController&) = delete;
    ISensorController& operator=(const ISensorController&) = delete;

    // --- object ---
    void setChannelID(int p_nChannelID);
    void setVideoStreamModule(const VideoStreamModule* p_pVideoStreamModule);
    int getSensorType();
    bool getSensorStatus();
    int getCameraID() const { return m_nCameraID; }
    bool isThermalChannel() const { return m_bThermalChannel != 0; }
    SENSOR_INTERNAL bool hasLens() const { return m_bHasLens != 0; }
    int notifyToVideo(int p_nKey, int p_nValue);
    void printDebugMsg();

    // --- start-up, shut-down and UI documents ---
    bool init(const ModuleConfigure& p_objModuleConfigure);
    void uinit();
    std::string getUICommonFile(int p_nId);
    std::string getUILanguageFile(int p_nId);
    std::string getUIStyleFile();

    // --- sensor thread ---
    int sensorThread();

    // --- key/value cache and dispatch ---
    int findFromKeyCmdMap(const keycmd* p_pKeyCmdMap, u32 p_nKey, keycmd& p_stKeyCmd);
    int setKeyValToCache(u32 p_nScheme, u32 p_nKey, u32 p_nValue, bool p_bForce);
    int getKeyValFromCache(u32 p_nScheme, u32 p_nKey, u32& p_nValue);
    bool isKeyValSame(const KeyVal& p_stKeyVal);
    int doIaCmd(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doIaCmd_User(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doIaCmdShutter(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doIoCrtl(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int test_debugParam(u32 p_nKey, u32 p_nDir, void* p_pVal);
    // Read-only view of the built key-command table (null before init).
    const keycmd* getKeyCmdMap(u32& p_nRows) const;
    // Read-only view of the factory set (null before init).
    const KeyVal* getFactoryKeyVal(u32& p_nCount) const;
    // Read-only view of a user scheme's set (null before init and for the
    // factory set), and the file it is saved to.
    const KeyVal* getSchemeKeyVal(u32 p_nScheme, u32& p_nCount) const;
    std::string schemeFileName(u32 p_nScheme) const;

    // --- setting parameters ---
    int setParameters(KeyVal* p_pKeyval, u32 p_nCount, bool p_bStore);
    int setParameters(const std::string& p_strParameters, bool p_bStore);
    int setParameter(int p_nKey, int p_nValue, bool p_bStore);
    // The one-key operations, one member function a row of key_wrappers.def.
#define SENSOR_WRAPPER(method, key, direction) SENSOR_WRAPPER_DECLARE_##direction(method)
#define SENSOR_WRAPPER_DECLARE_GET(method) bool method(int& p_nValue);
#define SENSOR_WRAPPER_DECLARE_GET_ANY(method) bool method(int& p_nValue);
#define SENSOR_WRAPPER_DECLARE_SET(method) bool method(int& p_nValue);
#define SENSOR_WRAPPER_DECLARE_SET_VALUE(method) bool method(int p_nValue);
#define SENSOR_WRAPPER_DECLARE_DIRECT_GET(method) bool method(int& p_nValue);
#define SENSOR_WRAPPER_DECLARE_DIRECT_SET(method) bool method(int p_nValue);
#define SENSOR_WRAPPER_DECLARE_LENS_GET(method) bool method(int& p_nValue);
#define SENSOR_WRAPPER_DECLARE_LENS_SET(method) bool method(int p_nValue);
#include "key_wrappers.def"
#undef SENSOR_WRAPPER
#undef SENSOR_WRAPPER_DECLARE_GET
#undef SENSOR_WRAPPER_DECLARE_GET_ANY
#undef SENSOR_WRAPPER_DECLARE_SET
#undef SENSOR_WRAPPER_DECLARE_SET_VALUE
#undef SENSOR_WRAPPER_DECLARE_DIRECT_GET
#undef SENSOR_WRAPPER_DECLARE_DIRECT_SET
#undef SENSOR_WRAPPER_DECLARE_LENS_GET
#undef SENSOR_WRAPPER_DECLARE_LENS_SET

    // --- reading parameters ---
    bool getParameter(int p_nKey, int& p_nVal);
    bool getParameters(const std::string& p_strIds, std::string& p_strOut);
    bool parseSensorParameter(const std::string& p_strText, std::vector<std::string>& p_vecOut);
    int SensorCheck(std::string& p_strText);

    // --- ranges and the whole scheme ---
    bool getSensorParamRange(int p_nCmd, int& p_nDefault, std::string& p_strRange);
    bool getAllParameters(std::string& p_strOut);

    // --- schemes ---
    int judgeCurScheme(int& nScheme, int& nSchedule);
    int switch_to(int nScheme, bool bFull);
    int LPR_switch_to(int nScheme);
    bool setParamScheme(int p_nScheme);
    bool getParamScheme(int& p_nScheme);
    bool setParamMode(int p_nMode);
    bool getParamMode(int& p_nMode);

    // --- restore, reset and flush ---
    int flush();
    bool setMirrorMode(int p_nMirror);
    int paramCheck();
    int restore(int p_nKey);
    bool restoreAeMode();
    bool resetToLastParameters();
    bool resetParameters();

    // --- composite-key handlers and visibility flags ---
    int doHwdr(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doImageAdjust(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doDIS(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doIaCmd_PanoTuning(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doDNThr(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doDNTime(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doMirror(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doBeaway(u32 p_nKey, u32 p_nDir, void* p_pVal);
    void setShowWDRFalg(bool p_bShow);
    bool getShowWDRFalg(bool& p_bShow);
    void setShowBeawayFalg(bool p_bShow);
    bool getShowBeawayFalg(bool& p_bShow);

    // --- lens, exposure and light (more of them are rows of key_wrappers.def) ---
    bool focusFar();
    bool focusNear();
    bool irisUp();
    bool irisDown();
    bool zoomIn();
    bool zoomOut();
    bool getCameraVerInf(std::string& p_strVersion);
    bool getZoomValue(int& p_nPosition, int& p_nRatio);
    bool getAFStatistic(u32& p_nStatistic);
    bool setExposureStrategy(int& p_nStrategy);
    bool getCmdExecStatus(int p_nCmd, int& p_nStatus);
    int getSensorZoomFocusParam(SensorZoomFocusParam& p_objParam);
    int setSensorZoomFocusParam(SensorZoomFocusParam& p_objParam);
    bool setIRSwitch(int p_nSwitch);
    bool setWhiteSwitch(int p_nSwitch);
    bool setLightType(int p_nType);
    bool setIrisValue(int p_nValue);
    bool getHeatStatus(bool& p_bHeating);
    bool setIrLedInfo(void* p_pInfo);
    bool getShutterValue(int& p_nIndex);
    bool setShutterValue(int p_nIndex);
    bool shutterUp();
    bool shutterDown();
    bool sync_fov();

    // Deferred field-of-view request, shared by every controller: the camera
    // id whose thread is to act and the key to act on; -1 when none.
    static std::atomic<int> m_nPassKeycmd;
    static std::atomic<int> m_nChanneldDosomething;

private:
    // Steps of the set path, each on one record's context (ControllerSet.cpp).
    struct SetRecord;
    struct IrPartner;
    SENSOR_INTERNAL bool setRoutedAside(SetRecord& p_stRec);
    SENSOR_INTERNAL void setDayNightInSchemeZero(SetRecord& p_stRec);
    SENSOR_INTERNAL IrPartner readIrPartner(const SetRecord& p_stRec);
    SENSOR_INTERNAL bool setTwinOfLightType(SetRecord& p_stRec);
    SENSOR_INTERNAL bool findSetRow(SetRecord& p_stRec);
    SENSOR_INTERNAL int applySetRow(SetRecord& p_stRec);

protected:
    // Bits of the flag word; set and cleared atomically because the sensor
    // thread and host threads change different bits of it concurrently.
    enum Flag : u32 {
        FLAG_INITIALISING = 1u << 0,
        FLAG_UNINITIALISING = 1u << 1,
        FLAG_INITIALISED = 1u << 2,
        FLAG_RESETTING = 1u << 3,
        FLAG_RESTORING = 1u << 4,
        FLAG_SWITCHING = 1u << 5,
        // The last start built no set from the style: files are left alone.
        FLAG_NO_STYLE_SET = 1u << 6,
        // Start-up allocated the sets; shut-down releases them once.
        FLAG_STORAGE_HELD = 1u << 7,
        // The lock flag of m_objZoomFocusParam, as doIaCmd reads it on any thread.
        FLAG_ZOOM_FOCUS_LOCKED = 1u << 8,
    };
    bool testFlag(Flag flag) const { return (m_nFlags.load() & flag) != 0; }
    void setFlag(Flag flag) { m_nFlags.fetch_or(flag); }
    void clearFlag(Flag flag) { m_nFlags.fetch_and(~static_cast<u32>(flag)); }
    static const u32 kBusyFlags = FLAG_RESETTING | FLAG_RESTORING | FLAG_SWITCHING;
    // A reset, restore or switch is running.
    bool isBusy() const { return (m_nFlags.load() & kBusyFlags) != 0; }
    // Marks a switch as running unless the controller is busy, in one step;
    // false, changing nothing, when busy.
    SENSOR_INTERNAL bool claimSwitch();

    // Steps of start-up and shut-down, also used by a factory reset.
    SENSOR_INTERNAL void readConfiguration(const ModuleConfigure& p_objModuleConfigure);
    // Builds the factory set from the style and the sets around it.
    SENSOR_INTERNAL void allocateSets();
    // Whether the sets were built from a sound style; the stamp is checked
    // only then.
    SENSOR_INTERNAL bool checkSetsAndStamp();
    // The limited infrared power, the lens and the licence-plate role from the
    // module's detail text.
    SENSOR_INTERNAL void readDetailFlags(const MachineInfo& p_objMachineInfo);
    // Writes a scheme file the device lacks from the factory set.
    SENSOR_INTERNAL void writeMissingSchemeFile(u32 p_nScheme);
    SENSOR_INTERNAL void loadSchemeFiles(bool p_bSetsFromStyle);
    SENSOR_INTERNAL void buildKeyCmdMap();
    // Applies scheme 0 unless the schedule or day and night choose, then
    // starts the sensor thread.
    SENSOR_INTERNAL void startFirstScheme();
    // What the host shows, from the video module's streams and modes.
    SENSOR_INTERNAL void readDisplayFlags(const MachineInfo& p_objMachineInfo);
    SENSOR_INTERNAL void releaseSchemeSets();
    // Points the described set members at the sets beside the object (SchemeSets.h).
    SENSOR_INTERNAL void takeSetViews();
    // Removes this channel's scheme files (schemes 0 to 3) through the shell.
    SENSOR_INTERNAL void deleteSchemeFiles();
    // Deletes the scheme files when the stamp is not this build's and a new
    // one can be stored.
    SENSOR_INTERNAL void checkVersionStamp();
    // Loads a scheme's file into its set, by key when the file has another
    // layout; when p_bRewrite, a file lacking keys is saved in the set's.
    SENSOR_INTERNAL void loadSchemeFile(u32 p_nScheme, bool p_bRewrite);
    // The automatic scheme selection of one thread pass.
    SENSOR_INTERNAL void selectScheme();
    // Waits in 0.5 s steps while a reset, restore or switch is running; with
    // p_bClaimSwitch the step that finds none claims a switch (claimSwitch).
    SENSOR_INTERNAL void waitWhileBusy(bool p_bClaimSwitch);
    // Parses the published shutter list into values; returns their count.
    SENSOR_INTERNAL int shutterList(int* p_pValues, int p_nCapacity);
    SENSOR_INTERNAL bool shutterStep(int p_nDirection);
    SENSOR_INTERNAL bool sendValue(u32 p_nCmd, u32 p_nOpt, int p_nValue);
    // The parameter sets as the described members show them (SchemeSets.h).
    SENSOR_INTERNAL sensor::SchemeView schemeView() const;
    // Marks a switch to p_nScheme as running; the caller applies the set and
    // clears FLAG_SWITCHING.
    SENSOR_INTERNAL void beginSwitch(int p_nScheme);

    SysConfig m_stSysConf;
    int m_nCameraID;
    VXMutex m_objMutex;
    GThread* m_pSensorThread;
    // The sensor thread reads these without the lock while host operations
    // change them: atomic, of the same width.
    std::atomic<int> m_nLastScheme;
    std::atomic<int> m_nCurScheme;
    std::atomic<int> m_nParamMode;
    KeyVal** m_ppUserKeyVal;
    KeyVal* m_pstKeyValTmp;
    KeyVal* m_pFctKeyVal;
    u32 m_nKeyValSum;
    KeyVal* m_pstKeyValWork;
    keycmd* m_pKeyCmdMap;
    u32 m_nVersion;
    VideoStreamModule* m_pVideoStreamModule;
    MachineInfo m_objMachineInfo;
    std::atomic<u32> m_nFlags;
    u32 m_nKeyCmdSum;
    u32 m_nLastSchedule;
    unsigned char m_bLPRDevice;
    std::atomic<unsigned char> m_bShowWDRFalg;
    std::atomic<unsigned char> m_bTimeScheme;
    std::atomic<unsigned char> m_bDNScheme;
    unsigned char m_bisLimitedIrPower;
    unsigned char m_bHasLens;
    std::atomic<unsigned char> m_bShutterPass;
    unsigned char m_bThermalChannel;
    unsigned char m_bShowLDCFlag;
    SensorZoomFocusParam m_objZoomFocusParam;
    // No member past the described ones: the host allocates the object with
    // the size of its own header. What the library adds lives in flag bits
    // or beside the object (the storage of the sets, SchemeSets.h).
};

// Beaway is offered (process-wide; the channel that started last decides).
SENSOR_API extern std::atomic<bool> g_bShoWBeawayFalg;
SENSOR_API void setshowBeawayFalg(bool p_bShow);
SENSOR_API bool getshowBeawayFalg();

#endif
