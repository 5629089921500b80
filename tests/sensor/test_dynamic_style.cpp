#include "ISensorController.h"
#include "SensorFile.h"
#include "TestRoot.h"
#include "isp_sim.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class DynamicStyle : public testing::Test {
protected:
    void SetUp() override
    {
        isp_sim::reset();
        setshowBeawayFalg(false);
    }
    void TearDown() override { setshowBeawayFalg(true); }

    // Adapts the style on camera 1 and keeps the output and the console.
    void adapt(const std::string& style, bool showWdr = true, bool showLdc = true)
    {
        testing::internal::CaptureStdout();
        EXPECT_EQ(SNS_SUCCESS, getDnaStyle(1, style.c_str(), m_strOut, showWdr, showLdc));
        m_strConsole = testing::internal::GetCapturedStdout();
        m_doc.Clear();
        m_doc.Parse(m_strOut.c_str());
    }
    TiXmlElement* item(int id)
    {
        TiXmlElement* node = nullptr;
        getNodebyCmdId(m_doc.RootElement(), id, node);
        return node;
    }
    std::string value(int id) { return item(id) == nullptr ? "absent" : item(id)->Attribute("value"); }
    std::vector<int> options(int id)
    {
        std::vector<int> indexes;
        for (TiXmlElement* o = item(id)->FirstChildElement(); o != nullptr; o = o->NextSiblingElement())
            indexes.push_back(std::atoi(o->Attribute("index")));
        return indexes;
    }
    bool printed(const std::string& text) const { return m_strConsole.find(text) != std::string::npos; }

    TestRoot m_root;
    std::string m_strOut;
    std::string m_strConsole;
    TiXmlDocument m_doc;
};

const char* const kFiveOptions = "<s><tab><item id=\"%d\" value=\"%d\"><o index=\"0\"/><o index=\"1\"/>"
                                 "<o index=\"2\"/><o index=\"3\"/><o index=\"4\"/></item></tab></s>";

std::string fiveOptions(int id, int value)
{
    char text[256];
    std::snprintf(text, sizeof text, kFiveOptions, id, value);
    return text;
}

TEST_F(DynamicStyle, KeepsAllowedOptionsAndTakesTheIspDefault)
{
    m_root.writeFile("/tmp/Debug.sign", "6\n0\n");
    isp_sim::setDynamicCommands({52});
    isp_sim::setRange(52, isp_sim::DynamicRange{0, 2, 1, 4, {1, 2, 4}, -1});
    adapt(fiveOptions(52, 0));
    EXPECT_EQ((std::vector<int>{1, 2, 4}), options(52));
    EXPECT_EQ("2", value(52));
    EXPECT_TRUE(printed("[sensor dbg] file:SensorFile fun:doDnaStyle"));
    EXPECT_TRUE(printed("_________________cmd(52) default(2)__________________\n"));
    EXPECT_TRUE(printed("_________________delete comboitem(0)__________________\n"));
    EXPECT_TRUE(printed("_________________delete comboitem(3)__________________\n"));
    EXPECT_FALSE(printed("delete comboitem(1)"));
    EXPECT_TRUE(printed("dnaCmdList.cmd_cnt(1)\n"));
    // Not a shutter or focus key: the style's own value does not count.
    EXPECT_FALSE(printed("dnaParamList.items_cnt"));
    ASSERT_EQ(1u, isp_sim::countCalls(52, IA_CMD_OPT_GET_PARAM_RNAGE));
    EXPECT_EQ(0, isp_sim::calls(52).front().channel);
}

TEST_F(DynamicStyle, ShutterAndFocusKeysKeepTheirStyleValueWhenAllowed)
{
    isp_sim::setDynamicCommands({50});
    isp_sim::setRange(50, isp_sim::DynamicRange{0, 1, 1, 4, {1, 2, 4}, -1});
    adapt(fiveOptions(50, 4));
    EXPECT_EQ("4", value(50));
    EXPECT_TRUE(printed("dnaCmdList.cmd_list[0] = dnaParamList.items_cnt(3)\n"));
    EXPECT_TRUE(printed(" dnaParamList.item[2] = 4 nVal = 4 \n"));

    adapt(fiveOptions(50, 3));
    EXPECT_EQ("1", value(50));

    isp_sim::setDynamicCommands({49});
    isp_sim::setRange(49, isp_sim::DynamicRange{0, 2, 1, 4, {1, 2, 4}, -1});
    adapt(fiveOptions(49, 100));
    EXPECT_EQ("2", value(49));
    EXPECT_EQ("", m_strConsole);
}

