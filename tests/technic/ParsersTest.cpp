// The factory files: machine information, module configuration, and the
// string splitting that readers of their texts rely on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "StringHandler.h"
#include "TestRoot.h"

namespace {
const char* const kMachineInfo = "/mnt/mtd/code/factory_setting/machineinfo.ini";
const char* const kModuleConfig = "/hd1/moduleConfig/moduleConfig.xml";
} // namespace

TEST(MachineInfoParser, ReadsTheSampleAndSkipsBadLines)
{
    TestRoot root(true);
    MachineInfo sample;
    ASSERT_TRUE(SystemInfoParser::parseMachineInfo(kMachineInfo, sample));
    EXPECT_EQ(sample.getDeviceType(), DeviceType::THERMAL_DOUBLE_SENSOR_DEVICE);
    EXPECT_EQ(sample.getHardwareModel(), "Hi3516AV200");
    EXPECT_EQ(sample.getHardwareCode(), "IPC-DUAL-01");
    EXPECT_EQ(sample.getChannelCount(), 2);

    root.writeFile("/etc/bad.ini", "# comment\n\n deviceType = 13 \r\nno equals here\nchannelCount=two\n"
                                   "channelCount=0\nvendorThing=1\nhardwareModel=A=B\n");
    MachineInfo info;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(SystemInfoParser::parseMachineInfo("/etc/bad.ini", info));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(info.getDeviceType(), 13);
    EXPECT_EQ(info.getChannelCount(), 1);
    EXPECT_EQ(info.getHardwareModel(), "A=B");
    for (const char* reported : {"bad.ini:4:", "bad.ini:5:", "bad.ini:6:"}) {
        EXPECT_NE(errors.find(reported), std::string::npos) << reported << " in " << errors;
    }
    EXPECT_EQ(errors.find("bad.ini:7:"), std::string::npos);

    MachineInfo untouched;
    untouched.setDeviceType(4);
    EXPECT_FALSE(SystemInfoParser::parseMachineInfo("/mnt/none.ini", untouched));
    EXPECT_EQ(untouched.getDeviceType(), 4);
}

TEST(ModuleConfigureParser, TakesTheFirstMatchingHardwareInChannelOrder)
{
    TestRoot root(true);
    std::vector<ModuleConfigure> modules;
    ASSERT_TRUE(ModuleConfigureParser::parse(kModuleConfig, "Hi3516AV200", "IPC-DUAL-01", modules));
    ASSERT_EQ(modules.size(), 2u);
    EXPECT_EQ(modules[0].getModuleId(), 2001);
    EXPECT_EQ(modules[0].getDetail(), "(isInfrared=1)(lensId=3)(max_scheme=4)");
    EXPECT_EQ(modules[1].getModuleId(), 2002);
    EXPECT_EQ(modules[1].getDetail(), "(isInfrared=0)(max_scheme=4)");
    EXPECT_EQ(modules[1].getParameters(), "(fps=25)");

    root.writeFile("/hd1/m.xml", R"xml(<moduleConfig>
  <hardware model="Hi3516AV200" code="OTHER"><module type="sensor" channel="1" id="1"/></hardware>
  <hardware model="Hi3516AV200" code="">
    <module type="sensor" channel="2" id="22" detail="(b)"/>
    <module type="lens" channel="1" id="99"/>
    <module type="sensor" channel="x" id="5"/>
    <module type="sensor" channel="1" id="11" parameters="p"/>
    <module type="sensor" channel="2" id="23"/>
  </hardware>
</moduleConfig>)xml");
    testing::internal::CaptureStderr();
    ASSERT_TRUE(ModuleConfigureParser::parse("/hd1/m.xml", "Hi3516AV200", "ANY", modules));
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_EQ(modules.size(), 2u);
    EXPECT_EQ(modules[0].getModuleId(), 11);
    EXPECT_EQ(modules[0].getParameters(), "p");
    EXPECT_EQ(modules[1].getModuleId(), 22);
    EXPECT_EQ(modules[1].getDetail(), "(b)");
    EXPECT_NE(errors.find("m.xml:6:"), std::string::npos) << errors;
    EXPECT_NE(errors.find("m.xml:8:"), std::string::npos) << errors;

    EXPECT_FALSE(ModuleConfigureParser::parse("/hd1/m.xml", "Hi3519", "ANY", modules));
    EXPECT_TRUE(modules.empty());
}

TEST(ModuleConfigureParser, RejectsMissingAndGarbageDocuments)
{
    TestRoot root;
    root.writeFile("/hd1/cut.xml", "<moduleConfig><hardware model=\"Hi3516AV200\"");
    root.writeFile("/hd1/other.xml", "<other><hardware model=\"Hi3516AV200\"/></other>");
    root.writeFile("/hd1/binary.xml", std::string("\0\xff\xfe<<", 5));
    for (const char* name : {"/hd1/none.xml", "/hd1/cut.xml", "/hd1/other.xml", "/hd1/binary.xml"}) {
        std::vector<ModuleConfigure> modules(1);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(ModuleConfigureParser::parse(name, "Hi3516AV200", "", modules)) << name;
        EXPECT_FALSE(testing::internal::GetCapturedStderr().empty()) << name;
        EXPECT_TRUE(modules.empty()) << name;
    }
}

TEST(StringHandler, SplitKeepsEmptyPiecesAndClearsTheOutput)
{
    std::vector<std::string> out{"stale"};
    StringHandler::split("a,,b,", out, ",");
    EXPECT_EQ(out, (std::vector<std::string>{"a", "", "b", ""}));
    StringHandler::split("(1,2)--(3)", out, "--");
    EXPECT_EQ(out, (std::vector<std::string>{"(1,2)", "(3)"}));
    StringHandler::split("", out, ",");
    EXPECT_TRUE(out.empty());
}
