// Saving, rolling back, re-applying and resetting schemes, watched in the
// scheme files and on the simulated ISP.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ControllerRig.h"
#include "SensorKeys.h"
#include "isp_sim.h"

namespace {

using Sent = std::vector<std::pair<uint32_t, int32_t>>;

std::string schemeFile(int scheme) { return "/mnt/mtd/code/config_file/sensor1_" + std::to_string(scheme) + ".cfg"; }

// Records as "(key,value)" pairs, readable in a failed comparison.
std::string textOf(const KeyVal* records, size_t count)
{
    std::string text;
    for (const KeyVal* r = records; r != records + count; ++r)
        text += "(" + std::to_string(r->key) + "," + std::to_string(r->value) + ")";
    return text;
}

std::string fileText(TestRoot& root, int scheme)
{
    const std::string bytes = root.readFile(schemeFile(scheme));
    std::vector<KeyVal> records(bytes.size() / sizeof(KeyVal));
    if (!records.empty()) std::memcpy(records.data(), bytes.data(), records.size() * sizeof(KeyVal));
    return textOf(records.data(), records.size());
}

// Value of the key in a scheme file; -1 when absent.
int fileValue(TestRoot& root, int scheme, u32 key)
{
    const std::string text = fileText(root, scheme);
    const std::string pair = "(" + std::to_string(key) + ",";
    const size_t at = text.find(pair);
    return at == std::string::npos ? -1 : std::stoi(text.substr(at + pair.size()));
}

std::string factoryText(const ControllerProbe& camera)
{
    u32 count = 0;
    const KeyVal* set = camera.getFactoryKeyVal(count);
    return textOf(set, count);
}

// (command, value) of every SET the ISP received, in order.
Sent sentValues()
{
    Sent sent;
    for (const isp_sim::IspCall& call : isp_sim::trace()) {
        if (call.option == IA_CMD_OPT_SET) sent.emplace_back(call.command, call.value);
    }
    return sent;
}

void setWindow(ControllerProbe& camera, int startHour, int startMin, int endHour, int endMin)
{
    const u32 keys[] = {KEY_SCHEME_START_HOUR, KEY_SCHEME_START_MIN, KEY_SCHEME_END_HOUR, KEY_SCHEME_END_MIN};
    const int values[] = {startHour, startMin, endHour, endMin};
    for (int i = 0; i < 4; ++i) ASSERT_EQ(SNS_SUCCESS, camera.setParameter(keys[i], values[i], true));
}

// The whole day: a window every save accepts.
void makeSavable(ControllerProbe& camera) { setWindow(camera, 0, 0, 24, 0); }

} // namespace

TEST(Restore, FlushedValuesSurviveARestartAndUnsavedOnesAreRolledBack)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 77, true));
    setWindow(camera, 8, 0, 8, 0); // an empty window makes the scheme unsavable
    EXPECT_EQ(507, camera.flush());
    EXPECT_EQ(50, fileValue(root, 0, KEY_BRIGHTNESS));
    makeSavable(camera);
    EXPECT_EQ(SNS_SUCCESS, camera.flush());
    EXPECT_EQ(50, fileValue(root, 1, KEY_BRIGHTNESS));
    const ModuleConfigure config = rig.moduleConfig(1);
    ControllerRig::runWithClock([&] {
        camera.uinit();
        camera.init(config);
    });
    int value = 0;
    EXPECT_TRUE(camera.getParameter(KEY_BRIGHTNESS, value));
    EXPECT_EQ(77, value);
    EXPECT_EQ(77, isp_sim::value(0, KEY_BRIGHTNESS));

    // Unsaved changes: exactly those keys get their saved values back, once.
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 20, true));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_CONTRAST, 33, true));
    isp_sim::clearTrace();
    EXPECT_TRUE(camera.resetToLastParameters());
    EXPECT_EQ((Sent{{KEY_BRIGHTNESS, 77}, {KEY_CONTRAST, 50}}), sentValues());
    EXPECT_EQ(50u, camera.cached(0, KEY_CONTRAST));
    isp_sim::clearTrace();
    EXPECT_TRUE(camera.resetToLastParameters());
    EXPECT_TRUE(sentValues().empty());
    // A failing key makes the roll-back report failure.
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_CONTRAST, 34, true));
    isp_sim::failCommand(KEY_CONTRAST);
    EXPECT_FALSE(camera.resetToLastParameters());
    EXPECT_FALSE(camera.testFlag(ControllerProbe::FLAG_RESTORING));
    isp_sim::clearFailures();

    // restore resends one stored value.
    isp_sim::clearTrace();
    EXPECT_EQ(SNS_SUCCESS, camera.restore(KEY_BRIGHTNESS));
    EXPECT_EQ((Sent{{KEY_BRIGHTNESS, 77}}), sentValues());

    // Another scheme saves to its own file; the factory set saves and rolls back nothing.
    ASSERT_TRUE(camera.setParamScheme(1));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 5, true));
    makeSavable(camera);
    EXPECT_EQ(SNS_SUCCESS, camera.flush());
    EXPECT_EQ(5, fileValue(root, 1, KEY_BRIGHTNESS));
    EXPECT_EQ(77, fileValue(root, 0, KEY_BRIGHTNESS));
    ASSERT_TRUE(camera.setParamScheme(static_cast<int>(camera.schemeCount())));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 90, true));
    isp_sim::clearTrace();
    EXPECT_TRUE(camera.flush() == SNS_SUCCESS && camera.resetToLastParameters());
    EXPECT_EQ(5, fileValue(root, 1, KEY_BRIGHTNESS));
    EXPECT_FALSE(root.exists(schemeFile(4)));
    EXPECT_TRUE(sentValues().empty());
}

