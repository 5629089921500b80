// Start-up and shut-down of a controller through the real init on a copy of
// the sample device tree: version stamp, scheme files, detail-text rules,
// first scheme, display flags, UI documents and damaged start-up input.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
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

const char* const kStamp = "/mnt/mtd/code/config_file/snsversion.cfg";
const char* const kStyle = "/hd1/moduleConfig/sensorConfig/style/Style.xml";
const char* const kMachineInfo = "/mnt/mtd/code/factory_setting/machineinfo.ini";
const char* const kSchemeModeItem = "<item id=\"8000\" name=\"Scheme Mode\" type=\"menu\" value=\"0\">";

// Reaches the arrays that ControllerProbe does not show.
using KeyValArray = KeyVal* ISensorController::*;
struct Internals : ISensorController {
    static KeyValArray workArray() { return &Internals::m_pstKeyValWork; }
};

std::string schemeFile(int camera, int scheme)
{
    char name[96];
    std::snprintf(name, sizeof name, "/mnt/mtd/code/config_file/sensor%d_%d.cfg", camera, scheme);
    return name;
}

std::string bytesOf(const std::vector<KeyVal>& records)
{
    return std::string(reinterpret_cast<const char*>(records.data()), records.size() * sizeof(KeyVal));
}

std::vector<KeyVal> recordsOf(const std::string& bytes)
{
    std::vector<KeyVal> records(bytes.size() / sizeof(KeyVal));
    if (!records.empty()) std::memcpy(records.data(), bytes.data(), records.size() * sizeof(KeyVal));
    return records;
}

// Records as "(key,value)" pairs, readable in a failed comparison.
std::string textOf(const std::vector<KeyVal>& records)
{
    std::string text;
    for (const KeyVal& record : records) {
        text += "(" + std::to_string(record.key) + "," + std::to_string(record.value) + ")";
    }
    return text;
}

// A scheme file as text; bytes that make no whole record are counted.
std::string fileText(TestRoot& root, const std::string& file)
{
    const std::string bytes = root.readFile(file);
    const size_t rest = bytes.size() % sizeof(KeyVal);
    return textOf(recordsOf(bytes)) + (rest != 0 ? "+" + std::to_string(rest) + " bytes" : "");
}

std::vector<KeyVal> factorySet(const ControllerProbe& camera)
{
    u32 count = 0;
    const KeyVal* set = camera.getFactoryKeyVal(count);
    return std::vector<KeyVal>(set, set + count);
}

std::vector<KeyVal> userSet(const ControllerProbe& camera, u32 scheme)
{
    return std::vector<KeyVal>(camera.m_ppUserKeyVal[scheme], camera.m_ppUserKeyVal[scheme] + camera.m_nKeyValSum);
}

// Value of the first record of the key; -1 (as u32) when absent.
u32 valueOf(const std::vector<KeyVal>& records, u32 key)
{
    for (const KeyVal& record : records) {
        if (record.key == key) return record.value;
    }
    return 0xFFFFFFFFu;
}

void setValueIn(std::vector<KeyVal>& records, u32 key, u32 value)
{
    for (KeyVal& record : records) {
        if (record.key == key) {
            record.value = value;
            return;
        }
    }
    ADD_FAILURE() << "key " << key << " not in the records";
}

void rewriteRecord(TestRoot& root, const std::string& file, u32 key, u32 value)
{
    std::vector<KeyVal> records = recordsOf(root.readFile(file));
    setValueIn(records, key, value);
    root.writeFile(file, bytesOf(records));
}

void replaceText(TestRoot& root, const std::string& file, const std::string& from, const std::string& to)
{
    std::string text = root.readFile(file);
    const size_t at = text.find(from);
    ASSERT_NE(std::string::npos, at) << from << " not in " << file;
    text.replace(at, from.size(), to);
    root.writeFile(file, text);
}

ModuleConfigure module(int id, const std::string& detail)
{
    ModuleConfigure config;
    config.setModuleId(id);
    config.setParameters("(fps=25)");
    config.setDetail(detail);
    return config;
}

