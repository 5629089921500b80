// Composite-key handlers: what the video module hears, what the ISP gets,
// and what ends up stored.
#include <gtest/gtest.h>

#include <vector>

#include "ControllerRig.h"
#include "SensorKeys.h"
#include "isp_sim.h"

namespace {

using Notes = std::vector<std::vector<int>>;

class HandlerTest : public ::testing::Test {
protected:
    void SetUp() override { isp_sim::clearTrace(); }
    void TearDown() override
    {
        isp_sim::setCallObserver(nullptr);
        setshowBeawayFalg(true);
    }
    // Notifications so far as {key, value}, then forgotten.
    Notes takeNotes()
    {
        Notes result;
        for (const RecordingVideo::Note& note : video.notes()) result.push_back({note.key, note.value});
        video.clearNotes();
        return result;
    }

    ControllerRig rig;
    ControllerProbe& c = rig.start(1);
    RecordingVideo& video = rig.video(1);
    int nOne = 1;
};

} // namespace

TEST_F(HandlerTest, WdrChangeIsBracketedForTheVideoModule)
{
    video.clearNotes();
    size_t nNotesAtIspCall = 0;
    isp_sim::setCallObserver([&](const isp_sim::IspCall& call) {
        if (call.command == KEY_WDR_MODE) nNotesAtIspCall = video.notes().size();
    });
    EXPECT_EQ(0, c.setParameter(KEY_WDR_MODE, 1, true));
    EXPECT_EQ((Notes{{2370, 0}, {2368, 1}, {2370, 1}}), takeNotes());
    EXPECT_EQ(2u, nNotesAtIspCall);
    // The video module's answer counts, the ISP's does not.
    isp_sim::failCommand(KEY_WDR_MODE);
    video.answer = 4;
    EXPECT_EQ(4, c.doHwdr(KEY_WDR_MODE, IA_CMD_OPT_SET, &nOne));

    // Hidden WDR or beaway: the value is stored as off and nothing is sent.
    takeNotes();
    isp_sim::clearTrace();
    c.setShowWDRFalg(false);
    c.setShowBeawayFalg(false);
    video.answer = 0;
    EXPECT_EQ(0, c.setParameter(KEY_WDR_MODE, 2, true));
    EXPECT_EQ(0, c.setParameter(KEY_BEAWAY, 2, true));
    EXPECT_EQ(0u, c.cached(0, KEY_WDR_MODE));
    EXPECT_EQ(0u, c.cached(0, KEY_BEAWAY));
    EXPECT_TRUE(takeNotes().empty());
    EXPECT_TRUE(isp_sim::trace().empty());
    setshowBeawayFalg(true);
    EXPECT_EQ(0, c.setParameter(KEY_BEAWAY, 2, true));
    EXPECT_EQ(2u, c.cached(0, KEY_BEAWAY));
    EXPECT_EQ(1u, isp_sim::countCalls(KEY_BEAWAY, IA_CMD_OPT_SET));
}

TEST_F(HandlerTest, DayNightRecordsCombineTheSchemesValues)
{
    auto lastRecord = [](u32 command) { return isp_sim::calls(command, IA_CMD_OPT_SET).back().record; };
    c.setKeyValToCache(0, KEY_DTN_THR, 70, false);
    c.setKeyValToCache(0, KEY_DN_SENSITIVITY, 5, false);
    EXPECT_EQ(0, c.setParameter(KEY_NTD_THR, 30, true));
    EXPECT_EQ((std::vector<int32_t>{70, 30, 5}), lastRecord(KEY_NTD_THR));
    const u32 times[][2] = {{KEY_DTN_H, 6}, {KEY_DTN_M, 30}, {KEY_NTD_H, 18}};
    for (const auto& t : times) c.setKeyValToCache(0, t[0], t[1], false);
    EXPECT_EQ(0, c.setParameter(KEY_NTD_M, 15, true));
    EXPECT_EQ((std::vector<int32_t>{6, 30, 18, 15}), lastRecord(KEY_NTD_M));

    // A refused threshold fails the set, except during a restore.
    isp_sim::failCommand(KEY_DTN_THR);
    u32 nValue = 40;
    EXPECT_NE(0, c.doDNThr(KEY_DTN_THR, IA_CMD_OPT_SET, &nValue));
    c.setFlag(ControllerProbe::FLAG_RESTORING);
    EXPECT_EQ(0, c.doDNThr(KEY_DTN_THR, IA_CMD_OPT_SET, &nValue));
    c.clearFlag(ControllerProbe::FLAG_RESTORING);
}

TEST_F(HandlerTest, PanoramaKeysGoToTheVideoOnlyAndRefusedNotificationsDoNotStopTheIsp)
{
    video.clearNotes();
    video.answer = -3;
    KeyVal records[] = {{KEY_PANO_YAW_1, 5}, {KEY_BRIGHTNESS, 61}};
    EXPECT_EQ(0, c.setParameters(records, 2, true));
    EXPECT_EQ((Notes{{9102, 5}}), takeNotes());
    EXPECT_EQ(0u, isp_sim::countCalls(KEY_PANO_YAW_1));
    EXPECT_EQ(1u, isp_sim::countCalls(KEY_BRIGHTNESS, IA_CMD_OPT_SET));

    isp_sim::clearTrace();
    video.answer = -1;
    EXPECT_EQ(0, c.doDIS(KEY_ANTI_SHAKE_SWITCH, IA_CMD_OPT_SET, &nOne));
    EXPECT_EQ(0, c.doMirror(KEY_MIRROR, IA_CMD_OPT_SET, &nOne));
    EXPECT_EQ(-1, c.doImageAdjust(KEY_CAP_OFF_ADJ_H_CUR, IA_CMD_OPT_SET, &nOne));
    EXPECT_EQ((Notes{{2416, 1}, {2384, 1}, {2436, 1}}), takeNotes());
    EXPECT_EQ(3u, isp_sim::trace().size());
    EXPECT_EQ(-1, c.doMirror(KEY_MIRROR, IA_CMD_OPT_SET, nullptr));
}
