// Host threads setting, reading, switching and resetting while the sensor thread passes on a
// moving clock; scripts/tsan runs these under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "SensorKeys.h"
#include "TestHelpers.h"

namespace {

const u32 kPictureKeys[] = {KEY_BRIGHTNESS, KEY_SATURATION, KEY_CONTRAST, KEY_SHARPNESS};

// Runs every body on a thread of its own while the clock moves, so the sensor threads keep passing.
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
    ControllerRig rig(true, ControllerRig::Pace::kFreeRunning);
    ControllerProbe& camera = rig.start(1);
    restart(camera, rig.moduleConfig(1)); // from the second start on the factory set no longer changes
    const std::string factory = pairsOf(factorySet(camera));
    const int schemes = static_cast<int>(camera.schemeCount());
    // Saved schemes and a junk file: the reset leaves none of them.
    for (int scheme : {0, 2}) {
        ASSERT_TRUE(camera.setParamScheme(scheme));
        ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_SCHEME_END_HOUR, 24, true));
        ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 77, true));
        ASSERT_EQ(SNS_SUCCESS, camera.flush());
    }
    rig.root().writeFile(schemeFile(3), "junk");
    isp_sim::clearTrace();

    std::atomic<bool> switched{false}, stop{false};
    std::atomic<int> failures{0}, gets{0}, sets{0}, resets{0};
    auto check = [&failures](bool ok) { failures += ok ? 0 : 1; };
    runTogether({
        // Settings, singly and as pair text, plus field-of-view requests only the sensor thread serves.
        [&] {
            for (int round = 0; !stop; ++round, ++sets) {
                check(camera.setParameter(static_cast<int>(kPictureKeys[round % 4]), round % 100, true) == SNS_SUCCESS);
                check(camera.setParameters("(34," + std::to_string(round % 100) + ")(2337,7)", true) == SNS_SUCCESS);
                if (round % 10 == 0)
                    check(camera.setParameter(KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV, 1, false) == SNS_SUCCESS);
            }
        },
        // Reads of single values, lists and the scheme state.
        [&] {
            for (; !stop; ++gets) {
                int value = -1, scheme = -1, mode = -1;
                check(camera.getParameter(KEY_BRIGHTNESS, value) && value >= 0 && value <= 100);
                std::string pairs;
                check(camera.getParameters("(34,2337)", pairs) && has(pairs, "(2337,"));
                check(camera.getParamScheme(scheme) && scheme >= 0 && scheme <= schemes);
                check(camera.getParamMode(mode) && (mode == 0 || mode == 1));
            }
        },
        // Scheme switches by hand and the selection mode turned on and off.
        [&] {
            for (int round = 0; round < 30; ++round)
                check(camera.setParamScheme(round % schemes) && camera.setParamMode(round % 2));
            check(camera.setParamMode(1));
            switched = true;
        },
        // The factory reset, with the others at work before and after it.
        [&] {
            while (!switched || gets == 0 || sets == 0) std::this_thread::yield();
            check(camera.resetParameters());
            ++resets;
            const int getsAtReset = gets, setsAtReset = sets;
            while (gets == getsAtReset || sets == setsAtReset) std::this_thread::yield();
            stop = true;
        },
    });
    rig.passes(2);

    EXPECT_EQ(0, failures.load());
    EXPECT_EQ(1, resets.load());
    // Started again from the factory set: idle and on scheme 0.
    EXPECT_TRUE(camera.getSensorStatus());
    EXPECT_TRUE(camera.threadRunning());
    EXPECT_FALSE(camera.testFlag(ControllerProbe::FLAG_RESETTING));
    EXPECT_FALSE(camera.testFlag(ControllerProbe::FLAG_SWITCHING));
    EXPECT_EQ(std::make_tuple(0, 1), std::make_tuple(camera.m_nCurScheme.load(), camera.m_nParamMode.load()));
    EXPECT_EQ(factory, pairsOf(factorySet(camera)));
    for (int s = 0; s < 4; ++s) EXPECT_EQ(factory, filePairs(rig.root(), s)) << "scheme " << s;
    EXPECT_EQ(50u, camera.cached(2, KEY_BRIGHTNESS));
    // Every field-of-view request was served by the sensor thread, never by a host thread.
    EXPECT_EQ(-1, ISensorController::m_nChanneldDosomething.load());
    EXPECT_GE(isp_sim::countCalls(KEY_MZ_POSITION, IA_CMD_OPT_SET), 1u);
}