void restart(ControllerProbe& camera, const ModuleConfigure& config)
{
    ControllerRig::runWithClock([&camera, &config] {
        camera.uinit();
        camera.init(config);
    });
}

bool initOn(ControllerProbe& camera, const ModuleConfigure& config)
{
    bool result = false;
    ControllerRig::runWithClock([&] { result = camera.init(config); });
    return result;
}

std::vector<uint32_t> setCommands()
{
    std::vector<uint32_t> commands;
    for (const isp_sim::IspCall& call : isp_sim::trace()) {
        if (call.option == IA_CMD_OPT_SET) commands.push_back(call.command);
    }
    return commands;
}

bool contains(const std::vector<uint32_t>& commands, uint32_t command)
{
    for (uint32_t c : commands) {
        if (c == command) return true;
    }
    return false;
}

bool has(const std::string& text, const std::string& piece)
{
    return text.find(piece) != std::string::npos;
}

std::string stampOf(u32 version)
{
    return std::string(reinterpret_cast<const char*>(&version), sizeof version);
}

} // namespace

TEST(Startup, FreshStartReplacesOnlyThisChannelsSchemeFilesAndKeepsThemOnRestart)
{
    // A tree beside the device root: nothing of it may be touched.
    TestRoot outside;
    outside.writeFile(schemeFile(1, 0), "outside");
    ControllerRig rig;
    TestRoot& root = rig.root();
    ASSERT_FALSE(root.exists(kStamp));
    for (int s = 0; s < 4; ++s) root.writeFile(schemeFile(1, s), "stale");
    root.writeFile(schemeFile(1, 4), "beyond the deleted names");
    root.writeFile(schemeFile(2, 0), "other channel");
    root.writeFile("/mnt/mtd/code/config_file/sensor1_0.cfg.bak", "backup");

    ControllerProbe& camera = rig.start(1);
    ASSERT_TRUE(camera.getSensorStatus());
    ASSERT_EQ(4u, camera.schemeCount());
    const std::vector<KeyVal> factory = factorySet(camera);
    ASSERT_GT(factory.size(), 5u);
    EXPECT_EQ(0u, valueOf(factory, KEY_SCHEME_MODE));
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(textOf(factory), fileText(root, schemeFile(1, s))) << "scheme " << s;
        EXPECT_EQ(textOf(factory), textOf(userSet(camera, s))) << "scheme " << s;
    }
    EXPECT_EQ("beyond the deleted names", root.readFile(schemeFile(1, 4)));
    EXPECT_EQ("other channel", root.readFile(schemeFile(2, 0)));
    EXPECT_EQ("backup", root.readFile("/mnt/mtd/code/config_file/sensor1_0.cfg.bak"));
    EXPECT_EQ("outside", outside.readFile(schemeFile(1, 0)));
    EXPECT_EQ(stampOf(8), root.readFile(kStamp));

    // With the stamp in place a restart keeps what the files hold.
    rewriteRecord(root, schemeFile(1, 0), KEY_BRIGHTNESS, 71);
    rewriteRecord(root, schemeFile(1, 1), KEY_CONTRAST, 12);
    const std::string scheme0 = fileText(root, schemeFile(1, 0));
    const std::string scheme1 = fileText(root, schemeFile(1, 1));
    restart(camera, rig.moduleConfig(1));
    EXPECT_EQ(scheme0, fileText(root, schemeFile(1, 0)));
    EXPECT_EQ(scheme1, fileText(root, schemeFile(1, 1)));
    EXPECT_EQ(71u, camera.cached(0, KEY_BRIGHTNESS));
    EXPECT_EQ(12u, camera.cached(1, KEY_CONTRAST));
    EXPECT_EQ(71, isp_sim::value(0, KEY_BRIGHTNESS));
    EXPECT_EQ(stampOf(8), root.readFile(kStamp));
}

