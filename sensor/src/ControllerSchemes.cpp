// Schemes: the schedule test, switching between parameter sets, the host's
// scheme operations and the automatic selection of each thread pass.
#include "ControllerLock.h"
#include "ISensorController.h"
#include "SensorKeys.h"
#include "SchemeSets.h"
#include "SchemeWindow.h"
#include "SensorReport.h"
#include "SharedValue.h"
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
    const sensor::SchemeView sets = schemeView();
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
    const bool bValid = schemeView().set(nScheme) != nullptr;
    SNS_CHECK_TEXT(bValid, "nScheme >= 0 && (u32)nScheme <= m_stSysConf.nSchemeSum", "nScheme(%d)\n", nScheme);
    if (!bValid) {
        clearFlag(FLAG_SWITCHING); // a claimed switch that cannot run
        return 0;
    }

    beginSwitch(nScheme);
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
    const bool bValid = schemeView().set(nScheme) != nullptr && m_pstKeyValWork != nullptr;
    SNS_CHECK_TEXT(bValid, "nScheme >= 0 && (u32)nScheme <= m_stSysConf.nSchemeSum", "nScheme(%d)\n", nScheme);
    if (!bValid) {
        clearFlag(FLAG_SWITCHING); // a claimed switch that cannot run
        return 0;
    }

    beginSwitch(nScheme);
    sensor::copyRecords(m_ppUserKeyVal[nScheme], m_nKeyValSum, m_pstKeyValWork);
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

void ISensorController::beginSwitch(int p_nScheme)
{
    setFlag(FLAG_SWITCHING);
    m_nLastScheme = m_nCurScheme.load();
    m_nCurScheme = p_nScheme;
}

bool ISensorController::claimSwitch()
{
    u32 nFlags = m_nFlags.load();
    do {
        if ((nFlags & kBusyFlags) != 0) return false;
    } while (!m_nFlags.compare_exchange_weak(nFlags, nFlags | FLAG_SWITCHING));
    return true;
}

void ISensorController::waitWhileBusy(bool p_bClaimSwitch)
{
    while (p_bClaimSwitch ? !claimSwitch() : isBusy()) {
        VexloTime::wait(VexloTime(0, kBusyWaitMicroseconds));
    }
}

bool ISensorController::setParamScheme(int p_nScheme)
{
    SENSOR_RECORD(setParamScheme, p_nScheme);
    m_objMutex.Lock(kReportModule, __LINE__);
    VXMutexManager objGuard(m_objMutex);

    const bool bValid = schemeView().reaches(p_nScheme, sensor::SchemeView::kWithFactory);
    SNS_CHECK_TEXT(bValid, "p_nScheme >= 0 && (u32)p_nScheme <= m_stSysConf.nSchemeSum", "p_nScheme(%d)\n",
                   p_nScheme);
    if (!bValid) return false;

    waitWhileBusy(true);
    return switch_to(p_nScheme, false) == 0;
}

bool ISensorController::getParamScheme(int& p_nScheme)
{
    SENSOR_RECORD(getParamScheme, p_nScheme);
    const sensor::HostLock objGuard(m_objMutex, this, kReportModule, __LINE__);
    p_nScheme = m_nCurScheme;
    return true;
}

bool ISensorController::setParamMode(int p_nMode)
{
    SENSOR_RECORD(setParamMode, p_nMode);
    m_objMutex.Lock(kReportModule, __LINE__);
    VXMutexManager objGuard(m_objMutex);

    SNS_CHECK_TEXT(0 == p_nMode || 1 == p_nMode, "0 == p_nMode || 1 == p_nMode", "p_nMode(%d)\n", p_nMode);
    waitWhileBusy(false);
    m_nParamMode = p_nMode;
    return true;
}

bool ISensorController::getParamMode(int& p_nMode)
{
    SENSOR_RECORD(getParamMode, p_nMode);
    const sensor::HostLock objGuard(m_objMutex, this, kReportModule, __LINE__);
    p_nMode = m_nParamMode;
    return true;
}

