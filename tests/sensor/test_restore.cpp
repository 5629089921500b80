// Saving, rolling back, re-applying and resetting schemes, watched in the
// scheme files and on the simulated ISP.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ControllerRig.h"
#include "SensorDiag.h"
#include "SensorKeys.h"
#include "isp_sim.h"

namespace {

constexpr int kIsp = 0;

std::string schemeFile(int camera, int scheme)
{
    char name[96];
    std::snprintf(name, sizeof name, "/mnt/mtd/code/config_file/sensor%d_%d.cfg", camera, scheme);
    return name;
}

std::vector<KeyVal> recordsOf(const std::string& bytes)
{
    std::vector<KeyVal> records(bytes.size() / sizeof(KeyVal));
    if (!records.empty()) std::memcpy(records.data(), bytes.data(), records.size() * sizeof(KeyVal));
    return records;
}

// Records as "(key,value)" pairs, readable in a failed comparison.
std::string textOf(const KeyVal* records, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += "(" + std::to_string(records[i].key) + "," + std::to_string(records[i].value) + ")";
    }
    return text;
}

// A scheme file as text; bytes that make no whole record are counted.
std::string fileText(TestRoot& root, const std::string& file)
{
    const std::string bytes = root.readFile(file);
    const std::vector<KeyVal> records = recordsOf(bytes);
    const size_t rest = bytes.size() % sizeof(KeyVal);
    return textOf(records.data(), records.size()) + (rest != 0 ? "+" + std::to_string(rest) + " bytes" : "");
}

// Value of the key in a scheme file; -1 when absent.
int fileValue(TestRoot& root, const std::string& file, u32 key)
{
    for (const KeyVal& record : recordsOf(root.readFile(file))) {
        if (record.key == key) return static_cast<int>(record.value);
    }
    return -1;
}

std::string factoryText(const ControllerProbe& camera)
{
    u32 count = 0;
    const KeyVal* set = camera.getFactoryKeyVal(count);
    return textOf(set, count);
}

// (command, value) of every SET the ISP received, in order.
std::vector<std::pair<uint32_t, int32_t>> sentValues()
{
    std::vector<std::pair<uint32_t, int32_t>> sent;
    for (const isp_sim::IspCall& call : isp_sim::trace()) {
        if (call.option == IA_CMD_OPT_SET) sent.emplace_back(call.command, call.value);
    }
    return sent;
}

ModuleConfigure module(int id, const std::string& detail)
{
    ModuleConfigure config;
    config.setModuleId(id);
    config.setParameters("(fps=25)");
    config.setDetail(detail);
    return config;
}

void setWindow(ControllerProbe& camera, int startHour, int startMin, int endHour, int endMin)
{
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_SCHEME_START_HOUR, startHour, true));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_SCHEME_START_MIN, startMin, true));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_SCHEME_END_HOUR, endHour, true));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_SCHEME_END_MIN, endMin, true));
}

// Fresh schemes hold the empty window 00:00-00:00, which no save accepts.
void makeSavable(ControllerProbe& camera)
{
    setWindow(camera, 0, 0, 24, 0);
}

std::string stdoutOf(const std::function<void()>& fn)
{
    testing::internal::CaptureStdout();
    fn();
    return testing::internal::GetCapturedStdout();
}

bool has(const std::string& text, const std::string& piece)
{
    return text.find(piece) != std::string::npos;
}

} // namespace