TEST(Startup, AnotherVersionStampIsWarnedAboutAndTheFilesAreRecreated)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    root.writeFile("/tmp/Debug.sign", "4\n0\n");

    const struct {
        std::string stamp;
        const char* warning;
    } cases[] = {
        {stampOf(7), "local(7) --> libsensordll.so(8)"},
        {std::string(), "local(0) --> libsensordll.so(8)"}, // nothing to read
    };
    for (const auto& c : cases) {
        rewriteRecord(root, schemeFile(1, 2), KEY_BRIGHTNESS, 9);
        root.writeFile(kStamp, c.stamp);
        testing::internal::CaptureStdout();
        restart(camera, rig.moduleConfig(1));
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(textOf(factorySet(camera)), fileText(root, schemeFile(1, 2))) << c.warning;
        EXPECT_EQ(50u, camera.cached(2, KEY_BRIGHTNESS));
        EXPECT_EQ(stampOf(8), root.readFile(kStamp));
        EXPECT_TRUE(has(out, std::string("[sensor warn]")));
        EXPECT_TRUE(has(out, std::string("check the sensor version,   ") + c.warning +
                                 ", source the cmd: rm -rf /mnt/mtd/code/config*/sensor*\n"));
    }
}

TEST(Startup, RestartSizesTheTablesAtTheBuiltRowCount)
{
    ControllerRig rig;
    ControllerProbe& visible = rig.start(1);
    ControllerProbe& thermal = rig.start(2);
    ASSERT_TRUE(thermal.m_bThermalChannel);
    for (ControllerProbe* camera : {&visible, &thermal}) {
        EXPECT_EQ(kKeyTableRows, camera->m_nKeyCmdSum);
#if defined(__SANITIZE_ADDRESS__)
        EXPECT_EQ(170 * sizeof(keycmd), __sanitizer_get_allocated_size(camera->m_pKeyCmdMap));
        EXPECT_EQ(170 * sizeof(KeyVal), __sanitizer_get_allocated_size(camera->*Internals::workArray()));
#endif
        ASSERT_EQ(SNS_SUCCESS, camera->setParameter(KEY_BRIGHTNESS, 66, true));
    }

    restart(visible, rig.moduleConfig(1));
    restart(thermal, rig.moduleConfig(2));
    for (ControllerProbe* camera : {&visible, &thermal}) {
        EXPECT_EQ(165u, camera->m_nKeyCmdSum);
        EXPECT_TRUE(camera->threadRunning());
        EXPECT_EQ(0, camera->m_nCurScheme);
        // Set but never flushed: the restart reads the files.
        EXPECT_EQ(50u, camera->cached(0, KEY_BRIGHTNESS));
#if defined(__SANITIZE_ADDRESS__)
        EXPECT_EQ(165 * sizeof(keycmd), __sanitizer_get_allocated_size(camera->m_pKeyCmdMap));
        EXPECT_EQ(165 * sizeof(KeyVal), __sanitizer_get_allocated_size(camera->*Internals::workArray()));
#endif
    }
    EXPECT_TRUE(rig.root().exists("/mnt/mtd/code/config_file/sensor-thermal0.cfg"));
}

TEST(Startup, StyleWithMoreItemsThanTheArraysIsCutAtTheirCapacity)
{
    ControllerRig rig;
    std::string extra;
    for (int id = 9000; id < 9200; ++id) {
        extra += "<item id=\"" + std::to_string(id) + "\" name=\"Spare\" type=\"hidden\" value=\"1\"/>\n";
    }
    replaceText(rig.root(), kStyle, "</style>", "<tab key=\"spare\" name=\"Spare\">" + extra + "</tab></style>");

    ControllerProbe& camera = rig.start(1);
    EXPECT_EQ(170u, camera.m_nKeyValSum);
    restart(camera, rig.moduleConfig(1));
    EXPECT_EQ(165u, camera.m_nKeyValSum);
    EXPECT_EQ(165u, factorySet(camera).size());
    EXPECT_EQ(KEY_SCHEME_MODE, camera.m_ppUserKeyVal[0][0].key);
}

