// Handlers of keys that need more than one plain ISP command: the video
// module must hear of the change, the ISP wants a record built from several
// keys, or the key is offered only when a visibility flag says so.
#include <cstddef>

#include "ISensorController.h"
#include "Recorder.h"
#include "SensorKeys.h"
#include "SensorReport.h"
#include "ia_ioctrl.h"

static const char* const kReportModule = "ISensorController";

std::atomic<bool> g_bShoWBeawayFalg{true};

void setshowBeawayFalg(bool p_bShow)
{
    g_bShoWBeawayFalg = p_bShow;
}

bool getshowBeawayFalg()
{
    return g_bShoWBeawayFalg;
}

namespace {

// Video-module notification bracketing a WDR change: 0 before, 1 after. A
// notification number of the video module, not a key of the table.
constexpr int kWdrChangeNote = 2370;

// Which record field a day/night key fills.
template <class Record>
struct RecordField {
    u32 key;
    uint32_t Record::*field;
};

const RecordField<dn_thr_st> kThresholdFields[] = {
    {KEY_DTN_THR, &dn_thr_st::d2n_thr},
    {KEY_NTD_THR, &dn_thr_st::n2d_thr},
    {KEY_DN_SENSITIVITY, &dn_thr_st::dn_sensitivity},
};

// The last row also takes any key that is not listed before it.
const RecordField<dn_time_st> kTimeFields[] = {
    {KEY_DTN_H, &dn_time_st::d2n_hour},
    {KEY_DTN_M, &dn_time_st::d2n_min},
    {KEY_NTD_H, &dn_time_st::n2d_hour},
    {KEY_NTD_M, &dn_time_st::n2d_min},
};

enum class Unlisted { Ignore, LastField };

// Fills the record from the scheme's cached values, then puts the new value
// into the field of the key being set.
template <class Record, size_t N>
Record buildRecord(ISensorController& controller, int scheme, const RecordField<Record> (&fields)[N], u32 key,
                   u32 value, Unlisted unlisted)
{
    Record record{};
    for (const RecordField<Record>& entry : fields) {
        controller.getKeyValFromCache(static_cast<u32>(scheme), entry.key, record.*(entry.field));
    }
    const RecordField<Record>* target = unlisted == Unlisted::LastField ? &fields[N - 1] : nullptr;
    for (const RecordField<Record>& entry : fields) {
        if (entry.key == key) target = &entry;
    }
    if (target != nullptr) record.*(target->field) = value;
    return record;
}

} // namespace

int ISensorController::doHwdr(u32 p_nKey, u32 p_nDir, void* p_pVal)
{
    SNS_CHECK_TEXT(p_pVal != nullptr, "NULL != p_pVal", "");
    if (p_pVal == nullptr) return -1;
    int* pValue = static_cast<int*>(p_pVal);
    if (m_bShowWDRFalg == 0) {
        // Not offered on this device: what is stored must say off too.
        *pValue = 0;
        return SNS_SUCCESS;
    }
    notifyToVideo(kWdrChangeNote, 0);
    const int nAnswer = notifyToVideo(static_cast<int>(p_nKey), *pValue);
    const int nIspRet = doIaCmd(p_nKey, p_nDir, p_pVal);
    SNS_CHECK_TEXT(SNS_SUCCESS == nIspRet, "SNS_SUCCESS == doIaCmd(p_nKey, p_nDir, p_pVal)", "");
    notifyToVideo(kWdrChangeNote, 1);
    return nAnswer;
}

int ISensorController::doImageAdjust(u32 p_nKey, u32 p_nDir, void* p_pVal)
{
    SNS_CHECK_TEXT(p_pVal != nullptr, "NULL != p_pVal", "");
    if (p_pVal == nullptr) return -1;
    const int nIspRet = doIaCmd(p_nKey, p_nDir, p_pVal);
    SNS_CHECK_TEXT(SNS_SUCCESS == nIspRet, "SNS_SUCCESS == doIaCmd(p_nKey, p_nDir, p_pVal)", "");
    return notifyToVideo(static_cast<int>(p_nKey), *static_cast<const int*>(p_pVal));
}

int ISensorController::doDIS(u32 p_nKey, u32 p_nDir, void* p_pVal)
{
    SNS_CHECK_TEXT(p_pVal != nullptr, "NULL != p_pVal", "");
    if (p_pVal == nullptr) return -1;
    const int nAnswer = notifyToVideo(static_cast<int>(p_nKey), *static_cast<const int*>(p_pVal));
    SNS_CHECK_TEXT(SNS_SUCCESS == nAnswer, "SNS_SUCCESS == notifyToVideo(p_nKey, *(u32*)p_pVal)", "");
    return doIaCmd(p_nKey, p_nDir, p_pVal);
}