TEST(Restore, FlushedValuesSurviveARestartAndUnsavedOnesAreRolledBack)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 77, true));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_SATURATION, 61, true));
    EXPECT_EQ(507, camera.flush());
    EXPECT_EQ(50, fileValue(root, schemeFile(1, 0), KEY_BRIGHTNESS));
    makeSavable(camera);
    EXPECT_EQ(SNS_SUCCESS, camera.flush());
    EXPECT_EQ(77, fileValue(root, schemeFile(1, 0), KEY_BRIGHTNESS));
    EXPECT_EQ(61, fileValue(root, schemeFile(1, 0), KEY_SATURATION));
    EXPECT_EQ(50, fileValue(root, schemeFile(1, 1), KEY_BRIGHTNESS));

    const ModuleConfigure config = rig.moduleConfig(1);
    ControllerRig::runWithClock([&] {
        camera.uinit();
        camera.init(config);
    });
    int value = 0;
    EXPECT_TRUE(camera.getParameter(KEY_BRIGHTNESS, value));
    EXPECT_EQ(77, value);
    EXPECT_TRUE(camera.getParameter(KEY_SATURATION, value));
    EXPECT_EQ(61, value);
    EXPECT_EQ(77, isp_sim::value(kIsp, KEY_BRIGHTNESS));

    // Unsaved changes: exactly those keys get their saved values back.
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 20, true));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_CONTRAST, 33, true));
    isp_sim::clearTrace();
    EXPECT_TRUE(camera.resetToLastParameters());
    const std::vector<std::pair<uint32_t, int32_t>> expected = {{KEY_BRIGHTNESS, 77}, {KEY_CONTRAST, 50}};
    EXPECT_EQ(expected, sentValues());
    EXPECT_EQ(77u, camera.cached(0, KEY_BRIGHTNESS));
    EXPECT_EQ(50u, camera.cached(0, KEY_CONTRAST));
    EXPECT_FALSE(camera.testFlag(ControllerProbe::FLAG_RESTORING));

    isp_sim::clearTrace();
    EXPECT_TRUE(camera.resetToLastParameters());
    EXPECT_TRUE(sentValues().empty());

    // A failing key makes the roll-back report failure.
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_CONTRAST, 34, true));
    isp_sim::failCommand(KEY_CONTRAST);
    EXPECT_FALSE(camera.resetToLastParameters());
    EXPECT_FALSE(camera.testFlag(ControllerProbe::FLAG_RESTORING));
    isp_sim::clearFailures();

    // Another scheme saves to its own file.
    ASSERT_TRUE(camera.setParamScheme(1));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 5, true));
    makeSavable(camera);
    EXPECT_EQ(SNS_SUCCESS, camera.flush());
    EXPECT_EQ(5, fileValue(root, schemeFile(1, 1), KEY_BRIGHTNESS));
    EXPECT_EQ(77, fileValue(root, schemeFile(1, 0), KEY_BRIGHTNESS));
}

TEST(Restore, FlushRefusesAScheduleWindowThatCannotMatch)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    ASSERT_TRUE(camera.setParamScheme(2));

    const struct {
        int startHour, startMin, endHour, endMin;
        int code;
    } cases[] = {
        {8, 0, 8, 0, 507},  {25, 0, 26, 0, 505}, {24, 1, 24, 2, 505}, {0, 0, 24, 1, 506},
        {22, 0, 6, 0, 507}, {0, 0, 24, 0, 0},    {8, 30, 17, 45, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.startHour << ":" << c.startMin << "-" << c.endHour << ":" << c.endMin);
        setWindow(camera, c.startHour, c.startMin, c.endHour, c.endMin);
        const std::string before = fileText(root, schemeFile(1, 2));
        EXPECT_EQ(c.code, camera.paramCheck());
        EXPECT_EQ(c.code, camera.flush());
        const std::string after = fileText(root, schemeFile(1, 2));
        if (c.code != 0) {
            EXPECT_EQ(before, after);
        } else {
            EXPECT_EQ(c.endHour, fileValue(root, schemeFile(1, 2), KEY_SCHEME_END_HOUR));
            EXPECT_EQ(c.endMin, fileValue(root, schemeFile(1, 2), KEY_SCHEME_END_MIN));
        }
    }
}

TEST(Restore, NothingIsSavedOrRolledBackWhileTheFactorySetIsCurrent)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 90, true));
    std::vector<std::string> before;
    for (int s = 0; s < 4; ++s) before.push_back(fileText(root, schemeFile(1, s)));

    ASSERT_TRUE(camera.setParamScheme(static_cast<int>(camera.schemeCount())));
    ASSERT_EQ(4, camera.m_nCurScheme);
    EXPECT_EQ(SNS_SUCCESS, camera.flush());
    for (int s = 0; s < 4; ++s) EXPECT_EQ(before[s], fileText(root, schemeFile(1, s))) << "scheme " << s;
    EXPECT_FALSE(root.exists(schemeFile(1, 4)));

    isp_sim::clearTrace();
    EXPECT_TRUE(camera.resetToLastParameters());
    EXPECT_TRUE(sentValues().empty());
}

TEST(Restore, RestoreResendsOneStoredValue)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1);
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 70, true));
    isp_sim::setValue(kIsp, KEY_BRIGHTNESS, 5);
    isp_sim::clearTrace();
    EXPECT_EQ(SNS_SUCCESS, camera.restore(KEY_BRIGHTNESS));
    const std::vector<std::pair<uint32_t, int32_t>> expected = {{KEY_BRIGHTNESS, 70}};
    EXPECT_EQ(expected, sentValues());
    EXPECT_EQ(70u, camera.cached(0, KEY_BRIGHTNESS));

    isp_sim::failCommand(KEY_BRIGHTNESS);
    EXPECT_EQ(-static_cast<int>(KEY_BRIGHTNESS), camera.restore(KEY_BRIGHTNESS));
    isp_sim::clearFailures();

    isp_sim::clearTrace();
    int result = 0;
    const std::string out = stdoutOf([&] { result = camera.restore(12345); });
    EXPECT_EQ(-1, result);
    EXPECT_TRUE(isp_sim::trace().empty());
    EXPECT_TRUE(has(out, "-1 != nPos"));
    EXPECT_TRUE(has(out, "restore key(12345) failed! make sure it is sensor ui key \n"));
}

