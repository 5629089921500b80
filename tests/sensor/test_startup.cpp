// Start-up and shut-down of a controller through the real init on a copy of
// the sample device tree: version stamp, scheme files, table sizes,
// detail-text rules and the first scheme.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// Size of a live heap block, from the address sanitizer's runtime.
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* p);
#endif

#include "ControllerRig.h"
#include "SensorKeys.h"
#include "isp_sim.h"

namespace {

using Records = std::vector<KeyVal>;
const char* const kStamp = "/mnt/mtd/code/config_file/snsversion.cfg";
const char* const kStyle = "/hd1/moduleConfig/sensorConfig/style/Style.xml";
const char* const kMachineInfo = "/mnt/mtd/code/factory_setting/machineinfo.ini";

// Reaches the work array that ControllerProbe does not show.
struct Internals : ISensorController {
    static KeyVal* ISensorController::*workArray() { return &Internals::m_pstKeyValWork; }
};

std::string schemeFile(int scheme, int camera = 1)
{
    return "/mnt/mtd/code/config_file/sensor" + std::to_string(camera) + "_" + std::to_string(scheme) + ".cfg";
}

std::string bytesOf(const Records& records)
{
    return std::string(reinterpret_cast<const char*>(records.data()), records.size() * sizeof(KeyVal));
}

Records recordsOf(const std::string& bytes)
{
    Records records(bytes.size() / sizeof(KeyVal));
    if (!records.empty()) std::memcpy(records.data(), bytes.data(), records.size() * sizeof(KeyVal));
    return records;
}

// Records as "(key,value)" pairs, readable in a failed comparison.
std::string textOf(const KeyVal* records, size_t count)
{
    std::string text;
    for (const KeyVal* r = records; r != records + count; ++r)
        text += "(" + std::to_string(r->key) + "," + std::to_string(r->value) + ")";
    return text;
}

std::string textOf(const Records& records) { return textOf(records.data(), records.size()); }

std::string fileText(TestRoot& root, int scheme) { return textOf(recordsOf(root.readFile(schemeFile(scheme)))); }

std::string setText(const ControllerProbe& camera, u32 scheme)
{
    return textOf(camera.m_ppUserKeyVal[scheme], camera.m_nKeyValSum);
}

Records factorySet(const ControllerProbe& camera)
{
    u32 count = 0;
    const KeyVal* set = camera.getFactoryKeyVal(count);
    return Records(set, set + count);
}

u32 valueOf(const Records& records, u32 key)
{
    for (const KeyVal& record : records) {
        if (record.key == key) return record.value;
    }
    return 0xFFFFFFFFu;
}

void setValueIn(Records& records, u32 key, u32 value)
{
    for (KeyVal& record : records) record.value = record.key == key ? value : record.value;
}

void rewriteRecord(TestRoot& root, int scheme, u32 key, u32 value)
{
    Records records = recordsOf(root.readFile(schemeFile(scheme)));
    setValueIn(records, key, value);
    root.writeFile(schemeFile(scheme), bytesOf(records));
}

// Puts `to` in place of `from` in the sample style.
void editStyle(TestRoot& root, const std::string& from, const std::string& to)
{
    std::string text = root.readFile(kStyle);
    ASSERT_NE(std::string::npos, text.find(from)) << from;
    root.writeFile(kStyle, text.replace(text.find(from), from.size(), to));
}

// A factory scheme mode other than 0 shows which files keep it.
void factorySchemeModeTwo(TestRoot& root)
{
    editStyle(root, "name=\"Scheme Mode\" type=\"menu\" value=\"0\"", "name=\"Scheme Mode\" type=\"menu\" value=\"2\"");
}

ModuleConfigure module(const std::string& detail)
{
    ModuleConfigure config;
    config.setModuleId(2001);
    config.setParameters("(fps=25)");
    config.setDetail(detail);
    return config;
}

bool initOn(ControllerProbe& camera, const ModuleConfigure& config)
{
    bool result = false;
    ControllerRig::runWithClock([&] { result = camera.init(config); });
    return result;
}

void uinitOf(ControllerProbe& camera) { ControllerRig::runWithClock([&camera] { camera.uinit(); }); }

void restart(ControllerProbe& camera, const ModuleConfigure& config)
{
    uinitOf(camera);
    initOn(camera, config);
}

std::string printedBy(const std::function<void()>& fn)
{
    testing::internal::CaptureStdout();
    fn();
    return testing::internal::GetCapturedStdout();
}

bool has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

std::string stampOf(u32 version) { return std::string(reinterpret_cast<const char*>(&version), sizeof version); }

std::multiset<uint32_t> setCommands()
{
    std::multiset<uint32_t> commands;
    for (const isp_sim::IspCall& call : isp_sim::trace()) {
        if (call.option == IA_CMD_OPT_SET) commands.insert(call.command);
    }
    return commands;
}

// Capacity of the key-command table and the work array, where the sanitizer can tell.
void expectCapacity(ControllerProbe& camera, size_t rows)
{
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(rows * sizeof(keycmd), __sanitizer_get_allocated_size(camera.m_pKeyCmdMap));
    EXPECT_EQ(rows * sizeof(KeyVal), __sanitizer_get_allocated_size(camera.*Internals::workArray()));
#else
    (void)camera;
    (void)rows;
#endif
}

} // namespace

