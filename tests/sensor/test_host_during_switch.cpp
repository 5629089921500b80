// Host calls while the sensor thread switches schemes: the switch is held
// inside an ISP call (the simulated ISP's gate) or slowed, and the video
// module reads values back from the controller when notified. scripts/tsan
// runs these under ThreadSanitizer with the other Concurrency tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "ReadBackVideo.h"
#include "SensorKeys.h"
#include "TestHelpers.h"

namespace {

// Only a guard against a hang: nothing here is meant to take long.
const std::chrono::seconds kWatchdog(10);

// Lets held ISP calls go however a test ends, before its threads are joined.
struct ReleaseHeldCalls {
    ~ReleaseHeldCalls() { isp_sim::releaseCalls(); }
};

ControllerProbe& startReadingBack(ControllerRig& rig, ReadBackVideo& video)
{
    ControllerProbe& camera = rig.construct(1);
    camera.setVideoStreamModule(&video);
    video.readFrom(&camera);
    EXPECT_TRUE(initOn(camera, rig.moduleConfig(1)));
    rig.settle();
    return camera;
}

// Scheme 1 takes each value where it differs from scheme 0; scheme 0 is
// current again and the schemes follow day and night. Both are saved, so a
// revert keeps all this.
void nightSchemeWith(ControllerProbe& camera, const std::vector<KeyVal>& values)
{
    ASSERT_TRUE(camera.setParamScheme(1));
    for (const KeyVal& record : values) {
        ASSERT_EQ(SNS_SUCCESS, camera.setParameter(static_cast<int>(record.key), static_cast<int>(record.value), true));
    }
    ASSERT_EQ(SNS_SUCCESS, camera.flush());
    ASSERT_TRUE(camera.setParamScheme(0));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_SCHEME_MODE, 2, true));
    ASSERT_EQ(SNS_SUCCESS, camera.flush());
}

// Turns the ISP to night and lets the parked sensor thread make one pass.
void nightPass()
{
    isp_sim::setValue(0, IA_CMD_DAY_NIGHT_STATE, 1);
    technic_sim::advance(1, 0);
}

bool passEnded(long waitsBefore) { return technic_sim::waitForWaitEntries(waitsBefore + 1, 10000); }

} // namespace

// Scheme 1 is mirrored; the switch's mirror notification reads the mirror
// back while a host thread, setting brightness, holds the controller lock
// inside the ISP. The switch ends before the host call does.
TEST(Concurrency, VideoModuleReadsBackDuringASwitchWhileAHostSetHoldsTheLock)
{
    ReadBackVideo video;
    ControllerRig rig(true, ControllerRig::Pace::kFreeRunning);
    ControllerProbe& camera = startReadingBack(rig, video);
    nightSchemeWith(camera, {{KEY_MIRROR, 1}});

    isp_sim::holdCalls(KEY_BRIGHTNESS, IA_CMD_OPT_SET);
    ReleaseHeldCalls release;
    std::future<int> hostSet = std::async(std::launch::async, [&camera] {
        return camera.setParameter(KEY_BRIGHTNESS, 61, true);
    });
    ASSERT_TRUE(isp_sim::waitForHeldCalls(1));
    const long waits = technic_sim::waitEntries();
    nightPass();
    ASSERT_TRUE(passEnded(waits)) << "the switch waited for the host";
    EXPECT_EQ(std::future_status::timeout, hostSet.wait_for(std::chrono::seconds(0)));

    EXPECT_EQ(1, camera.m_nCurScheme.load());
    const std::vector<ReadBackVideo::ReadBack> reads = video.readBacks();
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(static_cast<int>(KEY_MIRROR), reads.back().key);
    EXPECT_TRUE(reads.back().ok);
    EXPECT_EQ(1, reads.back().value);
    EXPECT_TRUE(reads.back().onSensorThread);

    isp_sim::releaseCalls();
    ASSERT_EQ(std::future_status::ready, hostSet.wait_for(kWatchdog));
    EXPECT_EQ(SNS_SUCCESS, hostSet.get());
    EXPECT_EQ(61u, camera.cached(0, KEY_BRIGHTNESS)) << "stored in the scheme current when the set began";
}

