// Schemes: the schedule test, switching between parameter sets, the host's
// scheme operations and the automatic selection of each thread pass.
#include <cstring>

#include "ISensorController.h"
#include "SensorKeys.h"
#include "SchemeSets.h"
#include "SchemeWindow.h"
#include "SensorReport.h"
#include "VXMutex.h"
#include "VexloTime.h"
#include "Recorder.h"

static const char* const kReportModule = "ISensorController";

namespace {

constexpr int kSchemeDay = 0;
constexpr int kSchemeNight = 1;
constexpr long kBusyWaitMicroseconds = 500000;

// Scheme 0 by day, scheme 1 by night; which ISP state means day is the ISP's.
int dayNightScheme(ISensorController& self)
{
    int nState = 0;
    self.getDNState(nState);
    return nState == 0 ? kSchemeDay : kSchemeNight;
}

} // namespace

int ISensorController::judgeCurScheme(int& nScheme, int& nSchedule)
{
    const VexloTime objNow = VXDeviceTime::getCurrentTime();
    const u32 nNow = static_cast<u32>(objNow.getHour()) * 100 + objNow.getMinute();

    nSchedule = 0;
    sensor::SchemeSets& sets = sensor::schemeSetsOf(this);
    for (u32 i = 0; i < sets.heldSchemes(); ++i) {
        sensor::SchemeWindow window{};
        if (sensor::schemeWindow(sets.set(i), m_nKeyValSum, window) && window.start <= nNow &&
            nNow < window.end) {
            nScheme = static_cast<int>(i);
            nSchedule = 1;
            return SNS_SUCCESS;
        }
    }
    nScheme = 0;
    nSchedule = 0;
    return SNS_SUCCESS;
}

int ISensorController::switch_to(int nScheme, bool bFull)
{
    // Only the factory set lies beyond the user schemes; nothing may be read past it.
    const bool bValid = sensor::schemeSetsOf(this).set(nScheme) != nullptr;
    SNS_CHECK_TEXT(bValid, "nScheme >= 0 && (u32)nScheme <= m_stSysConf.nSchemeSum", "nScheme(%d)\n", nScheme);
    if (!bValid) return 0;

    const auto objSetsLock = beginSwitch(nScheme);
    if (!bFull) {
        // While switching, the skip test compares with the previous scheme,
        // so only the keys that differ reach the ISP.
        SNS_CHECK_TEXT(SNS_SUCCESS == setParameters(m_ppUserKeyVal[nScheme], m_nKeyValSum, true),
                       "SNS_SUCCESS == setParameters(m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum, true)",
                       "m_nCurScheme(%d) m_nKeyValSum(%d)\n", m_nCurScheme.load(), static_cast<int>(m_nKeyValSum));
    } else {
        setParameters(m_ppUserKeyVal[nScheme], m_nKeyValSum, false);
    }
    clearFlag(FLAG_SWITCHING);
    return 0;
}

// A licence-plate camera leaving its schedule window: the day/night scheme is
// applied in full, but with the day/night mode held at 0 in what is sent.
int ISensorController::LPR_switch_to(int nScheme)
{
    const bool bValid = sensor::schemeSetsOf(this).set(nScheme) != nullptr && m_pstKeyValWork != nullptr;
    SNS_CHECK_TEXT(bValid, "nScheme >= 0 && (u32)nScheme <= m_stSysConf.nSchemeSum", "nScheme(%d)\n", nScheme);
    if (!bValid) return 0;

    const auto objSetsLock = beginSwitch(nScheme);
    std::memcpy(m_pstKeyValWork, m_ppUserKeyVal[nScheme], sizeof(KeyVal) * m_nKeyValSum);
    for (u32 i = 0; i < m_nKeyValSum; ++i) {
        if (m_pstKeyValWork[i].key == KEY_DN_MODE) {
            m_pstKeyValWork[i].value = 0;
            break;
        }
    }
    setParameters(m_pstKeyValWork, m_nKeyValSum, false);
    clearFlag(FLAG_SWITCHING);
    return 0;
}

std::unique_lock<std::recursive_mutex> ISensorController::beginSwitch(int p_nScheme)
{
    auto objSetsLock = lockSets();
    setFlag(FLAG_SWITCHING);
    m_nLastScheme = m_nCurScheme.load();
    m_nCurScheme = p_nScheme;
    return objSetsLock;
}