TEST(Startup, StampDecidesBetweenRecreatingAndKeepingThisChannelsSchemeFiles)
{
    TestRoot outside; // beside the device root: never touched
    outside.writeFile(schemeFile(0), "outside");
    ControllerRig rig;
    TestRoot& root = rig.root();
    for (int s = 0; s < 4; ++s) root.writeFile(schemeFile(s), "stale");
    const std::string others[] = {schemeFile(4), schemeFile(0, 2), schemeFile(0) + ".bak"};
    for (const std::string& other : others) root.writeFile(other, "kept");

    ControllerProbe& camera = rig.start(1);
    ASSERT_EQ(4u, camera.schemeCount());
    const Records factory = factorySet(camera);
    ASSERT_GT(factory.size(), 5u);
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(textOf(factory), fileText(root, s)) << "scheme " << s;
        EXPECT_EQ(textOf(factory), setText(camera, s)) << "scheme " << s;
    }
    for (const std::string& other : others) EXPECT_EQ("kept", root.readFile(other));
    EXPECT_EQ("outside", outside.readFile(schemeFile(0)));
    EXPECT_EQ(stampOf(8), root.readFile(kStamp));

    // With the stamp in place a restart keeps what the files hold.
    rewriteRecord(root, 0, KEY_BRIGHTNESS, 71);
    rewriteRecord(root, 1, KEY_CONTRAST, 12);
    const std::string scheme1 = fileText(root, 1);
    restart(camera, rig.moduleConfig(1));
    EXPECT_EQ(scheme1, fileText(root, 1));
    EXPECT_EQ(12u, camera.cached(1, KEY_CONTRAST));
    EXPECT_EQ(71, isp_sim::value(0, KEY_BRIGHTNESS));

    // Another stamp, or one too short to read, is warned about and the files are recreated.
    root.writeFile("/tmp/Debug.sign", "4\n0\n");
    for (const auto& c : {std::make_pair(stampOf(7), 7), std::make_pair(std::string(), 0)}) {
        rewriteRecord(root, 2, KEY_BRIGHTNESS, 9);
        root.writeFile(kStamp, c.first);
        const std::string out = printedBy([&] { restart(camera, rig.moduleConfig(1)); });
        EXPECT_EQ(textOf(factorySet(camera)), fileText(root, 2)) << c.second;
        EXPECT_EQ(stampOf(8), root.readFile(kStamp));
        EXPECT_TRUE(has(out, "[sensor warn]"));
        EXPECT_TRUE(has(out, "check the sensor version,   local(" + std::to_string(c.second) +
                                 ") --> libsensordll.so(8), source the cmd: rm -rf /mnt/mtd/code/config*/sensor*\n"));
    }
}