TEST_F(DynamicStyle, CustomisedMaxShutterListsTheItemsOwnOptions)
{
    isp_sim::setDynamicCommands({49});
    isp_sim::setRange(49, isp_sim::DynamicRange{0, 1, 1, 2, {1, 2}, -1});
    adapt(fiveOptions(49, 203));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), options(49));
    EXPECT_EQ("3", value(49));

    // Options without "index" are skipped; at most 64 are collected.
    std::string many = "<item id=\"49\"><o/>";
    for (int i = 0; i < 70; ++i) many += "<o index=\"" + std::to_string(i + 10) + "\"/>";
    TiXmlDocument doc;
    doc.Parse((many + "</item>").c_str());
    ia_dynamic_params_attr_st range{};
    range.min = -7;
    EXPECT_EQ(0, doCustomizeStyle(doc.RootElement(), 49, &range));
    EXPECT_EQ(64, range.items_cnt);
    EXPECT_EQ(10, range.min);
    EXPECT_EQ(73, range.max);
    EXPECT_EQ(73, range.item[63]);

    doc.Clear();
    doc.Parse("<item id=\"49\" value=\"1\"/>");
    range.min = -7;
    EXPECT_EQ(0, doCustomizeStyle(doc.RootElement(), 49, &range));
    EXPECT_EQ(0, range.items_cnt);
    EXPECT_EQ(0, range.max);
    EXPECT_EQ(-7, range.min);
}

TEST_F(DynamicStyle, RemovesItemsThatTheDeviceDoesNotShow)
{
    const std::string style = "<s><tab><i id=\"10\"/><i id=\"11\"/><i id=\"12\"/></tab><tab><i id=\"2048\"/>"
                              "<i id=\"2064\"/><i id=\"2368\"/><i id=\"2369\"/></tab></s>";
    setshowBeawayFalg(true);
    adapt(style, false, false);
    for (int id : {10, 11, 2048, 2064, 2368, 2369}) EXPECT_EQ(nullptr, item(id)) << id;
    EXPECT_NE(nullptr, item(12));

    setshowBeawayFalg(false);
    adapt(style, true, true);
    EXPECT_EQ(nullptr, item(10));
    for (int id : {11, 12, 2048, 2064, 2368, 2369}) EXPECT_NE(nullptr, item(id)) << id;

    adapt("<s><tab><i id=\"2369\"/><i id=\"2048\"/><i id=\"11\"/></tab></s>", false, true);
    EXPECT_EQ(nullptr, item(2369));
    EXPECT_NE(nullptr, item(2048));
    EXPECT_NE(nullptr, item(11));
}

TEST_F(DynamicStyle, IspCountsAndFailuresAreContained)
{
    std::vector<int32_t> commands;
    for (int i = 0; i < 20; ++i) commands.push_back(300 + i);
    isp_sim::setDynamicCommands(commands, 1000);
    std::vector<int32_t> items(64, 7);
    isp_sim::setRange(300, isp_sim::DynamicRange{0, 5, 0, 0, items, 5000});
    adapt("<s><i id=\"300\" value=\"0\"><o index=\"7\"/><o index=\"8\"/></i></s>");
    EXPECT_EQ((std::vector<int>{7}), options(300));
    size_t rangeQueries = 0;
    for (int32_t cmd : commands) rangeQueries += isp_sim::countCalls(cmd, IA_CMD_OPT_GET_PARAM_RNAGE);
    EXPECT_EQ(16u, rangeQueries);

    // A failed range query leaves the previous command's range in use.
    isp_sim::setDynamicCommands({52, 53});
    isp_sim::setRange(52, isp_sim::DynamicRange{0, 2, 1, 4, {1, 2, 4}, -1});
    adapt(fiveOptions(53, 0));
    EXPECT_EQ((std::vector<int>{1, 2, 4}), options(53));
    EXPECT_EQ("2", value(53));
    EXPECT_TRUE(printed("IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&dnaParamList))   ~~~Assertion failed.\n"));

    // No list: nothing adapted, the removals still apply.
    isp_sim::failCommand(IA_CMD_DYNAMIC_PARAMS_CMDS_GET);
    adapt("<s><i id=\"52\" value=\"0\"><o index=\"0\"/></i><i id=\"10\"/></s>");
    EXPECT_EQ((std::vector<int>{0}), options(52));
    EXPECT_EQ(nullptr, item(10));
    EXPECT_TRUE(printed("IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, (void*)(&dnaCmdList))   ~~~Assertion failed."));
}