TEST(Restore, AeModeRestoreFollowsTheLensAndSkipsExposureOnTheThermalChannel)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    // Give the thermal page an exposure mode and a focus mode, so that only
    // the channel rule keeps the exposure mode out.
    const std::string style = "/hd1/moduleConfig/sensorConfig/style/Style_Thermal.xml";
    std::string text = root.readFile(style);
    const size_t at = text.find("<item id=\"34\"");
    ASSERT_NE(std::string::npos, at);
    text.insert(at, "<item id=\"16\" name=\"Exposure Mode\" type=\"menu\" value=\"0\"/>\n"
                    "<item id=\"1536\" name=\"Focus Mode\" type=\"menu\" value=\"1\"/>\n");
    root.writeFile(style, text);

    ControllerProbe& visible = rig.start(1);
    ControllerProbe& thermal = rig.start(2, module(2002, "(isInfrared=0)(lensId=3)(max_scheme=4)"));
    ASSERT_TRUE(thermal.m_bThermalChannel);
    ASSERT_TRUE(thermal.m_bHasLens);
    ASSERT_NE(0xFFFFFFFFu, thermal.cached(0, KEY_EXPOSE_MODE));

    isp_sim::clearTrace();
    EXPECT_TRUE(thermal.restoreAeMode());
    EXPECT_EQ(0u, isp_sim::countCalls(KEY_EXPOSE_MODE));
    ASSERT_EQ(1u, isp_sim::countCalls(KEY_AUTO_FOCUS_MODE, IA_CMD_OPT_SET));
    EXPECT_EQ(1, isp_sim::calls(KEY_AUTO_FOCUS_MODE, IA_CMD_OPT_SET)[0].channel);
    EXPECT_EQ(1, isp_sim::calls(KEY_AUTO_FOCUS_MODE, IA_CMD_OPT_SET)[0].value);

    isp_sim::clearTrace();
    EXPECT_TRUE(visible.restoreAeMode());
    EXPECT_EQ(1u, isp_sim::countCalls(KEY_EXPOSE_MODE, IA_CMD_OPT_SET));
    EXPECT_EQ(1u, isp_sim::countCalls(KEY_AUTO_FOCUS_MODE, IA_CMD_OPT_SET));

    // Without a lens the focus mode is left alone; a failing exposure fails it.
    visible.m_bHasLens = 0;
    isp_sim::clearTrace();
    EXPECT_TRUE(visible.restoreAeMode());
    EXPECT_EQ(0u, isp_sim::countCalls(KEY_AUTO_FOCUS_MODE));
    EXPECT_EQ(1u, isp_sim::countCalls(KEY_EXPOSE_MODE, IA_CMD_OPT_SET));
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
    EXPECT_EQ(2, fileValue(root, schemeFile(1, 0), KEY_MIRROR));
    EXPECT_EQ(2, isp_sim::value(kIsp, KEY_MIRROR));

    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 88, true));
    isp_sim::failCommand(KEY_MIRROR);
    EXPECT_FALSE(camera.setMirrorMode(3));
    EXPECT_EQ(2, fileValue(root, schemeFile(1, 0), KEY_MIRROR));
    EXPECT_EQ(50, fileValue(root, schemeFile(1, 0), KEY_BRIGHTNESS));
    EXPECT_EQ(2u, camera.cached(0, KEY_MIRROR));

    isp_sim::clearFailures();
    EXPECT_TRUE(camera.setMirrorMode(1));
    EXPECT_EQ(1, fileValue(root, schemeFile(1, 0), KEY_MIRROR));
    EXPECT_EQ(88, fileValue(root, schemeFile(1, 0), KEY_BRIGHTNESS));
}