TEST(Startup, ShutDownKeepsTheStatusAndTwoChannelsRestartAtTheBuiltRowCount)
{
    ControllerRig rig;
    // Spare items overfill the first start's arrays, which are cut at their capacity.
    std::string spare;
    for (int id = 9000; id < 9200; ++id) spare += "<item id=\"" + std::to_string(id) + "\" value=\"1\"/>";
    editStyle(rig.root(), "</style>", "<tab key=\"spare\" name=\"Spare\">" + spare + "</tab></style>");
    ControllerProbe& visible = rig.start(1);
    ControllerProbe& thermal = rig.start(2);
    ASSERT_TRUE(thermal.m_bThermalChannel);
    EXPECT_EQ(170u, visible.m_nKeyValSum);
    for (ControllerProbe* camera : {&visible, &thermal}) {
        EXPECT_EQ(kKeyTableRows, camera->m_nKeyCmdSum);
        expectCapacity(*camera, 170);
        ASSERT_EQ(SNS_SUCCESS, camera->setParameter(KEY_BRIGHTNESS, 66, true));
    }
    ASSERT_TRUE(visible.setParamMode(0) && visible.setParamScheme(2));
    for (int round = 0; round < 2; ++round) { // a second shut-down is harmless
        uinitOf(visible);
        EXPECT_TRUE(visible.getSensorStatus() && !visible.threadRunning());
        EXPECT_EQ(-1, visible.m_nCurScheme);
        EXPECT_EQ(1, visible.m_nParamMode);
        EXPECT_TRUE(visible.m_nKeyValSum == 0 && visible.m_ppUserKeyVal == nullptr && visible.m_pFctKeyVal == nullptr);
    }

    EXPECT_TRUE(initOn(visible, rig.moduleConfig(1)));
    restart(thermal, rig.moduleConfig(2));
    EXPECT_EQ(165u, visible.m_nKeyValSum);
    EXPECT_EQ(165u, factorySet(visible).size());
    EXPECT_EQ(KEY_SCHEME_MODE, visible.m_ppUserKeyVal[0][0].key);
    for (ControllerProbe* camera : {&visible, &thermal}) {
        EXPECT_EQ(165u, camera->m_nKeyCmdSum);
        EXPECT_TRUE(camera->threadRunning());
        EXPECT_EQ(0, camera->m_nCurScheme);
        EXPECT_EQ(50u, camera->cached(0, KEY_BRIGHTNESS)); // set but never flushed
        expectCapacity(*camera, 165);
    }
    EXPECT_TRUE(rig.root().exists("/mnt/mtd/code/config_file/sensor-thermal0.cfg"));
}

TEST(Startup, LicencePlateCameraStartsSchemeOneAsANightScheme)
{
    const u32 night[][2] = {{KEY_DN_MODE, 0}, {KEY_MAX_SHUTTER, 18}, {KEY_MIN_SHUTTER, 20},
                            {KEY_METER_AREA, 1}, {KEY_IR_MODE, 2},   {KEY_IR_MANUAL_STRG_NEAR, 40}};
    for (const char* detail : {"(lensId=3)", "(isInfrared=1)(lensId=3)", "(isInfrared=0)(lensId=3)"}) {
        SCOPED_TRACE(detail);
        const bool licencePlate = !has(detail, "isInfrared");
        ControllerRig rig;
        rig.root().writeFile(kMachineInfo, "deviceType=8\nhardwareModel=Hi3516AV200\nhardwareCode=LPR-01\n");
        factorySchemeModeTwo(rig.root());
        ControllerProbe& camera = rig.construct(1);
        ASSERT_TRUE(initOn(camera, module(detail)));
        EXPECT_EQ(licencePlate, camera.m_bLPRDevice != 0);
        const Records factory = factorySet(camera);
        EXPECT_EQ(licencePlate ? 2u : 0u, valueOf(factory, KEY_SCHEME_MODE));
        Records scheme1 = factory;
        for (const auto& change : night) {
            if (licencePlate) setValueIn(scheme1, change[0], change[1]);
        }
        EXPECT_EQ(textOf(scheme1), fileText(rig.root(), 1));
        for (int s : {0, 2, 3}) EXPECT_EQ(textOf(factory), fileText(rig.root(), s)) << "scheme " << s;
    }
}

TEST(Startup, DetailTextDecidesLensAndInfraredPower)
{
    const struct {
        const char* detail;
        bool lens, limitedIr;
    } cases[] = {
        {"(isInfrared=1)(lensId=3)", true, false}, {"(isInfrared=1)(lensId=0)", false, false},
        {"(isInfrared=1)", false, false},          {"(lensId=)(x=1)", false, false},
        {"(lensId=3", false, false},               {"(isInfrared=17)(lensId=3)", true, true},
        {"(isInfrared=170)(lensId=12)", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.detail);
        ControllerRig rig;
        ControllerProbe& camera = rig.construct(1);
        const std::string out = printedBy([&] { initOn(camera, module(c.detail)); });
        EXPECT_EQ(c.lens, camera.m_bHasLens != 0);
        EXPECT_EQ(c.limitedIr, camera.m_bisLimitedIrPower != 0);
        EXPECT_EQ(c.limitedIr, has(out, "#### m_bisLimitedIrPower is true!\n"));
    }
    // Only the lens rule takes back what an earlier start decided.
    ControllerRig rig;
    ControllerProbe& camera = rig.construct(1);
    initOn(camera, module("(isInfrared=17)(lensId=0)"));
    restart(camera, module("(isInfrared=1)(lensId=3)"));
    EXPECT_TRUE(camera.m_bisLimitedIrPower && !camera.m_bHasLens);
}