TEST_F(DynamicStyle, OptionWithoutIndexStopsTheCommandAndIsReported)
{
    isp_sim::setDynamicCommands({52});
    isp_sim::setRange(52, isp_sim::DynamicRange{0, 2, 1, 4, {1, 2}, -1});
    adapt("<s><i id=\"52\" value=\"0\"><o index=\"0\"/><o index=\"1\"/><o/><o index=\"3\"/></i></s>");
    EXPECT_EQ("2", value(52));
    TiXmlElement* first = item(52)->FirstChildElement();
    EXPECT_STREQ("1", first->Attribute("index"));
    EXPECT_EQ(nullptr, first->NextSiblingElement()->Attribute("index"));
    EXPECT_STREQ("3", first->NextSiblingElement()->NextSiblingElement()->Attribute("index"));
    EXPECT_TRUE(printed("SNS_SUCCESS == doDnaStyle(objStyleXmlDoc.RootElement(), dnaCmdList.cmd_list[i], "
                        "&dnaParamList)   ~~~Assertion failed.\n"));

    adapt("<s><i id=\"52\">");
    EXPECT_EQ("", m_strOut);
    EXPECT_TRUE(printed("objStyleXmlDoc.LoadMem(szStyle, TIXML_ENCODING_UTF8)   ~~~Assertion failed."));
}

TEST_F(DynamicStyle, ElementSearchesStopAtTheFirstMatchOnEachBranch)
{
    TiXmlDocument doc;
    doc.Parse("<s><a id=\"5\" value=\"1\"><b id=\"5\" value=\"9\"/></a><c><d id=\"5\" value=\"2\"/>"
              "<e id=\"5\"/></c><h id=\"112\"/><l id=\"128\"/></s>");
    TiXmlElement* root = doc.RootElement();
    int nValue = -3;
    getDnaValbyCmdId(root, 5, nValue);
    EXPECT_EQ(2, nValue); // last with a value; the nested 9 is not reached
    nValue = -3;
    getDnaValbyCmdId(root, 6, nValue);
    EXPECT_EQ(-3, nValue);

    TiXmlElement* node = nullptr;
    getNodebyCmdId(root, 5, node);
    ASSERT_NE(nullptr, node);
    EXPECT_STREQ("e", node->Value());

    EXPECT_EQ(-1, DeleteNode(root, nullptr));
    EXPECT_EQ(-1, DeleteNode(nullptr, node));
    EXPECT_EQ(0, DeleteNode(root, root));
    EXPECT_EQ(root, doc.RootElement());
    EXPECT_EQ(0, DeleteNode(root, node));
    node = nullptr;
    getNodebyCmdId(root, 5, node);
    EXPECT_STREQ("d", node->Value());

    ModifyNodebyCmdId(root, 112);
    ModifyNodebyCmdId(root, 128);
    ModifyNodebyCmdId(root, 5);
    getNodebyCmdId(root, 112, node);
    EXPECT_STREQ("128", node->Attribute("enable_list"));
    getNodebyCmdId(root, 128, node);
    EXPECT_STREQ("112", node->Attribute("enable_list"));
    getNodebyCmdId(root, 5, node);
    EXPECT_EQ(nullptr, node->Attribute("enable_list"));
}

} // namespace