TEST(Startup, LicencePlateCameraStartsSchemeOneAsANightScheme)
{
    const u32 night[][2] = {{KEY_DN_MODE, 0}, {KEY_MAX_SHUTTER, 18}, {KEY_MIN_SHUTTER, 20},
                            {KEY_METER_AREA, 1}, {KEY_IR_MODE, 2},   {KEY_IR_MANUAL_STRG_NEAR, 40}};
    const struct {
        const char* detail;
        bool licencePlate;
    } cases[] = {
        {"(lensId=3)(max_scheme=4)", true},
        {"(isInfrared=1)(lensId=3)(max_scheme=4)", false},
        {"(isInfrared=0)(lensId=3)(max_scheme=4)", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.detail);
        ControllerRig rig;
        TestRoot& root = rig.root();
        root.writeFile(kMachineInfo, "deviceType=8\nhardwareModel=Hi3516AV200\nhardwareCode=LPR-01\nchannelCount=1\n");
        // A factory scheme mode other than 0 shows which files keep it.
        replaceText(root, kStyle, kSchemeModeItem, "<item id=\"8000\" name=\"Scheme Mode\" type=\"menu\" value=\"2\">");
        ControllerProbe& camera = rig.construct(1);
        ASSERT_TRUE(initOn(camera, module(2001, c.detail)));
        EXPECT_EQ(c.licencePlate, camera.m_bLPRDevice != 0);

        const std::vector<KeyVal> factory = factorySet(camera);
        EXPECT_EQ(c.licencePlate ? 2u : 0u, valueOf(factory, KEY_SCHEME_MODE));
        std::vector<KeyVal> scheme1 = factory;
        if (c.licencePlate) {
            for (const auto& change : night) setValueIn(scheme1, change[0], change[1]);
        }
        EXPECT_EQ(textOf(scheme1), fileText(root, schemeFile(1, 1)));
        for (int s : {0, 2, 3}) EXPECT_EQ(textOf(factory), fileText(root, schemeFile(1, s))) << "scheme " << s;
    }
}

TEST(Startup, DetailTextDecidesLensAndInfraredPower)
{
    const struct {
        const char* detail;
        bool lens;
        bool limitedIr;
    } cases[] = {
        {"(isInfrared=1)(lensId=3)", true, false},   {"(isInfrared=1)(lensId=0)", false, false},
        {"(isInfrared=1)", false, false},            {"(lensId=)(x=1)", false, false},
        {"(lensId=3", false, false},                 {"(isInfrared=17)(lensId=3)", true, true},
        {"(isInfrared=170)(lensId=12)", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.detail);
        ControllerRig rig;
        ControllerProbe& camera = rig.construct(1);
        testing::internal::CaptureStdout();
        initOn(camera, module(2001, c.detail));
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(c.lens, camera.m_bHasLens != 0);
        EXPECT_EQ(c.limitedIr, camera.m_bisLimitedIrPower != 0);
        EXPECT_EQ(c.limitedIr, has(out, "#### m_bisLimitedIrPower is true!\n"));
    }

    // Only the lens rule takes back what an earlier start decided.
    ControllerRig rig;
    ControllerProbe& camera = rig.construct(1);
    initOn(camera, module(2001, "(isInfrared=17)(lensId=0)"));
    restart(camera, module(2001, "(isInfrared=1)(lensId=3)"));
    EXPECT_TRUE(camera.m_bisLimitedIrPower);
    EXPECT_FALSE(camera.m_bHasLens);
}