TEST(Startup, SchemeModeOfSchemeZeroChoosesTheFirstScheme)
{
    ControllerRig rig;
    factorySchemeModeTwo(rig.root());
    // A new scheme 0 is stored in mode 0 and applied in full.
    ControllerProbe& camera = rig.start(1);
    EXPECT_EQ(0u, valueOf(factorySet(camera), KEY_SCHEME_MODE));
    EXPECT_EQ(0u, valueOf(recordsOf(rig.root().readFile(schemeFile(0))), KEY_SCHEME_MODE));
    EXPECT_EQ(0, camera.m_nCurScheme);
    EXPECT_EQ(-1, camera.m_nLastScheme);
    const std::multiset<uint32_t> atStart = setCommands();
    isp_sim::clearTrace();
    camera.switch_to(0, true);
    ASSERT_GT(setCommands().size(), 10u);
    for (uint32_t command : setCommands()) EXPECT_EQ(1u, atStart.count(command)) << command;

    // Day/night (mode 2): no switch to scheme 0 first, the first pass picks by the ISP's state.
    // Time (mode 1) outside every window: scheme 0, chosen by the pass alone.
    const struct {
        u32 mode;
        int state, scheme;
    } cases[] = {{2, 1, 1}, {2, 0, 0}, {1, 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " state " << c.state);
        uinitOf(camera);
        rewriteRecord(rig.root(), 0, KEY_SCHEME_MODE, c.mode);
        isp_sim::setValue(0, 153, c.state);
        isp_sim::clearTrace();
        initOn(camera, rig.moduleConfig(1));
        EXPECT_EQ(c.mode == 2, camera.m_bDNScheme != 0);
        EXPECT_EQ(c.mode == 1, camera.m_bTimeScheme != 0);
        EXPECT_EQ(c.scheme, camera.m_nCurScheme);
        EXPECT_EQ(-1, camera.m_nLastScheme);
        EXPECT_GE(setCommands().count(KEY_BRIGHTNESS), 1u);
        EXPECT_EQ(c.mode == 2, isp_sim::countCalls(153, IA_CMD_OPT_GET) >= 1u);
    }
}


// Damaged files from flash: init still completes and the controller answers.
TEST(StartupInput, DamagedFilesStillGiveAWorkingController)
{
    const std::string stamp("\x08\0\0\0", 4);
    const struct {
        const char* what;
        std::function<void(TestRoot&)> damage;
    } cases[] = {
        {"style without items", [](TestRoot& r) { r.writeFile(kStyle, "<style><tab key=\"a\"/></style>"); }},
        {"style that is not XML", [](TestRoot& r) { r.writeFile(kStyle, "<style><tab"); }},
        {"short scheme file", [&](TestRoot& r) { r.writeFile(schemeFile(0), "\x01\x02\x03"), r.writeFile(kStamp, stamp); }},
        {"long garbage scheme file",
         [&](TestRoot& r) { r.writeFile(schemeFile(0), std::string(5000, '\xff')), r.writeFile(kStamp, stamp); }},
        {"unknown device type", [](TestRoot& r) { r.writeFile(kMachineInfo, "deviceType=1000\n"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ControllerRig rig;
        c.damage(rig.root());
        ControllerProbe& camera = rig.start(1);
        EXPECT_TRUE(camera.getSensorStatus());
        EXPECT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 40, true));
        int value = 0;
        EXPECT_TRUE(camera.getParameter(KEY_BRIGHTNESS, value));
        EXPECT_EQ(40, value);
    }
}

// The video module decides what the page offers, and a busy one delays the
// style by at most 30 questions.
TEST(StartupInput, VideoModuleSetsDisplayFlagsAndBoundsTheStyleWait)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.construct(1);
    RecordingVideo& video = rig.video(1);
    video.wdr.setLimitFramesModeId(0);
    video.wdr.setLimitWdr(1);
    video.wdr.setLDCSupport(1);
    video.wdr.setLDCSwitch(1);
    ASSERT_TRUE(initOn(camera, rig.moduleConfig(1)));
    EXPECT_EQ(0, camera.m_bShowWDRFalg);
    EXPECT_EQ(1, camera.m_bShowLDCFlag);

    video.busyAnswers = 1000;
    std::string style;
    ControllerRig::runWithClock([&] { style = camera.getUIStyleFile(); });
    EXPECT_EQ(30, video.busyQueries);
    EXPECT_FALSE(has(style, "id=\"2368\"")); // WDR is not offered
    EXPECT_TRUE(has(style, "id=\"2048\""));  // lens distortion correction is
}