int ISensorController::doIaCmd_PanoTuning(u32 p_nKey, u32, void* p_pVal)
{
    SNS_CHECK_TEXT(p_pVal != nullptr, "NULL != p_pVal", "");
    if (p_pVal == nullptr) return -1;
    // Stitching is the video module's work; the ISP has no part in it.
    const int nAnswer = notifyToVideo(static_cast<int>(p_nKey), *static_cast<const int*>(p_pVal));
    SNS_CHECK_TEXT(SNS_SUCCESS == nAnswer, "SNS_SUCCESS == notifyToVideo(nKey, nVal)", "");
    return SNS_SUCCESS;
}

int ISensorController::doDNThr(u32 p_nKey, u32 p_nDir, void* p_pVal)
{
    SNS_CHECK_TEXT(p_pVal != nullptr, "NULL != p_pVal", "");
    if (p_pVal == nullptr) return -1;
    dn_thr_st stThr = buildRecord(*this, m_nCurScheme, kThresholdFields, p_nKey, *static_cast<const u32*>(p_pVal),
                                  Unlisted::Ignore);
    SNS_DBG("m_nCurScheme(%u) dn_thr_st.d2n_thr(%u) dn_thr_st.n2d_thr(%u)  dn_thr_st.dn_sensitivity(%u)\n",
            static_cast<u32>(m_nCurScheme), stThr.d2n_thr, stThr.n2d_thr, stThr.dn_sensitivity);
    const int nRet = doIaCmd(p_nKey, p_nDir, &stThr);
    // A restore goes on through thresholds the ISP refuses.
    return testFlag(FLAG_RESTORING) ? SNS_SUCCESS : nRet;
}

int ISensorController::doDNTime(u32 p_nKey, u32 p_nDir, void* p_pVal)
{
    SNS_CHECK_TEXT(p_pVal != nullptr, "NULL != p_pVal", "");
    if (p_pVal == nullptr) return -1;
    dn_time_st stTime = buildRecord(*this, m_nCurScheme, kTimeFields, p_nKey, *static_cast<const u32*>(p_pVal),
                                    Unlisted::LastField);
    SNS_DBG("m_nCurScheme(%u) dn_time_st.d2n_hour(%u) dn_time_st.d2n_min(%u) dn_time_st.n2d_hour(%u) "
            "dn_time_st.n2d_min(%u) \n",
            static_cast<u32>(m_nCurScheme), stTime.d2n_hour, stTime.d2n_min, stTime.n2d_hour, stTime.n2d_min);
    return doIaCmd(p_nKey, p_nDir, &stTime);
}

int ISensorController::doMirror(u32 p_nKey, u32 p_nDir, void* p_pVal)
{
    SNS_CHECK_TEXT(p_pVal != nullptr, "NULL != p_pVal", "");
    if (p_pVal == nullptr) return -1;
    int nMirror = *static_cast<const int*>(p_pVal);
    SNS_CHECK_TEXT(SNS_SUCCESS == notifyToVideo(static_cast<int>(p_nKey), nMirror),
                   "SNS_SUCCESS == notifyToVideo(p_nKey, nMirror)", "");
    return doIaCmd(p_nKey, p_nDir, &nMirror);
}

int ISensorController::doBeaway(u32 p_nKey, u32 p_nDir, void* p_pVal)
{
    SNS_CHECK_TEXT(p_pVal != nullptr, "NULL != p_pVal", "");
    if (p_pVal == nullptr) return -1;
    int* pValue = static_cast<int*>(p_pVal);
    if (!getshowBeawayFalg()) {
        // Not offered: what is stored must say off too.
        *pValue = 0;
        return SNS_SUCCESS;
    }
    int nBeaway = *pValue;
    SNS_CHECK_TEXT(SNS_SUCCESS == notifyToVideo(static_cast<int>(p_nKey), nBeaway),
                   "SNS_SUCCESS == notifyToVideo(p_nKey, nBeaway)", "");
    return doIaCmd(p_nKey, p_nDir, &nBeaway);
}

void ISensorController::setShowWDRFalg(bool p_bShow)
{
    SENSOR_RECORD(setShowWDRFalg, p_bShow);
    m_bShowWDRFalg = p_bShow ? 1 : 0;
}

bool ISensorController::getShowWDRFalg(bool& p_bShow)
{
    p_bShow = m_bShowWDRFalg != 0;
    return true;
}

void ISensorController::setShowBeawayFalg(bool p_bShow)
{
    SENSOR_RECORD(setShowBeawayFalg, p_bShow);
    setshowBeawayFalg(p_bShow);
}

bool ISensorController::getShowBeawayFalg(bool& p_bShow)
{
    p_bShow = getshowBeawayFalg();
    return true;
}
