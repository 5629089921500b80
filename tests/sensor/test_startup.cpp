// Start-up and shut-down through the real init on a copy of the sample tree: version stamp,
// scheme files, table sizes, detail-text rules and the first scheme.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#if defined(__SANITIZE_ADDRESS__)
// Size of a live heap block, from the address sanitizer's runtime.
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* p);
#endif

#include "SensorKeys.h"
#include "TestHelpers.h"

namespace {

// Reaches the work array that ControllerProbe does not show.
struct Internals : ISensorController {
    static KeyVal* ISensorController::*workArray() { return &Internals::m_pstKeyValWork; }
};

void setValueIn(Records& records, u32 key, u32 value)
{
    for (KeyVal& record : records) record.value = record.key == key ? value : record.value;
}

void rewriteRecord(TestRoot& root, int scheme, u32 key, u32 value)
{
    Records records = schemeRecords(root, scheme);
    setValueIn(records, key, value);
    root.writeFile(schemeFile(scheme), bytesOf(records));
}

// A factory scheme mode other than 0 shows which files keep it.
void factorySchemeModeTwo(TestRoot& root)
{
    const std::string item = "name=\"Scheme Mode\" type=\"menu\" value=\"";
    replaceIn(root, kStyleFile, item + "0\"", item + "2\"");
}

ModuleConfigure module(const std::string& detail)
{
    ModuleConfigure config;
    config.setDetail(detail);
    return config;
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
    const std::string factory = pairsOf(factorySet(camera));
    ASSERT_GT(factorySet(camera).size(), 5u);
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(factory, filePairs(root, s)) << "scheme " << s;
        EXPECT_EQ(factory, pairsOf(camera.m_ppUserKeyVal[s], camera.m_nKeyValSum)) << "scheme " << s;
    }
    for (const std::string& other : others) EXPECT_EQ("kept", root.readFile(other));
    EXPECT_EQ("outside", outside.readFile(schemeFile(0)));
    EXPECT_EQ(stampOf(8), root.readFile(kStampFile));

    // With the stamp in place a restart keeps what the files hold.
    rewriteRecord(root, 0, KEY_BRIGHTNESS, 71);
    rewriteRecord(root, 1, KEY_CONTRAST, 12);
    const std::string scheme1 = filePairs(root, 1);
    restart(camera, rig.moduleConfig(1));
    EXPECT_EQ(scheme1, filePairs(root, 1));
    EXPECT_EQ(12u, camera.cached(1, KEY_CONTRAST));
    EXPECT_EQ(71, isp_sim::value(0, KEY_BRIGHTNESS));