// A switch of ten keys, held inside the ISP at its first: host calls go on
// as if no switch ran, except the user command that a busy controller drops.
TEST(Concurrency, HostCallsDuringASwitchHeldInTheIspReturnWithoutWaiting)
{
    ControllerRig rig(true, ControllerRig::Pace::kFreeRunning);
    ControllerProbe& camera = rig.start(1);
    const u32 slowKeys[] = {KEY_BRIGHTNESS, KEY_SATURATION, KEY_CONTRAST, KEY_SHARPNESS, KEY_METER_AREA,
                            KEY_TRAFFIC_LEVEL, KEY_MAX_GAIN_NIGHT, KEY_MAX_GAIN, KEY_FIX_GAIN, KEY_IRIS_SPEED};
    std::vector<KeyVal> night;
    for (u32 key : slowKeys) {
        const u32 value = camera.cached(1, key);
        ASSERT_NE(0xFFFFFFFFu, value) << key;
        night.push_back({key, value == 1 ? 2u : 1u});
    }
    nightSchemeWith(camera, night);
    // The switch sends the keys in the order of the set.
    const KeyVal* set = camera.m_ppUserKeyVal[1];
    const u32 first = std::find_first_of(set, set + camera.m_nKeyValSum, std::begin(slowKeys), std::end(slowKeys),
                                         [](const KeyVal& r, u32 key) { return r.key == key; })->key;
    isp_sim::clearTrace();

    isp_sim::holdCalls(first, IA_CMD_OPT_SET);
    ReleaseHeldCalls release;
    const long waits = technic_sim::waitEntries();
    nightPass();
    ASSERT_TRUE(isp_sim::waitForHeldCalls(1));

    struct Seen {
        bool got;
        int value;
        int scheme;
        int focusOnce;
        int lensLock;
    };
    std::future<Seen> hostCalls = std::async(std::launch::async, [&camera] {
        Seen seen{false, -1, -1, -1, -1};
        seen.got = camera.getParameter(KEY_BRIGHTNESS, seen.value);
        camera.getParamScheme(seen.scheme);
        seen.focusOnce = camera.setParameter(KEY_AUTO_FOCUS_ONCE, 1, false);
        SensorZoomFocusParam lock;
        seen.lensLock = camera.setSensorZoomFocusParam(lock);
        return seen;
    });
    ASSERT_EQ(std::future_status::ready, hostCalls.wait_for(kWatchdog)) << "a host call waited for the switch";
    EXPECT_TRUE(camera.testFlag(ControllerProbe::FLAG_SWITCHING));
    EXPECT_TRUE(isp_sim::waitForHeldCalls(1, 0)) << "the switch is still held";
    const Seen seen = hostCalls.get();
    EXPECT_TRUE(seen.got);
    EXPECT_EQ(static_cast<int>(camera.cached(1, KEY_BRIGHTNESS)), seen.value) << "the scheme being switched to";
    EXPECT_EQ(1, seen.scheme);
    EXPECT_EQ(SNS_SUCCESS, seen.focusOnce);
    EXPECT_EQ(0u, isp_sim::countCalls(KEY_AUTO_FOCUS_ONCE)) << "dropped while busy";
    EXPECT_EQ(SNS_SUCCESS, seen.lensLock);

    isp_sim::releaseCalls();
    ASSERT_TRUE(passEnded(waits));
    EXPECT_FALSE(camera.testFlag(ControllerProbe::FLAG_SWITCHING));
    for (const KeyVal& record : night) EXPECT_EQ(1u, isp_sim::countCalls(record.key, IA_CMD_OPT_SET)) << record.key;
    EXPECT_EQ(SNS_SUCCESS, camera.setParameter(KEY_AUTO_FOCUS_ONCE, 1, false));
    EXPECT_EQ(1u, isp_sim::countCalls(KEY_AUTO_FOCUS_ONCE)) << "sent when idle";
}

// A revert held inside the ISP keeps the controller busy: the night pass
// leaves the scheme alone, and the first pass after it switches.
TEST(Concurrency, SelectionSkipsAPassWhileARevertRuns)
{
    ControllerRig rig(true, ControllerRig::Pace::kFreeRunning);
    ControllerProbe& camera = rig.start(1);
    nightSchemeWith(camera, {{KEY_SATURATION, camera.cached(1, KEY_SATURATION) == 1 ? 2u : 1u}});
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, static_cast<int>(camera.cached(0, KEY_BRIGHTNESS)) + 1,
                                               true));
    isp_sim::clearTrace();

    isp_sim::holdCalls(KEY_BRIGHTNESS, IA_CMD_OPT_SET);
    ReleaseHeldCalls release;
    std::future<bool> revert = std::async(std::launch::async, [&camera] { return camera.resetToLastParameters(); });
    ASSERT_TRUE(isp_sim::waitForHeldCalls(1));
    long waits = technic_sim::waitEntries();
    nightPass();
    ASSERT_TRUE(passEnded(waits));
    EXPECT_EQ(0, camera.m_nCurScheme.load()) << "switched while busy";
    EXPECT_EQ(0u, isp_sim::countCalls(KEY_SATURATION, IA_CMD_OPT_SET));

    isp_sim::releaseCalls();
    ASSERT_EQ(std::future_status::ready, revert.wait_for(kWatchdog));
    EXPECT_TRUE(revert.get());
    waits = technic_sim::waitEntries();
    technic_sim::advance(1, 0);
    ASSERT_TRUE(passEnded(waits));
    EXPECT_EQ(1, camera.m_nCurScheme.load());
    EXPECT_EQ(1u, isp_sim::countCalls(KEY_SATURATION, IA_CMD_OPT_SET));
}