TEST(Restore, FactoryResetUnderLoadLeavesOnlyFactoryFiles)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    // From the second start on the factory set no longer changes.
    const ModuleConfigure config = rig.moduleConfig(1);
    ControllerRig::runWithClock([&] {
        camera.uinit();
        camera.init(config);
    });
    const std::string factory = factoryText(camera);
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 77, true));
    makeSavable(camera);
    ASSERT_EQ(SNS_SUCCESS, camera.flush());
    ASSERT_TRUE(camera.setParamScheme(2));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_CONTRAST, 10, true));
    makeSavable(camera);
    ASSERT_EQ(SNS_SUCCESS, camera.flush());
    root.writeFile(schemeFile(1, 3), "junk");
    // Day/night selection keeps the sensor thread switching meanwhile.
    ASSERT_TRUE(camera.setParamScheme(0));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_SCHEME_MODE, 2, true));
    ASSERT_TRUE(camera.m_bDNScheme);

    std::atomic<bool> stop{false};
    std::atomic<int> gets{0};
    std::atomic<int> sets{0};
    std::thread reader([&] {
        for (int i = 0; !stop; ++i) {
            int value = 0;
            if (camera.getParameter(KEY_BRIGHTNESS, value)) ++gets;
            isp_sim::setValue(kIsp, 153, (i / 16) % 2);
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
    const int getsAtReset = gets;
    const int setsAtReset = sets;
    // Both host threads go on working after the restart.
    while (gets == getsAtReset || sets == setsAtReset) std::this_thread::yield();
    rig.passes(2);
    stop = true;
    reader.join();
    writer.join();

    EXPECT_TRUE(reset);
    EXPECT_EQ(0, camera.m_nCurScheme);
    EXPECT_FALSE(camera.m_bDNScheme);
    EXPECT_FALSE(camera.testFlag(ControllerProbe::FLAG_RESETTING));
    EXPECT_TRUE(camera.threadRunning());
    EXPECT_EQ(factory, factoryText(camera));
    for (int s = 0; s < 4; ++s) EXPECT_EQ(factory, fileText(root, schemeFile(1, s))) << "scheme " << s;
    EXPECT_EQ(50u, camera.cached(0, KEY_BRIGHTNESS));
    EXPECT_EQ(50u, camera.cached(2, KEY_CONTRAST));
}

TEST(Restore, FactoryResetStartsFromTheKeptOrTheDeviceModuleConfiguration)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1, module(77, "(isInfrared=1)(lensId=3)(max_scheme=2)"));
    ASSERT_EQ(2u, camera.schemeCount());

    ControllerRig::runWithClock([&] { camera.resetParameters(); });
    EXPECT_EQ(77, camera.getSensorType());
    EXPECT_EQ(2u, camera.schemeCount());
    EXPECT_STREQ("(fps=25)", camera.m_stSysConf.moduleConfig.szParameters);

    // From debug level 6 on, the device's own module list is used.
    // The host's next report would refresh the level; here it is done directly.
    rig.root().writeFile("/tmp/Debug.sign", "6\n0\n");
    updateDebugLevel();
    ControllerRig::runWithClock([&] { camera.resetParameters(); });
    rig.root().remove("/tmp/Debug.sign");
    updateDebugLevel();
    EXPECT_EQ(2001, camera.getSensorType());
    EXPECT_EQ(4u, camera.schemeCount());
    EXPECT_STREQ("(isInfrared=1)(lensId=3)(max_scheme=4)", camera.m_stSysConf.moduleConfig.szDetail);
    EXPECT_EQ(0, camera.m_nCurScheme);
}

TEST(Restore, SchemeFileRemovedOrCutBehindTheControllerIsRewrittenWhole)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    const size_t wholeFile = camera.m_nKeyValSum * sizeof(KeyVal);
    makeSavable(camera);

    ASSERT_TRUE(camera.setParamScheme(1));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 44, true));
    makeSavable(camera);
    root.remove(schemeFile(1, 1));
    std::string out = stdoutOf([&camera] { camera.resetToLastParameters(); });
    EXPECT_TRUE(has(out, "file.open(file_name)"));
    EXPECT_FALSE(camera.testFlag(ControllerProbe::FLAG_RESTORING));
    EXPECT_EQ(1, camera.m_nCurScheme);
    EXPECT_EQ(SNS_SUCCESS, camera.flush());
    EXPECT_EQ(wholeFile, root.readFile(schemeFile(1, 1)).size());

    ASSERT_TRUE(camera.setParamScheme(0));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 45, true));
    root.writeFile(schemeFile(1, 0), root.readFile(schemeFile(1, 0)).substr(0, 12));
    out = stdoutOf([&camera] { camera.resetToLastParameters(); });
    EXPECT_TRUE(has(out, "nSize == sizeof(KeyVal)*p_nKeyValNum"));
    EXPECT_EQ(0u, camera.cached(0, KEY_SCHEME_MODE));
    EXPECT_EQ(SNS_SUCCESS, camera.flush());
    EXPECT_EQ(wholeFile, root.readFile(schemeFile(1, 0)).size());
    EXPECT_EQ(textOf(camera.m_ppUserKeyVal[0], camera.m_nKeyValSum), fileText(root, schemeFile(1, 0)));
}
