// The factory files: machine information, module configuration, and the
// string splitting that readers of their texts rely on.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "StringHandler.h"
#include "TestRoot.h"

namespace {

bool reported(const std::string& errors, const char* where) { return errors.find(where) != std::string::npos; }

using Module = std::tuple<int, std::string, std::string>; // id, detail, parameters

Module module(const ModuleConfigure& m) { return Module(m.getModuleId(), m.getDetail(), m.getParameters()); }

} // namespace

TEST(MachineInfoParser, ReadsTheSampleAndSkipsBadLines)
{
    TestRoot root(true);
    MachineInfo sample;
    ASSERT_TRUE(SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", sample));
    EXPECT_EQ(std::make_tuple(sample.getDeviceType(), sample.getHardwareModel(), sample.getHardwareCode(),
                              sample.getChannelCount()),
              std::make_tuple(int(DeviceType::THERMAL_DOUBLE_SENSOR_DEVICE), std::string("Hi3516AV200"),
                              std::string("IPC-DUAL-01"), 2));

    root.writeFile("/etc/bad.ini", "# comment\n\n deviceType = 13 \r\nno equals here\nchannelCount=two\n"
                                   "channelCount=0\nvendorThing=1\nhardwareModel=A=B\n");
    MachineInfo info;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(SystemInfoParser::parseMachineInfo("/etc/bad.ini", info));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::make_tuple(info.getDeviceType(), info.getChannelCount(), info.getHardwareModel()),
              std::make_tuple(13, 1, std::string("A=B")));
    for (const char* line : {"bad.ini:4:", "bad.ini:5:", "bad.ini:6:"}) EXPECT_TRUE(reported(errors, line)) << line;
    EXPECT_FALSE(reported(errors, "bad.ini:7:"));
    EXPECT_FALSE(SystemInfoParser::parseMachineInfo("/mnt/none.ini", info));
    EXPECT_EQ(info.getDeviceType(), 13);
}

TEST(ModuleConfigureParser, TakesTheFirstMatchingHardwareInChannelOrder)
{
    TestRoot root(true);
    std::vector<ModuleConfigure> modules;
    ASSERT_TRUE(ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml", "Hi3516AV200", "IPC-DUAL-01",
                                             modules));
    ASSERT_EQ(modules.size(), 2u);
    EXPECT_EQ(module(modules[0]), Module(2001, "(isInfrared=1)(lensId=3)(max_scheme=4)", "(fps=25)"));
    EXPECT_EQ(module(modules[1]), Module(2002, "(isInfrared=0)(max_scheme=4)", "(fps=25)"));

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
    EXPECT_EQ(module(modules[0]), Module(11, "", "p"));
    EXPECT_EQ(module(modules[1]), Module(22, "(b)", ""));
    EXPECT_TRUE(reported(errors, "m.xml:6:") && reported(errors, "m.xml:8:")) << errors;

    root.writeFile("/hd1/cut.xml", "<moduleConfig><hardware model=\"Hi3516AV200\"");
    root.writeFile("/hd1/other.xml", "<other><hardware model=\"Hi3516AV200\"/></other>");
    root.writeFile("/hd1/binary.xml", std::string("\0\xff\xfe<<", 5));
    EXPECT_FALSE(ModuleConfigureParser::parse("/hd1/m.xml", "Hi3519", "ANY", modules));
    EXPECT_TRUE(modules.empty());
    for (const char* name : {"/hd1/none.xml", "/hd1/cut.xml", "/hd1/other.xml", "/hd1/binary.xml"}) {
        modules.resize(1);
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
