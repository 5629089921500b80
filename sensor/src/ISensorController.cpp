// The controller object: construction, channel and video module, the small
// accessors and the notification path to the video module.
#include "ISensorController.h"

#include "DevicePaths.h"
#include "DeviceTypes.h"
#include "SensorReport.h"
#include "SchemeSets.h"

std::atomic<int> ISensorController::m_nPassKeycmd{-1};
std::atomic<int> ISensorController::m_nChanneldDosomething{-1};

ISensorController::ISensorController()
    : m_stSysConf(),
      m_nCameraID(1),
      m_pSensorThread(nullptr),
      m_nLastScheme(-1),
      m_nCurScheme(-1),
      m_nParamMode(1),
      m_ppUserKeyVal(nullptr),
      m_pstKeyValTmp(nullptr),
      m_pFctKeyVal(nullptr),
      m_nKeyValSum(0),
      m_pstKeyValWork(nullptr),
      m_pKeyCmdMap(nullptr),
      m_nVersion(8),
      m_pVideoStreamModule(nullptr),
      m_nFlags(0),
      m_nKeyCmdSum(170),     // table capacity before the first start, not a key
      m_nLastSchedule(255),  // no schedule state seen yet
      m_bLPRDevice(0),
      m_bShowWDRFalg(1),
      m_bTimeScheme(0),
      m_bDNScheme(0),
      m_bisLimitedIrPower(0),
      m_bHasLens(1),
      m_bShutterPass(0),
      m_bThermalChannel(0),
      m_bShowLDCFlag(1)
{
    sensor::createSchemeSets(this);
    m_pSensorThread = new GThread(VXCallback::member(this, &ISensorController::sensorThread), "SensorThread",
                                  VXCallback::function(&GThread::emptyFun), VXCallback::function(&GThread::emptyFun));
    m_nFlags = 0;
    SystemInfoParser::parseMachineInfo(sensor::kMachineInfoFile, m_objMachineInfo);
}

ISensorController::~ISensorController()
{
    if (m_pSensorThread != nullptr) {
        m_pSensorThread->stop();
        delete m_pSensorThread;
        m_pSensorThread = nullptr;
    }
    sensor::destroySchemeSets(this);
}

sensor::SchemeView ISensorController::schemeView() const
{
    return sensor::SchemeView(m_ppUserKeyVal, m_stSysConf.nSchemeSum, m_nKeyValSum);
}

void ISensorController::setChannelID(int p_nChannelID)
{
    m_nCameraID = p_nChannelID;
    const int deviceType = m_objMachineInfo.getDeviceType();
    if (deviceType == sensor::kThermalOnlyDeviceType) m_nCameraID = 2;
    if (m_nCameraID == 2 && sensor::hasThermalSecondChannel(deviceType)) m_bThermalChannel = 1;
}

void ISensorController::setVideoStreamModule(const VideoStreamModule* p_pVideoStreamModule)
{
    // The host hands a const pointer; notifications need the mutable module.
    m_pVideoStreamModule = const_cast<VideoStreamModule*>(p_pVideoStreamModule);
}

int ISensorController::getSensorType()
{
    return m_stSysConf.moduleConfig.nModuleId;
}

bool ISensorController::getSensorStatus()
{
    return testFlag(FLAG_INITIALISED);
}

int ISensorController::notifyToVideo(int p_nKey, int p_nValue)
{
    if (m_pVideoStreamModule == nullptr) return 0;
    const int channel = m_objMachineInfo.getDeviceType() == sensor::kThermalOnlyDeviceType ? 1 : m_nCameraID;
    return m_pVideoStreamModule->notifySensorParam(channel, p_nKey, p_nValue);
}

void ISensorController::printDebugMsg()
{
}