TEST(Startup, SchemeModeOfSchemeZeroChoosesTheFirstScheme)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    replaceText(root, kStyle, kSchemeModeItem, "<item id=\"8000\" name=\"Scheme Mode\" type=\"menu\" value=\"2\">");

    // A new scheme 0 is stored in mode 0 and applied in full.
    ControllerProbe& camera = rig.start(1);
    EXPECT_EQ(0u, valueOf(factorySet(camera), KEY_SCHEME_MODE));
    EXPECT_EQ(0u, valueOf(recordsOf(root.readFile(schemeFile(1, 0))), KEY_SCHEME_MODE));
    EXPECT_EQ(0, camera.m_nCurScheme);
    EXPECT_EQ(-1, camera.m_nLastScheme);
    const std::vector<uint32_t> atStart = setCommands();
    isp_sim::clearTrace();
    camera.switch_to(0, true);
    const std::vector<uint32_t> full = setCommands();
    ASSERT_GT(full.size(), 10u);
    for (uint32_t command : full) EXPECT_TRUE(contains(atStart, command)) << "command " << command;

    // Day/night mode: no switch to scheme 0 first, the first pass picks.
    const struct {
        int state;
        int scheme;
    } dayNight[] = {{1, 1}, {0, 0}};
    for (const auto& c : dayNight) {
        ControllerRig::runWithClock([&camera] { camera.uinit(); });
        rewriteRecord(root, schemeFile(1, 0), KEY_SCHEME_MODE, 2);
        isp_sim::setValue(0, 153, c.state);
        isp_sim::clearTrace();
        initOn(camera, rig.moduleConfig(1));
        EXPECT_TRUE(camera.m_bDNScheme);
        EXPECT_FALSE(camera.m_bTimeScheme);
        EXPECT_EQ(c.scheme, camera.m_nCurScheme) << "state " << c.state;
        EXPECT_EQ(-1, camera.m_nLastScheme) << "state " << c.state;
        EXPECT_GE(isp_sim::countCalls(153, IA_CMD_OPT_GET), 1u);
        EXPECT_TRUE(contains(setCommands(), KEY_BRIGHTNESS));
    }

    // Time mode outside every window: scheme 0, chosen by the pass alone.
    ControllerRig::runWithClock([&camera] { camera.uinit(); });
    rewriteRecord(root, schemeFile(1, 0), KEY_SCHEME_MODE, 1);
    initOn(camera, rig.moduleConfig(1));
    EXPECT_TRUE(camera.m_bTimeScheme);
    EXPECT_FALSE(camera.m_bDNScheme);
    EXPECT_EQ(0, camera.m_nCurScheme);
    EXPECT_EQ(-1, camera.m_nLastScheme);
}

TEST(Startup, DisplayFlagsComeFromTheVideoModuleAndShapeTheNextFactorySet)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1);
    RecordingVideo& video = rig.video(1);
    // The first start filters nothing: WDR and LDC items are in.
    std::vector<KeyVal> factory = factorySet(camera);
    EXPECT_NE(0xFFFFFFFFu, valueOf(factory, 2368));
    EXPECT_NE(0xFFFFFFFFu, valueOf(factory, 2048));
    EXPECT_TRUE(camera.m_bShowWDRFalg);
    EXPECT_FALSE(camera.m_bShowLDCFlag);
    EXPECT_TRUE(getshowBeawayFalg());

    video.wdr.setLimitFramesModeId(0);
    video.wdr.setLimitWdr(1);
    video.wdr.setLDCSupport(1);
    video.wdr.setLDCSwitch(1);
    restart(camera, rig.moduleConfig(1));
    factory = factorySet(camera);
    EXPECT_NE(0xFFFFFFFFu, valueOf(factory, 2368));
    EXPECT_EQ(0xFFFFFFFFu, valueOf(factory, 2048));
    EXPECT_FALSE(camera.m_bShowWDRFalg);
    EXPECT_TRUE(camera.m_bShowLDCFlag);

    const struct {
        int modeId, limitWdr, ldcSupport, ldcSwitch;
        bool wdr, ldc;
    } wdrCases[] = {{1, 1, 1, 0, true, false}, {0, 0, 0, 1, true, false}, {0, 1, 1, 1, false, true}};
    for (const auto& c : wdrCases) {
        video.wdr.setLimitFramesModeId(c.modeId);
        video.wdr.setLimitWdr(c.limitWdr);
        video.wdr.setLDCSupport(c.ldcSupport);
        video.wdr.setLDCSwitch(c.ldcSwitch);
        restart(camera, rig.moduleConfig(1));
        EXPECT_EQ(c.wdr, camera.m_bShowWDRFalg != 0) << c.modeId << "," << c.limitWdr;
        EXPECT_EQ(c.ldc, camera.m_bShowLDCFlag != 0) << c.ldcSupport << "," << c.ldcSwitch;
    }
    // The previous start's flags (WDR hidden, LDC offered) filter this one's.
    video.wdr = LimitedFramesWDRModeParam();
    restart(camera, rig.moduleConfig(1));
    factory = factorySet(camera);
    EXPECT_EQ(0xFFFFFFFFu, valueOf(factory, 2368));
    EXPECT_EQ(0xFFFFFFFFu, valueOf(factory, 2369));
    EXPECT_NE(0xFFFFFFFFu, valueOf(factory, 2048));

    const struct {
        const char* model;
        int encoder;
        int height;
        bool beaway;
    } beawayCases[] = {
        {"Hi3516AV200", 1, 240, false},  {"Hi3516AV200", 1, 255, false},       {"Hi3516AV200", 1, 256, true},
        {"Hi3516AV200", 0, 240, true},   {"Hi3516AV200Thermal", 1, 240, false}, {"Hi3519AV100", 1, 240, true},
    };
    for (const auto& c : beawayCases) {
        rig.root().writeFile(kMachineInfo, std::string("deviceType=14\nhardwareModel=") + c.model +
                                               "\nhardwareCode=IPC-DUAL-01\nchannelCount=2\n");
        AVStreamParam main;
        main.setVideoEncoderType(0);
        main.setVideoHeight(1080);
        AVStreamParam sub;
        sub.setVideoEncoderType(c.encoder);
        sub.setVideoHeight(c.height);
        video.streams = {main, sub};
        restart(camera, rig.moduleConfig(1));
        EXPECT_EQ(c.beaway, getshowBeawayFalg()) << c.model << " " << c.encoder << " " << c.height;
    }
}