// The automatic selection of one pass of the sensor thread.
//
// How the sensor thread and the host threads share a controller, without a
// deadlock and without a data race:
//
// Locks. m_objMutex is the only lock of a controller, and only host threads
// take it. The sensor thread takes no lock of the library at all: not in
// its pass, and not in the controller calls that a video module makes back
// from a notification sent during the pass (getParameter, getParameters,
// getParamScheme, getParamMode, setParameter, setParameters, restore: they
// see the pass and skip the lock, ControllerLock.h). So while the thread
// calls out (the ISP, the video module, the framework) it holds nothing,
// and no library lock can be part of a cycle through it.
//
// Waits. A host thread waits for the sensor thread in two places only, both
// holding m_objMutex as described: setParamScheme and setParamMode wait in
// 0.5 s steps while busy, and a factory reset's uinit waits for the running
// pass to end. Neither can wait forever on the library: the pass they wait
// for needs no lock to finish, only the ISP and the video module to return.
// No other host operation waits for a switch: a get or a set during one
// takes m_objMutex, which no switch holds, and goes straight on.
//
// Coordination is by the busy flags. A switch is claimed (claimSwitch) by
// one compare-and-swap of the flag word that finds it not busy, so the
// selection skips its pass while busy, and a host switch starts only after
// its wait finds the controller idle, with no gap for the other to slip
// into. A host set during a switch is handled as ever: doIaCmd_User drops
// it (0, no ISP call), the skip test compares with m_nLastScheme.
//
// Memory. What both sides touch is atomic: the flag word, the scheme
// indices, the mode bytes and flags, and each value of the sets, read and
// written whole in place (SharedValue.h); the records a switch applies are
// read once each, and a value written by a handler is written back. Keys,
// sizes, the table and the configuration change only while no sensor
// thread runs (start-up; uinit stops the thread before it releases them),
// which is also why the sets outlive every pass and every call made back
// from one. The scratch set belongs to host operations under m_objMutex
// (setParameters reads into its own buffer when called back from a pass),
// the work set to the thread's licence-plate switch. m_nLastSchedule is the
// thread's alone. The zoom/focus lock reaches the thread as a flag bit.
//
// Not covered: a video module that changes schemes or modes, saves or
// resets from inside a notification of a switch waits for that switch
// forever; one that holds its own lock while calling setParamScheme,
// setParamMode or resetParameters and takes the same lock in notifications
// deadlocks with a switch, as those operations wait for it as described.
void ISensorController::selectScheme()
{
    if (m_nParamMode == 0) return;

    if (m_bDNScheme) {
        const int nTarget = dayNightScheme(*this);
        if (nTarget == m_nCurScheme || !claimSwitch()) return;
        switch_to(nTarget, false);
        return;
    }
    if (!m_bTimeScheme) return;

    int nScheme = 0;
    int nSchedule = 0;
    judgeCurScheme(nScheme, nSchedule);

    if (!m_bLPRDevice) {
        if (nScheme == m_nCurScheme || !claimSwitch()) return;
        switch_to(nScheme, false);
        return;
    }

    const u32 nThisSchedule = static_cast<u32>(nSchedule);
    if (nSchedule == 1) {
        if (nThisSchedule == m_nLastSchedule && nScheme == m_nCurScheme) return;
        if (!claimSwitch()) return;
        // Entering a window applies the scheme in full.
        switch_to(nScheme, nThisSchedule != m_nLastSchedule);
        m_nLastSchedule = nThisSchedule;
        return;
    }

    const int nTarget = dayNightScheme(*this);
    if (m_nLastSchedule == 0 && nTarget == m_nCurScheme) return;
    if (!claimSwitch()) return;
    LPR_switch_to(nTarget);
    m_nLastSchedule = 0;
}