void ISensorController::waitWhileBusy()
{
    while (isBusy()) {
        VexloTime::wait(VexloTime(0, kBusyWaitMicroseconds));
    }
}

bool ISensorController::setParamScheme(int p_nScheme)
{
    SENSOR_RECORD(setParamScheme, p_nScheme);
    m_objMutex.Lock(kReportModule, __LINE__);
    VXMutexManager objGuard(m_objMutex);

    const bool bValid = sensor::schemeSetsOf(this).reaches(p_nScheme, sensor::SchemeSets::kWithFactory);
    SNS_CHECK_TEXT(bValid, "p_nScheme >= 0 && (u32)p_nScheme <= m_stSysConf.nSchemeSum", "p_nScheme(%d)\n",
                   p_nScheme);
    if (!bValid) return false;

    waitWhileBusy();
    return switch_to(p_nScheme, false) == 0;
}

bool ISensorController::getParamScheme(int& p_nScheme)
{
    SENSOR_RECORD(getParamScheme, p_nScheme);
    m_objMutex.Lock(kReportModule, __LINE__);
    VXMutexManager objGuard(m_objMutex);
    p_nScheme = m_nCurScheme;
    return true;
}

bool ISensorController::setParamMode(int p_nMode)
{
    SENSOR_RECORD(setParamMode, p_nMode);
    m_objMutex.Lock(kReportModule, __LINE__);
    VXMutexManager objGuard(m_objMutex);

    SNS_CHECK_TEXT(0 == p_nMode || 1 == p_nMode, "0 == p_nMode || 1 == p_nMode", "p_nMode(%d)\n", p_nMode);
    waitWhileBusy();
    m_nParamMode = p_nMode;
    return true;
}

bool ISensorController::getParamMode(int& p_nMode)
{
    SENSOR_RECORD(getParamMode, p_nMode);
    m_objMutex.Lock(kReportModule, __LINE__);
    VXMutexManager objGuard(m_objMutex);
    p_nMode = m_nParamMode;
    return true;
}

// Runs on the sensor thread without the controller lock: a busy controller is
// left alone.
//
// The thread never takes m_objMutex: a factory reset holds it while uinit
// waits for the thread's pass to end, so a pass blocked on it would never
// end. The pass takes the sets lock instead (lockSets, recursive), for
// the whole selection and switch. Host operations take it, always after
// m_objMutex, wherever they read or write the sets (the cache accessors,
// setParameters, switch_to, flush, restore, getAllParameters), and never
// while they wait or stop the thread, so:
// - a host set that meets a switch waits for it to end and then runs whole,
//   with the ISP calls each makes alone unchanged in kind and order;
// - setParamScheme and setParamMode wait for the busy flags in 0.5 s steps
//   holding only m_objMutex, so the switch they wait for can finish;
// - the pass holds no other lock, so the order m_objMutex, then the sets
//   lock, is the only one and nothing can deadlock.
// Single flags the thread reads (schemes, modes, m_bShowWDRFalg, the lens
// lock) are atomics.
void ISensorController::selectScheme()
{
    if (m_nParamMode == 0) return;
    const auto objSetsLock = lockSets();

    if (m_bDNScheme) {
        const int nTarget = dayNightScheme(*this);
        if (nTarget == m_nCurScheme || isBusy()) return;
        switch_to(nTarget, false);
        return;
    }
    if (!m_bTimeScheme) return;

    int nScheme = 0;
    int nSchedule = 0;
    judgeCurScheme(nScheme, nSchedule);

    if (!m_bLPRDevice) {
        if (nScheme == m_nCurScheme || isBusy()) return;
        switch_to(nScheme, false);
        return;
    }

    const u32 nThisSchedule = static_cast<u32>(nSchedule);
    if (nSchedule == 1) {
        if (nThisSchedule == m_nLastSchedule && nScheme == m_nCurScheme) return;
        if (isBusy()) return;
        // Entering a window applies the scheme in full.
        switch_to(nScheme, nThisSchedule != m_nLastSchedule);
        m_nLastSchedule = nThisSchedule;
        return;
    }

    const int nTarget = dayNightScheme(*this);
    if (m_nLastSchedule == 0 && nTarget == m_nCurScheme) return;
    if (isBusy()) return;
    LPR_switch_to(nTarget);
    m_nLastSchedule = 0;
}