TEST(Startup, ShutDownReleasesButKeepsTheStatusAndMayBeRepeated)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1);
    ASSERT_TRUE(camera.setParamMode(0));
    ASSERT_TRUE(camera.setParamScheme(2));
    ControllerRig::runWithClock([&camera] { camera.uinit(); });
    EXPECT_TRUE(camera.getSensorStatus());
    EXPECT_FALSE(camera.threadRunning());
    EXPECT_EQ(-1, camera.m_nCurScheme);
    EXPECT_EQ(-1, camera.m_nLastScheme);
    EXPECT_EQ(1, camera.m_nParamMode);
    EXPECT_EQ(0u, camera.m_nKeyValSum);
    EXPECT_EQ(nullptr, camera.m_ppUserKeyVal);
    EXPECT_EQ(nullptr, camera.m_pFctKeyVal);
    EXPECT_FALSE(camera.testFlag(ControllerProbe::FLAG_UNINITIALISING));
    // The kept module texts are what a factory reset starts from.
    EXPECT_EQ(2001, camera.getSensorType());
    EXPECT_STREQ("(isInfrared=1)(lensId=3)(max_scheme=4)", camera.m_stSysConf.moduleConfig.szDetail);

    ControllerRig::runWithClock([&camera] { camera.uinit(); });
    EXPECT_TRUE(camera.getSensorStatus());
    EXPECT_EQ("", camera.getUICommonFile(0));

    EXPECT_TRUE(initOn(camera, rig.moduleConfig(1)));
    EXPECT_TRUE(camera.threadRunning());
    EXPECT_EQ(0, camera.m_nCurScheme);
}

TEST(Startup, UiDocumentsWaitBoundedlyForABusyVideoModule)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1);
    RecordingVideo& video = rig.video(1);

    const struct {
        int busy;
        int queries;
    } cases[] = {{1000, 30}, {2, 3}, {0, 1}};
    for (const auto& c : cases) {
        video.busyAnswers = c.busy;
        video.busyQueries = 0;
        std::string style;
        ControllerRig::runWithClock([&] { style = camera.getUIStyleFile(); });
        EXPECT_EQ(c.queries, video.busyQueries) << "busy " << c.busy;
        EXPECT_TRUE(has(style, "id=\"34\"")) << "busy " << c.busy;
    }

    // Start-up never fills the UI-file table.
    EXPECT_EQ(0u, camera.m_stSysConf.nUIFileSum);
    EXPECT_EQ("", camera.getUICommonFile(0));
    EXPECT_EQ("", camera.getUICommonFile(7));
    EXPECT_EQ("", camera.getUILanguageFile(0));
    EXPECT_EQ("", camera.getUILanguageFile(-1));
}