// The sensor thread switches between the day and night schemes each time the
// ISP's day/night state turns, once a simulated minute, for thousands of
// passes, while host threads set and read values, switch schemes, offer and
// withdraw WDR and lock and unlock the lens. Under ThreadSanitizer each pair
// (host set and thread switch, the WDR flag, the lens lock) meets.
TEST(Concurrency, HostCallsMeetTheSensorThreadsSwitchesEveryMinute)
{
    ControllerRig rig(true, ControllerRig::Pace::kFreeRunning);
    ControllerProbe& camera = rig.start(1);
    ASSERT_TRUE(camera.setParamScheme(1));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_WDR_MODE, 1, true));
    ASSERT_TRUE(camera.setParamScheme(0));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_SCHEME_MODE, 2, true));
    // Each pass asks the ISP for the day/night state once.
    std::atomic<int> passes{0};
    isp_sim::setCallObserver([&passes](const isp_sim::IspCall& call) {
        if (call.command == IA_CMD_DAY_NIGHT_STATE && call.option == IA_CMD_OPT_GET) ++passes;
    });

    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    std::atomic<unsigned> schemesSeen{0};
    auto check = [&failures](bool ok) { failures += ok ? 0 : 1; };
    runTogether({
        // The ISP turns day and night every simulated minute; the run ends after enough passes.
        [&] {
            long minute = -1;
            while (passes < 3000) {
                const long now = static_cast<long>(technic_sim::simulatedNowMicroseconds() / 60000000);
                if (now != minute) isp_sim::setValue(0, IA_CMD_DAY_NIGHT_STATE, static_cast<int>((minute = now) % 2));
                std::this_thread::yield();
            }
            stop = true;
        },
        [&] {
            for (int round = 0; !stop; ++round) {
                check(camera.setParameter(KEY_BRIGHTNESS, round % 100, true) == SNS_SUCCESS);
                check(camera.setParameter(KEY_WDR_MODE, round % 2, true) == SNS_SUCCESS);
                int value = -1, scheme = -1;
                check(camera.getParameter(KEY_BRIGHTNESS, value) && camera.getParamScheme(scheme));
                schemesSeen |= 1u << (scheme & 7);
                if (round % 50 == 0) check(camera.setParamScheme(round % 2));
                std::this_thread::yield();
            }
        },
        [&] {
            for (int round = 0; !stop; ++round) {
                camera.setShowWDRFalg(round % 2 == 0);
                lockLens(camera, round % 3 == 0);
                camera.zoomIn();
                std::this_thread::yield();
            }
            camera.setShowWDRFalg(true);
            lockLens(camera, false);
        },
    });
    isp_sim::setCallObserver(nullptr);
    EXPECT_EQ(0, failures.load());
    EXPECT_EQ(3u, schemesSeen.load()) << "the host saw schemes 0 and 1";
}

namespace {

// Two controllers on a lockstep clock for two simulated hours: the ISP turns
// day and night every 7 minutes, the host switches schemes by hand, and a
// factory reset stops and restarts a sensor thread. Every ISP call, in order.
std::string lockstepTrace()
{
    ControllerRig rig;
    ControllerProbe& visible = rig.start(1);
    ControllerProbe& thermal = rig.start(2);
    visible.setParamScheme(1);
    visible.setParameter(KEY_BRIGHTNESS, 70, true);
    visible.setParamScheme(0);
    for (ControllerProbe* camera : {&visible, &thermal}) camera->setParameter(KEY_SCHEME_MODE, 2, true);
    for (int minute = 0; minute < 120; ++minute) {
        isp_sim::setValue(0, IA_CMD_DAY_NIGHT_STATE, minute / 7 % 2);
        if (minute % 11 == 0) visible.setParamScheme(minute % 3);
        if (minute == 60) visible.resetParameters();
        technic_sim::advance(60, 0);
    }
    std::string trace;
    for (const isp_sim::IspCall& call : isp_sim::trace()) trace += isp_sim::formatCall(call) + "\n";
    return trace;
}

} // namespace

// Under lockstep the same steps make the same calls in the same order, while
// the turn passes between the test's thread and two sensor threads (and a
// thread stopped and started by a reset); scripts/tsan runs it for races
// between the turns.
TEST(Concurrency, LockstepTurnsGiveOneOrderOfCalls)
{
    const std::string first = lockstepTrace();
    size_t nights = 0;
    for (size_t at = first.find("0\t34\tSET\t70"); at != std::string::npos; at = first.find("0\t34\tSET\t70", at + 1)) ++nights;
    EXPECT_GE(nights, 5u) << "the passes switched to the night scheme until the reset\n" << first;
    EXPECT_EQ(first, lockstepTrace());
}
