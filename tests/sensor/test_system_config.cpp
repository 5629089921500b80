// System configuration: record fields, device-type document choice and the
// release of what the record holds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "TestHelpers.h"
#include "sensor.h"

namespace {

// Each style names itself in its root and each diversity document adds a tab
// naming itself, so the merged text tells which pair was loaded.
void writeStyleDocuments(const TestRoot& root)
{
    for (const std::string family : {"", "_dome", "_Thermal"}) {
        root.writeFile("/hd1/moduleConfig/sensorConfig/style/Style" + family + ".xml",
                       "<style family=\"style" + family + "\"><tab key=\"t\"/></style>");
        root.writeFile("/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity" + family + ".xml",
                       "<when on=\"1\"><AddAfter tab_key=\"t\"><tab key=\"div" + family + "\"/></AddAfter></when>");
    }
}

// Runs initSysConf and returns what it printed.
std::string init(int channel, const std::string& detail, SysConfig& conf, const std::string& parameters = "p=1")
{
    ModuleConfigure config;
    config.setModuleId(31);
    config.setDetail(detail);
    config.setParameters(parameters);
    return printedBy([&] { EXPECT_EQ(SNS_SUCCESS, initSysConf(channel, config, &conf)); });
}

} // namespace

TEST(SystemConfig, DeviceTypeAndChannelChooseTheStylePair)
{
    TestRoot root;
    writeStyleDocuments(root);
    const struct {
        int type, channel;
        std::string family;
    } cases[] = {{104, 1, "_dome"}, {2, 1, "_dome"}, {13, 1, ""},     {13, 2, "_Thermal"}, {19, 1, "_dome"},
                 {19, 2, "_Thermal"}, {1, 2, ""},    {4, 1, "_dome"}, {999, 2, "_dome"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " on channel " << c.channel);
        root.writeFile(kMachineInfoFile, "deviceType=" + std::to_string(c.type) + "\n");
        SysConfig conf;
        std::memset(&conf, 0x5a, sizeof conf);
        const std::string out = init(c.channel, "(on=1)", conf);
        EXPECT_EQ(c.type, conf.nDeviceType);
        const std::string page = conf.szUIStyle;
        EXPECT_TRUE(has(page, "family=\"style" + c.family + "\"")) << page;
        EXPECT_TRUE(has(page, "key=\"div" + c.family + "\"")) << page;
        const bool unknown = c.type == 2 || c.type == 999;
        EXPECT_EQ(unknown, has(out, "~~~Assertion failed.")) << out;
        EXPECT_EQ(unknown, has(out, "machineinfo, devicetype(" + std::to_string(c.type) +
                                        ") error, must be 1 or 4 or 8 or 9 or 13\n"));
        uinitSysConf(&conf);
        if (c.type != 2) continue;
        EXPECT_TRUE(has(out, "DeviceType::IPCAMERA == p_stSysConf->nDeviceType || DeviceType::FACE_DETECT == "
                             "p_stSysConf->nDeviceType || DeviceType::VEHICLE_DETECT"));
        EXPECT_TRUE(has(out, "|| DeviceType::DOMECORE_THERMAL_DEVICE == p_stSysConf->nDeviceType   ~~~"));
    }
}

TEST(SystemConfig, RecordFieldsSchemeCountAndCutHostTexts)
{
    TestRoot root;
    writeStyleDocuments(root);
    root.writeFile(kMachineInfoFile, "deviceType=1\n");
    root.writeFile("/tmp/Debug.sign", "4\n0\n");
    SysConfig conf;
    const std::string longDetail = "(max_scheme=3)" + std::string(586, 'd');
    const std::string out = init(1, longDetail, conf, std::string(300, 'p'));
    EXPECT_EQ(31, conf.moduleConfig.nModuleId);
    EXPECT_STREQ("xxx", conf.moduleConfig.szPlaceholder1);
    EXPECT_STREQ("xxx", conf.moduleConfig.szPlaceholder2);
    EXPECT_EQ(std::string(255, 'p'), conf.moduleConfig.szParameters);
    EXPECT_EQ(longDetail.substr(0, 511), conf.moduleConfig.szDetail);
    EXPECT_EQ(3u, conf.nSchemeSum);
    EXPECT_EQ(nullptr, conf.pstUIFile);
    EXPECT_TRUE(has(out, "[sensor warn] file:sensor fun:initSysConf"));
    EXPECT_TRUE(has(out, "szParameters: host text of 300 characters"));
    EXPECT_TRUE(has(out, "szDetail: host text of 600 characters"));
    uinitSysConf(&conf);
}

TEST(SystemConfig, MissingFactoryFilesAreReportedAndReleaseFreesTexts)
{
    TestRoot root;
    SysConfig conf;
    const std::string out = init(1, "", conf);
    EXPECT_TRUE(has(out, "SystemInfoParser::parseMachineInfo(\"/mnt/mtd/code/factory_setting/machineinfo.ini\""));
    EXPECT_TRUE(has(out, "file_name(/hd1/moduleConfig/sensorConfig/style/Style_dome.xml)"));
    EXPECT_TRUE(has(out, "loadFromFile(strStyleDivFileName.c_str(), ui_styleDiversity, "));
    ASSERT_NE(nullptr, conf.szUIStyle);
    EXPECT_STREQ("", conf.szUIStyle);
    // The texts belong to the record: the leak checker catches a miss.
    conf.nUIFileSum = 2;
    conf.pstUIFile = new UIFileInfo[2]{{1, new char[4](), new char[4]()}, {2, nullptr, new char[8]()}};
    uinitSysConf(&conf);
    EXPECT_NE(nullptr, conf.pstUIFile); // the owner clears the pointers
    delete[] conf.pstUIFile;
}