TEST(StartupInput, StyleWithoutItemsStartsAWorkingController)
{
    const char* const styles[] = {"<?xml version=\"1.0\"?>\n<style version=\"1\"/>\n", "this is not a style"};
    for (const char* style : styles) {
        SCOPED_TRACE(style);
        ControllerRig rig;
        rig.root().writeFile(kStyle, style);
        rig.root().writeFile("/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml", "");
        ControllerProbe& camera = rig.construct(1);
        ASSERT_TRUE(initOn(camera, rig.moduleConfig(1)));
        EXPECT_EQ(0u, camera.m_nKeyValSum);
        EXPECT_TRUE(camera.getSensorStatus());
        EXPECT_TRUE(camera.threadRunning());
        EXPECT_EQ(0, camera.m_nCurScheme);
        EXPECT_TRUE(rig.root().exists(schemeFile(1, 0)));
        EXPECT_EQ("", rig.root().readFile(schemeFile(1, 0)));

        // Keys the sets lack go straight to the ISP.
        EXPECT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 23, true));
        EXPECT_EQ(23, isp_sim::value(0, KEY_BRIGHTNESS));
        int value = -1;
        EXPECT_TRUE(camera.getParameter(KEY_BRIGHTNESS, value));
        EXPECT_EQ(23, value);
        EXPECT_EQ(SNS_SUCCESS, camera.flush());
        EXPECT_TRUE(camera.setParamScheme(1));
        EXPECT_TRUE(camera.resetToLastParameters());
        std::string all = "x";
        EXPECT_TRUE(camera.getAllParameters(all));
        EXPECT_EQ("x", all);
        rig.passes(2);
        restart(camera, rig.moduleConfig(1));
        EXPECT_TRUE(camera.threadRunning());
    }
}

TEST(StartupInput, DamagedSchemeFilesAreReadAsFarAsTheyGo)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    // From the second start on the factory set no longer changes.
    restart(camera, rig.moduleConfig(1));
    const std::vector<KeyVal> factory = factorySet(camera);
    const u32 count = camera.m_nKeyValSum;
    ControllerRig::runWithClock([&camera] { camera.uinit(); });

    root.remove(schemeFile(1, 0));
    std::vector<KeyVal> shortSet(factory.begin(), factory.begin() + 3);
    shortSet[1].value = 7;
    root.writeFile(schemeFile(1, 1), bytesOf(shortSet));
    std::vector<KeyVal> longSet = factory;
    setValueIn(longSet, KEY_BRIGHTNESS, 61);
    const std::string longBytes = bytesOf(longSet) + std::string(16, '\x5a');
    root.writeFile(schemeFile(1, 2), longBytes);
    const std::string garbage = "\x01\x02garbage\xff\xfe not records at all....";
    root.writeFile(schemeFile(1, 3), garbage);

    testing::internal::CaptureStdout();
    const bool started = initOn(camera, rig.moduleConfig(1));
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(started);
    EXPECT_TRUE(has(out, "file_name(/mnt/mtd/code/config_file/sensor1_1.cfg) nSize(24)"));
    EXPECT_EQ(count, camera.m_nKeyValSum);
    EXPECT_EQ(textOf(factory), fileText(root, schemeFile(1, 0)));
    EXPECT_EQ(textOf(shortSet), textOf(std::vector<KeyVal>(camera.m_ppUserKeyVal[1], camera.m_ppUserKeyVal[1] + 3)));
    EXPECT_EQ(textOf(shortSet), fileText(root, schemeFile(1, 1)));
    EXPECT_EQ(textOf(longSet), textOf(userSet(camera, 2)));
    EXPECT_EQ(longBytes, root.readFile(schemeFile(1, 2)));
    EXPECT_EQ(0, std::memcmp(garbage.data(), camera.m_ppUserKeyVal[3], garbage.size()));

    // Every scheme can still be made current. A save writes the whole set,
    // or nothing when the damaged window refuses it.
    for (int s = 3; s >= 0; --s) {
        EXPECT_TRUE(camera.setParamScheme(s));
        EXPECT_EQ(s, camera.m_nCurScheme);
        EXPECT_EQ(SNS_SUCCESS, camera.setParameter(KEY_SCHEME_END_HOUR, 24, true));
        const std::string before = fileText(root, schemeFile(1, s));
        const int code = camera.flush();
        const std::string after = fileText(root, schemeFile(1, s));
        const bool intact = s == 0 || s == 2;
        EXPECT_TRUE(!intact || code == SNS_SUCCESS) << "scheme " << s << " code " << code;
        EXPECT_EQ(code == 0 ? textOf(userSet(camera, s)) : before, after) << "scheme " << s;
    }
    setValueIn(longSet, KEY_SCHEME_END_HOUR, 24);
    EXPECT_EQ(textOf(longSet), fileText(root, schemeFile(1, 2)));
}

