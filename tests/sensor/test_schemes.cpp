// Scheme switching by hand, by the daily schedule and by the day/night state;
// every scheme s carries brightness 60 + s, so the ISP shows which one applies.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "SensorKeys.h"
#include "TestHelpers.h"

namespace {

void setWindow(ControllerProbe& camera, u32 scheme, u32 startHour, u32 endHour, u32 endMin = 0)
{
    const u32 values[] = {startHour, 0, endHour, endMin};
    for (u32 i = 0; i < 4; ++i) camera.setKeyValToCache(scheme, KEY_SCHEME_START_HOUR + i, values[i], false);
}

// Marks the schemes, clears their windows and puts the thread in the given
// scheme mode; scheme 0, current after start, gets its mark applied.
ControllerProbe& startMarked(ControllerRig& rig, int schemeMode)
{
    ControllerProbe& camera = rig.start(1);
    EXPECT_EQ(0, camera.m_nCurScheme);
    camera.setParameter(KEY_BRIGHTNESS, 60, true);
    for (u32 s = 0; s < camera.schemeCount(); ++s) {
        camera.setKeyValToCache(s, KEY_BRIGHTNESS, 60 + s, false);
        setWindow(camera, s, 0, 0);
    }
    camera.setParameter(KEY_SCHEME_MODE, schemeMode, true);
    rig.settle();
    return camera;
}

int appliedScheme() { return isp_sim::value(0, KEY_BRIGHTNESS) - 60; }

} // namespace

TEST(Schemes, TimeModeFollowsADayOfWindowsThatIncludeStartAndExcludeEnd)
{
    ControllerRig rig;
    ControllerProbe& camera = startMarked(rig, 1);
    setWindow(camera, 1, 6, 12);
    setWindow(camera, 2, 10, 18, 30); // overlaps scheme 1: the first match wins
    setWindow(camera, 3, 22, 6);      // crosses midnight: never matches
    const int cases[][2] = {{0, 0},    {359, 0},  {360, 1},  {719, 1}, {720, 2},
                            {1109, 2}, {1110, 0}, {1380, 0}, {180, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c[0] / 60) + ":" + std::to_string(c[0] % 60));
        technic_sim::setLocalTime(c[0] / 60, c[0] % 60, 0);
        rig.passes(1);
        EXPECT_EQ(c[1], camera.m_nCurScheme);
        EXPECT_EQ(c[1], appliedScheme());
        int scheme = -1, schedule = -1;
        EXPECT_EQ(SNS_SUCCESS, camera.judgeCurScheme(scheme, schedule));
        EXPECT_EQ(c[1] != 0, schedule == 1);
    }
}

TEST(Schemes, DayNightModeFollowsTheIspUnlessBusyOrManual)
{
    ControllerRig rig;
    ControllerProbe& camera = startMarked(rig, 2);
    isp_sim::setValue(0, IA_CMD_DAY_NIGHT_STATE, 1);
    rig.passes(1);
    EXPECT_EQ(1, appliedScheme());
    isp_sim::setValue(0, IA_CMD_DAY_NIGHT_STATE, 0);
    camera.setFlag(ControllerProbe::FLAG_RESTORING);
    rig.passes(2);
    EXPECT_EQ(1, camera.m_nCurScheme) << "a busy controller is left alone";
    camera.clearFlag(ControllerProbe::FLAG_RESTORING);
    rig.passes(1);
    EXPECT_EQ(0, appliedScheme());
    EXPECT_TRUE(camera.setParamMode(0));
    isp_sim::setValue(0, IA_CMD_DAY_NIGHT_STATE, 1);
    rig.passes(2);
    EXPECT_EQ(0, camera.m_nCurScheme) << "manual mode";
}

TEST(Schemes, HostSwitchSendsOnlyTheDifferencesWaitsWhileBusyAndRejectsBadIndexes)
{
    ControllerRig rig;
    ControllerProbe& camera = startMarked(rig, 0);
    camera.setKeyValToCache(1, KEY_BRIGHTNESS, 60, false);
    isp_sim::clearTrace();
    for (int scheme : {3, 1, 0}) EXPECT_TRUE(camera.setParamScheme(scheme)) << scheme;
    EXPECT_EQ((Sent{{KEY_BRIGHTNESS, 63}, {KEY_BRIGHTNESS, 60}}), sentValues()) << "1 and 0 are identical";

    camera.setFlag(ControllerProbe::FLAG_RESTORING);
    const std::int64_t began = technic_sim::simulatedNowMicroseconds();
    std::atomic<bool> returned{false};
    std::atomic<int> schemeWhileBusy{-1};
    std::thread restoreEnds([&] {
        while (!returned && technic_sim::simulatedNowMicroseconds() < began + 2000000) std::this_thread::yield();
        schemeWhileBusy = returned ? -1 : appliedScheme();
        camera.clearFlag(ControllerProbe::FLAG_RESTORING);
    });
    ControllerRig::runWithClock([&] {
        EXPECT_TRUE(camera.setParamScheme(2));
        returned = true;
    });
    restoreEnds.join();
    EXPECT_EQ(0, schemeWhileBusy.load()) << "no switch before the restore ended";
    EXPECT_EQ(2, appliedScheme());

    const int factory = static_cast<int>(camera.schemeCount());
    EXPECT_TRUE(camera.setParamScheme(factory));
    for (int bad : {factory + 1, -1}) EXPECT_FALSE(camera.setParamScheme(bad)) << bad;
    int current = -1;
    EXPECT_TRUE(camera.getParamScheme(current));
    EXPECT_EQ(factory, current);
}

TEST(Schemes, LicencePlateCameraSwitchesFullyAtWindowEdges)
{
    ControllerRig rig;
    ControllerProbe& camera = startMarked(rig, 1);
    camera.m_bLPRDevice = 1;
    setWindow(camera, 2, 8, 9);
    camera.setKeyValToCache(1, KEY_DN_MODE, 1, false);
    isp_sim::setValue(0, IA_CMD_DAY_NIGHT_STATE, 1);
    technic_sim::setLocalTime(8, 0, 0);
    isp_sim::clearTrace();
    rig.passes(1);
    EXPECT_EQ(2, appliedScheme());
    EXPECT_EQ(1u, isp_sim::countCalls(KEY_MAX_SHUTTER, IA_CMD_OPT_SET)) << "entering applies in full";

    technic_sim::setLocalTime(9, 0, 0);
    isp_sim::clearTrace();
    rig.passes(1);
    EXPECT_EQ(1, appliedScheme());
    const std::vector<isp_sim::IspCall> dnMode = isp_sim::calls(KEY_DN_MODE, IA_CMD_OPT_SET);
    ASSERT_EQ(1u, dnMode.size());
    EXPECT_EQ(0, dnMode[0].value);
    EXPECT_EQ(1u, camera.cached(1, KEY_DN_MODE));
    isp_sim::clearTrace();
    rig.passes(1);
    EXPECT_EQ(Sent{}, sentValues());
}