    // Another stamp, or one too short to read, is warned about and the files are recreated.
    root.writeFile("/tmp/Debug.sign", "4\n0\n");
    for (const auto& c : {std::make_pair(stampOf(7), 7), std::make_pair(std::string(), 0)}) {
        rewriteRecord(root, 2, KEY_BRIGHTNESS, 9);
        root.writeFile(kStampFile, c.first);
        const std::string out = printedBy([&] { restart(camera, rig.moduleConfig(1)); });
        EXPECT_EQ(pairsOf(factorySet(camera)), filePairs(root, 2)) << c.second;
        EXPECT_EQ(stampOf(8), root.readFile(kStampFile));
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
    replaceIn(rig.root(), kStyleFile, "</style>", "<tab key=\"spare\" name=\"Spare\">" + spare + "</tab></style>");
    ControllerProbe& visible = rig.start(1);
    ControllerProbe& thermal = rig.start(2);
    ASSERT_TRUE(thermal.m_bThermalChannel);
    EXPECT_EQ(170u, visible.m_nKeyValSum);
    for (ControllerProbe* camera : {&visible, &thermal}) {
        EXPECT_EQ(kKeyTableRows, camera->m_nKeyCmdSum);
        expectCapacity(*camera, 170);
        ASSERT_EQ(SNS_SUCCESS, camera->setParameter(KEY_BRIGHTNESS, 66, true));
    }
    ASSERT_TRUE(visible.setParamMode(0));
    ASSERT_TRUE(visible.setParamScheme(2));
    for (int round = 0; round < 2; ++round) { // a second shut-down is harmless
        uinitOf(visible);
        EXPECT_TRUE(visible.getSensorStatus());
        EXPECT_FALSE(visible.threadRunning());
        EXPECT_EQ(std::make_tuple(-1, 1), std::make_tuple(visible.m_nCurScheme.load(), visible.m_nParamMode.load()));
        EXPECT_EQ(0u, visible.m_nKeyValSum);
        EXPECT_EQ(nullptr, visible.m_ppUserKeyVal);
        EXPECT_EQ(nullptr, visible.m_pFctKeyVal);
    }

    EXPECT_TRUE(initOn(visible, rig.moduleConfig(1)));
    restart(thermal, rig.moduleConfig(2));
    EXPECT_EQ(165u, visible.m_nKeyValSum);
    EXPECT_EQ(165u, factorySet(visible).size());
    EXPECT_EQ(KEY_SCHEME_MODE, visible.m_ppUserKeyVal[0][0].key);
    for (ControllerProbe* camera : {&visible, &thermal}) {
        EXPECT_EQ(165u, camera->m_nKeyCmdSum);
        EXPECT_TRUE(camera->threadRunning());
        EXPECT_EQ(0, camera->m_nCurScheme.load());
        EXPECT_EQ(50u, camera->cached(0, KEY_BRIGHTNESS)); // set but never flushed
        expectCapacity(*camera, 165);
    }
    EXPECT_TRUE(rig.root().exists("/mnt/mtd/code/config_file/sensor-thermal0.cfg"));
}

TEST(Startup, DetailTextDecidesLensInfraredPowerAndTheLicencePlateScheme)
{
    const u32 night[][2] = {{KEY_DN_MODE, 0}, {KEY_MAX_SHUTTER, 18}, {KEY_MIN_SHUTTER, 20},
                            {KEY_METER_AREA, 1}, {KEY_IR_MODE, 2},   {KEY_IR_MANUAL_STRG_NEAR, 40}};
    const struct {
        const char* detail;
        bool plateModel, lens, limitedIr;
    } cases[] = {
        {"(isInfrared=1)(lensId=3)", false, true, false}, {"(isInfrared=1)(lensId=0)", false, false, false},
        {"(isInfrared=1)", false, false, false},          {"(lensId=)(x=1)", false, false, false},
        {"(lensId=3", false, false, false},               {"(isInfrared=17)(lensId=3)", false, true, true},
        {"(isInfrared=170)(lensId=12)", false, true, false}, {"(lensId=3)", true, true, false},
        {"(isInfrared=1)(lensId=3)", true, true, false},  {"(isInfrared=0)(lensId=3)", true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.detail << (c.plateModel ? " on a licence-plate model" : ""));
        ControllerRig rig;
        if (c.plateModel) {
            rig.root().writeFile(kMachineInfoFile, "deviceType=8\nhardwareModel=Hi3516AV200\nhardwareCode=LPR-01\n");
            factorySchemeModeTwo(rig.root());
        }
        ControllerProbe& camera = rig.construct(1);
        const std::string out = printedBy([&] { EXPECT_TRUE(initOn(camera, module(c.detail))); });
        EXPECT_EQ(c.lens, camera.m_bHasLens != 0);
        EXPECT_EQ(c.limitedIr, camera.m_bisLimitedIrPower != 0);
        EXPECT_EQ(c.limitedIr, has(out, "#### m_bisLimitedIrPower is true!\n"));
        EXPECT_EQ(4u, camera.schemeCount()); // without max_scheme
        // Only a licence-plate model without an infrared detail starts scheme 1 as a night scheme.
        const bool licencePlate = c.plateModel && !has(c.detail, "isInfrared");
        EXPECT_EQ(licencePlate, camera.m_bLPRDevice != 0);
        const Records factory = factorySet(camera);
        EXPECT_EQ(licencePlate ? 2u : 0u, valueIn(factory, KEY_SCHEME_MODE));
        Records scheme1 = factory;
        if (licencePlate)
            for (const auto& change : night) setValueIn(scheme1, change[0], change[1]);
        EXPECT_EQ(pairsOf(scheme1), filePairs(rig.root(), 1));
        for (int s : {0, 2, 3}) EXPECT_EQ(pairsOf(factory), filePairs(rig.root(), s)) << "scheme " << s;
    }
    // Only the lens rule takes back what an earlier start decided.
    ControllerRig rig;
    ControllerProbe& camera = rig.construct(1);
    initOn(camera, module("(isInfrared=17)(lensId=0)"));
    restart(camera, module("(isInfrared=1)(lensId=3)"));
    EXPECT_TRUE(camera.m_bisLimitedIrPower);
    EXPECT_FALSE(camera.m_bHasLens);
}

TEST(Startup, SchemeModeOfSchemeZeroChoosesTheFirstScheme)
{
    ControllerRig rig;
    factorySchemeModeTwo(rig.root());
    // A new scheme 0 is stored in mode 0 and applied in full, once.
    ControllerProbe& camera = rig.start(1);
    EXPECT_EQ(0u, valueIn(factorySet(camera), KEY_SCHEME_MODE));
    EXPECT_EQ(0u, valueIn(schemeRecords(rig.root(), 0), KEY_SCHEME_MODE));
    EXPECT_EQ(std::make_tuple(0, -1), std::make_tuple(camera.m_nCurScheme.load(), camera.m_nLastScheme.load()));
    const Sent atStart = sentValues();
    isp_sim::clearTrace();
    camera.switch_to(0, true);
    ASSERT_GT(sentValues().size(), 10u);
    for (const auto& set : sentValues()) EXPECT_EQ(1, std::count(atStart.begin(), atStart.end(), set)) << set.first;

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
        EXPECT_EQ(std::make_tuple(c.scheme, -1),
                  std::make_tuple(camera.m_nCurScheme.load(), camera.m_nLastScheme.load()));
        EXPECT_GE(isp_sim::countCalls(KEY_BRIGHTNESS, IA_CMD_OPT_SET), 1u);
        EXPECT_EQ(c.mode == 2, isp_sim::countCalls(153, IA_CMD_OPT_GET) >= 1u);
    }
}