TEST(StartupInput, SchemeCountComesFromTheDetailTextButOnlySchemesZeroToThreeAreDeleted)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    root.writeFile(schemeFile(1, 2), "stale");
    ControllerProbe& camera = rig.start(1, module(2001, "(isInfrared=1)(lensId=3)(max_scheme=6)"));
    ASSERT_EQ(6u, camera.schemeCount());
    std::vector<KeyVal> kept = factorySet(camera);
    setValueIn(kept, KEY_BRIGHTNESS, 13);
    root.writeFile(schemeFile(1, 5), bytesOf(kept));
    root.writeFile(schemeFile(1, 2), "stale");

    // A new version stamp: schemes 0 to 3 are replaced, scheme 5 is kept.
    root.writeFile(kStamp, stampOf(7));
    restart(camera, module(2001, "(isInfrared=1)(lensId=3)(max_scheme=6)"));
    EXPECT_EQ(textOf(factorySet(camera)), fileText(root, schemeFile(1, 2)));
    EXPECT_EQ(textOf(kept), fileText(root, schemeFile(1, 5)));
    EXPECT_EQ(13u, camera.cached(5, KEY_BRIGHTNESS));
    EXPECT_TRUE(camera.setParamScheme(5));
    EXPECT_EQ(13, isp_sim::value(0, KEY_BRIGHTNESS));

    // No user scheme at all: the factory set is current and nothing is saved.
    restart(camera, module(2001, "(isInfrared=1)(lensId=3)(max_scheme=0)"));
    EXPECT_EQ(0u, camera.schemeCount());
    EXPECT_EQ(0, camera.m_nCurScheme);
    EXPECT_EQ(camera.m_pFctKeyVal, camera.m_ppUserKeyVal[0]);
    const std::string scheme0 = fileText(root, schemeFile(1, 0));
    EXPECT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 22, true));
    EXPECT_EQ(SNS_SUCCESS, camera.flush());
    EXPECT_EQ(scheme0, fileText(root, schemeFile(1, 0)));
    std::string all = "x";
    EXPECT_TRUE(camera.getAllParameters(all));
    EXPECT_NE(std::string::npos, all.find("(34,50)"));
}

TEST(StartupInput, UnknownDeviceTypeIsReportedAndStartsAsAPlainChannel)
{
    ControllerRig rig;
    rig.root().writeFile(kMachineInfo, "deviceType=999\nhardwareModel=Hi3516AV200\nhardwareCode=X\nchannelCount=2\n");
    testing::internal::CaptureStdout();
    ControllerProbe& first = rig.start(1, module(2001, "(isInfrared=1)(lensId=3)"));
    ControllerProbe& second = rig.start(2, module(2002, "(isInfrared=0)"));
    const std::string out = testing::internal::GetCapturedStdout();
    for (ControllerProbe* camera : {&first, &second}) {
        EXPECT_TRUE(camera->getSensorStatus());
        EXPECT_FALSE(camera->m_bThermalChannel);
        EXPECT_FALSE(camera->m_bLPRDevice);
        EXPECT_GT(camera->m_nKeyValSum, 5u);
        EXPECT_EQ(0, camera->m_nCurScheme);
    }
    EXPECT_EQ(2, second.getCameraID());
    EXPECT_TRUE(rig.root().exists(schemeFile(2, 0)));
    EXPECT_TRUE(has(out, "machineinfo, devicetype(999) error"));
}