TEST(Restore, FlushRefusesAScheduleWindowThatCannotMatch)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1);
    ASSERT_TRUE(camera.setParamScheme(2));
    const struct {
        int startHour, startMin, endHour, endMin, code;
    } cases[] = {{8, 0, 8, 0, 507},  {25, 0, 26, 0, 505}, {24, 1, 24, 2, 505}, {0, 0, 24, 1, 506},
                 {22, 0, 6, 0, 507}, {8, 30, 17, 45, 0},  {0, 0, 24, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.startHour << ":" << c.startMin << "-" << c.endHour << ":" << c.endMin);
        setWindow(camera, c.startHour, c.startMin, c.endHour, c.endMin);
        const std::string before = fileText(rig.root(), 2);
        EXPECT_EQ(c.code, camera.paramCheck());
        EXPECT_EQ(c.code, camera.flush());
        EXPECT_EQ(c.code != 0, before == fileText(rig.root(), 2));
        EXPECT_EQ(c.code == 0, fileValue(rig.root(), 2, KEY_SCHEME_END_HOUR) == c.endHour &&
                                   fileValue(rig.root(), 2, KEY_SCHEME_END_MIN) == c.endMin);
    }
}

TEST(Restore, AeModeRestoreFollowsTheLensAndSkipsExposureOnTheThermalChannel)
{
    ControllerRig rig;
    // The thermal page gets an exposure and a focus mode: only the channel rule keeps exposure out.
    const std::string style = "/hd1/moduleConfig/sensorConfig/style/Style_Thermal.xml";
    std::string text = rig.root().readFile(style);
    ASSERT_NE(std::string::npos, text.find("<item id=\"34\""));
    text.insert(text.find("<item id=\"34\""), "<item id=\"16\" value=\"0\"/><item id=\"1536\" value=\"1\"/>");
    rig.root().writeFile(style, text);
    ControllerProbe& visible = rig.start(1);
    ControllerProbe& thermal = rig.start(2);
    ASSERT_TRUE(thermal.m_bThermalChannel);
    thermal.m_bHasLens = 1;
    ASSERT_NE(0xFFFFFFFFu, thermal.cached(0, KEY_EXPOSE_MODE));

    isp_sim::clearTrace();
    EXPECT_TRUE(thermal.restoreAeMode());
    EXPECT_EQ(0u, isp_sim::countCalls(KEY_EXPOSE_MODE));
    ASSERT_EQ(1u, isp_sim::countCalls(KEY_AUTO_FOCUS_MODE, IA_CMD_OPT_SET));
    const isp_sim::IspCall focus = isp_sim::calls(KEY_AUTO_FOCUS_MODE, IA_CMD_OPT_SET)[0];
    EXPECT_TRUE(focus.channel == 1 && focus.value == 1);

    // The visible channel sets both; without a lens the focus mode is left alone.
    for (int lens : {1, 0}) {
        visible.m_bHasLens = lens;
        isp_sim::clearTrace();
        EXPECT_TRUE(visible.restoreAeMode());
        EXPECT_EQ(1u, isp_sim::countCalls(KEY_EXPOSE_MODE, IA_CMD_OPT_SET));
        EXPECT_EQ(static_cast<size_t>(lens), isp_sim::countCalls(KEY_AUTO_FOCUS_MODE));
    }
    isp_sim::failCommand(KEY_EXPOSE_MODE);
    EXPECT_FALSE(visible.restoreAeMode());
    isp_sim::failCommand(KEY_AUTO_FOCUS_MODE);
    EXPECT_FALSE(thermal.restoreAeMode());
}

