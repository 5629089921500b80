// Host threads setting, reading and switching schemes while the sensor thread
// makes its passes on a clock that keeps moving, with a factory reset in the
// middle. scripts/tsan runs these under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <set>
#include <thread>
#include <vector>

#include "ControllerRig.h"
#include "SensorKeys.h"
#include "isp_sim.h"

namespace {

constexpr int kRounds = 30;
constexpr int kIsp = 0;
const u32 kPictureKeys[] = {KEY_BRIGHTNESS, KEY_SATURATION, KEY_CONTRAST, KEY_SHARPNESS};


// Starts every body on a thread of its own and returns when all have ended;
// meanwhile the simulated clock moves whenever anything waits on it, so the
// sensor threads pass again and again.
void runTogether(const std::vector<std::function<void()>>& bodies)
{
    ControllerRig::runWithClock([&bodies] {
        std::vector<std::thread> threads;
        for (const auto& body : bodies) threads.emplace_back(body);
        for (std::thread& thread : threads) thread.join();
    });
}

} // namespace

TEST(Concurrency, HostThreadsAroundTheSensorThreadAndAFactoryReset)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1);
    const int schemes = static_cast<int>(camera.schemeCount());
    ASSERT_GE(schemes, 2);
    isp_sim::clearTrace();

    std::atomic<int> failures{0};
    std::atomic<int> resets{0};
    auto check = [&failures](bool ok) {
        if (!ok) ++failures;
    };

    runTogether({
        // Settings, singly and as pair text, plus field-of-view requests
        // that only the sensor thread serves.
        [&] {
            for (int round = 0; round < kRounds; ++round) {
                const u32 key = kPictureKeys[round % 4];
                check(camera.setParameter(static_cast<int>(key), round, true) == SNS_SUCCESS);
                check(camera.setParameters("(34," + std::to_string(round) + ")(2337,7)", true) == SNS_SUCCESS);
                if (round % 10 == 0) {
                    check(camera.setParameter(KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV, 1, false) == SNS_SUCCESS);
                }
            }
        },
        // Reads of single values, lists and the scheme state.
        [&] {
            for (int round = 0; round < kRounds; ++round) {
                int value = -1;
                check(camera.getParameter(KEY_BRIGHTNESS, value) && value >= 0 && value <= 100);
                std::string pairs;
                check(camera.getParameters("(34,2337)", pairs) && pairs.find("(2337,") != std::string::npos);
                int scheme = -1;
                check(camera.getParamScheme(scheme) && scheme >= 0 && scheme <= schemes);
                int mode = -1;
                check(camera.getParamMode(mode) && (mode == 0 || mode == 1));
            }
        },
        // Scheme switches by hand and the selection mode turned on and off.
        [&] {
            for (int round = 0; round < kRounds; ++round) {
                check(camera.setParamScheme(round % schemes));
                check(camera.setParamMode(round % 2));
            }
            check(camera.setParamMode(1));
        },
        // A factory reset while the others are at work.
        [&] {
            for (int round = 0; round < kRounds / 2; ++round) {
                int value = 0;
                check(camera.getParameter(KEY_CONTRAST, value));
            }
            check(camera.resetParameters());
            ++resets;
        },
    });

    EXPECT_EQ(0, failures.load());
    EXPECT_EQ(1, resets.load());
    rig.passes(2);

    // Started again, idle, and answering from a valid scheme.
    EXPECT_TRUE(camera.getSensorStatus());
    EXPECT_TRUE(camera.threadRunning());
    EXPECT_FALSE(camera.testFlag(ControllerProbe::FLAG_RESETTING));
    EXPECT_FALSE(camera.testFlag(ControllerProbe::FLAG_SWITCHING));
    EXPECT_LE(static_cast<u32>(camera.m_nCurScheme.load()), camera.schemeCount());
    EXPECT_EQ(1, camera.m_nParamMode.load());
    EXPECT_TRUE(rig.root().exists("/mnt/mtd/code/config_file/sensor1_0.cfg")) << "recreated by the reset";

    // Every request was served by the sensor thread, never by a host thread.
    EXPECT_EQ(-1, ISensorController::m_nChanneldDosomething.load());
    EXPECT_GE(isp_sim::countCalls(KEY_MZ_POSITION, IA_CMD_OPT_SET), 1u);

    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 77, true));
    int brightness = 0;
    EXPECT_TRUE(camera.getParameter(KEY_BRIGHTNESS, brightness));
    EXPECT_EQ(77, brightness);
    EXPECT_EQ(77, isp_sim::value(kIsp, KEY_BRIGHTNESS));
}

// The sensor thread follows the day/night state between schemes 0 and 1
// while host threads keep reading the scheme state and changing the mode.
TEST(Concurrency, SensorThreadSwitchesWhileHostThreadsRead)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1);
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_SCHEME_MODE, 2, true));
    ASSERT_EQ(1, camera.m_bDNScheme.load());

    std::atomic<bool> flipping{true};
    std::atomic<int> failures{0};
    std::set<int> seen;
    runTogether({
        // The ISP's day/night state flips back and forth.
        [&] {
            for (int round = 0; round < kRounds; ++round) {
                isp_sim::setValue(kIsp, IA_CMD_DAY_NIGHT_STATE, round % 2);
                technic_sim::waitForWaitEntries(technic_sim::waitEntries() + 2);
            }
            flipping = false;
        },
        [&] {
            while (flipping) {
                int scheme = -1;
                if (!camera.getParamScheme(scheme) || scheme < 0 || scheme > 1) ++failures;
                seen.insert(scheme);
                int mode = -1;
                if (!camera.getParamMode(mode) || mode != 1) ++failures;
            }
        },
    });

    EXPECT_EQ(0, failures.load());
    EXPECT_EQ((std::set<int>{0, 1}), seen) << "the thread switched both ways";

    isp_sim::setValue(kIsp, IA_CMD_DAY_NIGHT_STATE, 1);
    rig.passes(2);
    EXPECT_EQ(1, camera.m_nCurScheme.load());
    isp_sim::setValue(kIsp, IA_CMD_DAY_NIGHT_STATE, 0);
    rig.passes(2);
    EXPECT_EQ(0, camera.m_nCurScheme.load());
}