// Damaged files from flash: init still completes and the controller answers.
TEST(StartupInput, DamagedFilesStillGiveAWorkingController)
{
    const struct {
        std::string file, content;
    } damages[] = {{kStyleFile, "<style><tab key=\"a\"/></style>"}, {kStyleFile, "<style><tab"},
                   {schemeFile(0), "\x01\x02\x03"}, {schemeFile(0), std::string(5000, '\xff')},
                   {kMachineInfoFile, "deviceType=1000\n"}};
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.file + " holding " + damage.content.substr(0, 20));
        ControllerRig rig;
        rig.root().writeFile(damage.file, damage.content);
        if (damage.file == schemeFile(0)) rig.root().writeFile(kStampFile, stampOf(8)); // read, not recreated
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
    EXPECT_EQ(0, camera.m_bShowWDRFalg.load());
    EXPECT_EQ(1, camera.m_bShowLDCFlag);

    video.busyAnswers = 1000;
    std::string style;
    ControllerRig::runWithClock([&] { style = camera.getUIStyleFile(); });
    EXPECT_EQ(30, video.busyQueries);
    EXPECT_FALSE(has(style, "id=\"2368\"")); // WDR is not offered
    EXPECT_TRUE(has(style, "id=\"2048\""));  // lens distortion correction is
}

// "max_scheme" is taken as it stands: 65 gives schemes 0..64 and their files,
// with no assertion (one would abort here).
TEST(Startup, MaxSchemeSixtyFiveGivesSixtyFiveSchemesAndFiles)
{
    ControllerRig rig;
    rig.root().writeFile("/tmp/Debug.sign", "3\n1\n");
    ControllerProbe& camera = rig.start(1, module("(max_scheme=65)"));
    EXPECT_EQ(65u, camera.schemeCount());
    EXPECT_TRUE(rig.root().exists(schemeFile(64)));
    EXPECT_FALSE(rig.root().exists(schemeFile(65)));
}