// Host threads get, set, change schemes and modes, save, revert, restore and
// reset while the sensor thread switches between day and night each
// simulated minute through a slowed ISP, and the video module reads back on
// every notification. Under ThreadSanitizer: no race, no lock-order inversion.
TEST(Concurrency, HostThreadsMeetSlowSwitchesAndAVideoModuleReadingBack)
{
    ReadBackVideo video;
    ControllerRig rig(true, ControllerRig::Pace::kFreeRunning);
    ControllerProbe& camera = startReadingBack(rig, video);
    nightSchemeWith(camera, {{KEY_MIRROR, 1}, {KEY_WDR_MODE, 1}, {KEY_BRIGHTNESS, 80}});
    isp_sim::slowCalls(20);
    const long firstWait = technic_sim::waitEntries();
    const long lastWait = firstWait + 1500;

    std::atomic<bool> stop{false}, reset{false};
    std::atomic<int> failures{0};
    auto check = [&failures](bool ok) { failures += ok ? 0 : 1; };
    ControllerRig::runWithClock([&] {
        std::vector<std::thread> threads;
        // Day and night turn every simulated minute, until enough waits have passed.
        threads.emplace_back([&] {
            for (long minute = -1; technic_sim::waitEntries() < lastWait; std::this_thread::yield()) {
                const long now = static_cast<long>(technic_sim::simulatedNowMicroseconds() / 60000000);
                if (now != minute) isp_sim::setValue(0, IA_CMD_DAY_NIGHT_STATE, static_cast<int>((minute = now) % 2));
            }
            stop = true;
        });
        threads.emplace_back([&] {
            for (int round = 0; !stop; ++round) {
                int value = -1, scheme = -1, mode = -1;
                std::string pairs;
                check(camera.getParameter(KEY_MIRROR, value) && (value == 0 || value == 1));
                check(camera.getParameters("(34,2368)", pairs) && has(pairs, "(2368,"));
                check(camera.getParamScheme(scheme) && camera.getParamMode(mode));
                if (round % 20 == 0) check(camera.getAllParameters(pairs));
                std::this_thread::yield();
            }
        });
        threads.emplace_back([&] {
            for (int round = 0; !stop; ++round) {
                check(camera.setParameter(KEY_BRIGHTNESS, round % 100, true) == SNS_SUCCESS);
                check(camera.setParameters("(2337," + std::to_string(round % 100) + ")", true) == SNS_SUCCESS);
                check(camera.restore(KEY_BRIGHTNESS) == SNS_SUCCESS);
                if (round % 10 == 0) check(camera.resetToLastParameters());
                std::this_thread::yield();
            }
        });
        // Now and then a scheme or mode change or a save; one factory reset
        // late in the run (it ends the day/night selection).
        threads.emplace_back([&] {
            for (int round = 0; !stop; ++round) {
                check(camera.setParamScheme(round % 2));
                check(camera.setParamMode(round % 10 == 0 ? 0 : 1));
                if (round % 5 == 0) check(camera.flush() == SNS_SUCCESS);
                if (!reset && technic_sim::waitEntries() > firstWait + 1000) {
                    check(camera.resetParameters());
                    reset = true;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            check(camera.setParamMode(1));
        });
        for (std::thread& thread : threads) thread.join();
    });
    isp_sim::slowCalls(0);

    EXPECT_EQ(0, failures.load());
    EXPECT_TRUE(reset.load());
    const std::vector<ReadBackVideo::ReadBack> reads = video.readBacks();
    EXPECT_TRUE(std::all_of(reads.begin(), reads.end(), [](const ReadBackVideo::ReadBack& r) { return r.ok; }));
    const long threadReads = std::count_if(reads.begin(), reads.end(),
                                           [](const ReadBackVideo::ReadBack& r) { return r.onSensorThread; });
    EXPECT_GE(threadReads, 2) << "read back " << reads.size() << " times: the sensor thread hardly switched";
}