TEST(Restore, MirrorModeIsSavedOnlyWhenTheSetSucceeds)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    makeSavable(camera);
    EXPECT_TRUE(camera.setMirrorMode(2));
    EXPECT_EQ(2, fileValue(root, 0, KEY_MIRROR));
    EXPECT_EQ(2, isp_sim::value(0, KEY_MIRROR));

    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 88, true));
    isp_sim::failCommand(KEY_MIRROR);
    EXPECT_FALSE(camera.setMirrorMode(3));
    EXPECT_EQ(2, fileValue(root, 0, KEY_MIRROR));
    EXPECT_EQ(50, fileValue(root, 0, KEY_BRIGHTNESS));
    EXPECT_EQ(2u, camera.cached(0, KEY_MIRROR));

    isp_sim::clearFailures();
    EXPECT_TRUE(camera.setMirrorMode(1));
    EXPECT_EQ(1, fileValue(root, 0, KEY_MIRROR));
    EXPECT_EQ(88, fileValue(root, 0, KEY_BRIGHTNESS));
}

TEST(Restore, FactoryResetUnderLoadLeavesOnlyFactoryFiles)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    const ModuleConfigure config = rig.moduleConfig(1);
    ControllerRig::runWithClock([&] { // from the second start on the factory set no longer changes
        camera.uinit();
        camera.init(config);
    });
    const std::string factory = factoryText(camera);
    for (int scheme : {0, 2}) {
        ASSERT_TRUE(camera.setParamScheme(scheme));
        ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 77, true));
        makeSavable(camera);
        ASSERT_EQ(SNS_SUCCESS, camera.flush());
    }
    root.writeFile(schemeFile(3), "junk");
    // Day/night selection keeps the sensor thread switching meanwhile.
    ASSERT_TRUE(camera.setParamScheme(0));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_SCHEME_MODE, 2, true));
    ASSERT_TRUE(camera.m_bDNScheme);

    std::atomic<bool> stop{false};
    std::atomic<int> gets{0}, sets{0};
    std::thread reader([&] {
        for (int i = 0; !stop; ++i) {
            int value = 0;
            if (camera.getParameter(KEY_BRIGHTNESS, value)) ++gets;
            isp_sim::setValue(0, 153, (i / 16) % 2);
        }
    });
    std::thread writer([&] {
        for (int i = 0; !stop; ++i) {
            if (camera.setParameter(KEY_SATURATION, i % 100, true) == SNS_SUCCESS) ++sets;
        }
    });
    while (gets == 0 || sets == 0) std::this_thread::yield();
    rig.passes(4);
    bool reset = false;
    ControllerRig::runWithClock([&] { reset = camera.resetParameters(); });
    const int getsAtReset = gets, setsAtReset = sets;
    // Both host threads go on working after the restart.
    while (gets == getsAtReset || sets == setsAtReset) std::this_thread::yield();
    rig.passes(2);
    stop = true;
    reader.join();
    writer.join();

    EXPECT_TRUE(reset && camera.threadRunning());
    EXPECT_EQ(0, camera.m_nCurScheme);
    EXPECT_FALSE(camera.m_bDNScheme || camera.testFlag(ControllerProbe::FLAG_RESETTING));
    EXPECT_EQ(factory, factoryText(camera));
    for (int s = 0; s < 4; ++s) EXPECT_EQ(factory, fileText(root, s)) << "scheme " << s;
    EXPECT_EQ(50u, camera.cached(2, KEY_BRIGHTNESS));
}
