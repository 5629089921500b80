// Dynamic style: the ISP's option lists and defaults, the customised shutter
// list, removals by display flags and the element searches behind them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestHelpers.h"

namespace {

using Ints = std::vector<int>;

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
        m_strConsole =
            printedBy([&] { EXPECT_EQ(SNS_SUCCESS, getDnaStyle(1, style.c_str(), m_strOut, showWdr, showLdc)); });
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
    // The "index" of every option of the item, "-" where it has none.
    std::string options(int id)
    {
        std::string indexes;
        for (TiXmlElement* o = item(id)->FirstChildElement(); o != nullptr; o = o->NextSiblingElement())
            indexes += std::string(o->Attribute("index") != nullptr ? o->Attribute("index") : "-") + " ";
        return indexes;
    }
    bool printed(const std::string& text) const { return has(m_strConsole, text); }

    TestRoot m_root;
    std::string m_strOut;
    std::string m_strConsole;
    TiXmlDocument m_doc;
};

std::string fiveOptions(int id, int value)
{
    return "<s><tab><item id=\"" + std::to_string(id) + "\" value=\"" + std::to_string(value) +
           "\"><o index=\"0\"/><o index=\"1\"/><o index=\"2\"/><o index=\"3\"/><o index=\"4\"/></item></tab></s>";
}

TEST_F(DynamicStyle, OptionsFollowTheIspAndOnlyShutterOrFocusKeepAnAllowedValue)
{
    m_root.writeFile("/tmp/Debug.sign", "6\n0\n");
    const struct {
        int cmd, styleValue;
        const char* value;
        bool kept;
    } cases[] = {{50, 4, "4", true}, {50, 3, "2", false}, {49, 100, "2", false}, {52, 4, "2", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cmd << " = " << c.styleValue);
        isp_sim::reset();
        isp_sim::setDynamicCommands({c.cmd});
        isp_sim::setRange(c.cmd, isp_sim::DynamicRange{0, 2, 1, 4, {1, 2, 4}, -1});
        adapt(fiveOptions(c.cmd, c.styleValue));
        EXPECT_EQ("1 2 4 ", options(c.cmd));
        EXPECT_EQ(c.value, value(c.cmd));
        EXPECT_EQ(c.cmd == 50, printed("dnaCmdList.cmd_list[0] = dnaParamList.items_cnt(3)\n"));
        EXPECT_EQ(c.kept, printed(" dnaParamList.item[2] = 4 nVal = 4 \n"));
        ASSERT_EQ(1u, isp_sim::countCalls(c.cmd, IA_CMD_OPT_GET_PARAM_RNAGE));
        EXPECT_EQ(0, isp_sim::calls(c.cmd).front().channel);
    }
    EXPECT_TRUE(printed("[sensor dbg] file:SensorFile fun:doDnaStyle"));
    EXPECT_TRUE(printed("_________________cmd(52) default(2)__________________\n"));
    EXPECT_TRUE(printed("_________________delete comboitem(0)__________________\n"));
    EXPECT_TRUE(printed("_________________delete comboitem(3)__________________\n"));
    EXPECT_FALSE(printed("delete comboitem(1)"));
    EXPECT_TRUE(printed("dnaCmdList.cmd_cnt(1)\n"));
    EXPECT_FALSE(printed("dnaParamList.items_cnt"));
}

TEST_F(DynamicStyle, CustomisedMaxShutterListsTheItemsOwnOptionsUpToSixtyFour)
{
    isp_sim::setDynamicCommands({49});
    isp_sim::setRange(49, isp_sim::DynamicRange{0, 1, 1, 2, {1, 2}, -1});
    adapt(fiveOptions(49, 203));
    EXPECT_EQ("0 1 2 3 4 ", options(49));
    EXPECT_EQ("3", value(49));

    // Options without "index" are skipped.
    std::string many = "<item id=\"49\"><o/>";
    for (int i = 0; i < 70; ++i) many += "<o index=\"" + std::to_string(i + 10) + "\"/>";
    TiXmlDocument doc;
    doc.Parse((many + "</item>").c_str());
    ia_dynamic_params_attr_st range{};
    range.min = -7;
    EXPECT_EQ(0, doCustomizeStyle(doc.RootElement(), 49, &range));
    EXPECT_EQ((Ints{64, 10, 73, 73}), (Ints{range.items_cnt, range.min, range.max, range.item[63]}));

    doc.Clear();
    doc.Parse("<item id=\"49\" value=\"1\"/>");
    range.min = -7;
    EXPECT_EQ(0, doCustomizeStyle(doc.RootElement(), 49, &range));
    EXPECT_EQ((Ints{0, -7, 0}), (Ints{range.items_cnt, range.min, range.max}));
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
    for (int id : {2048, 11}) EXPECT_NE(nullptr, item(id)) << id;
}

TEST_F(DynamicStyle, IspCountsAndFailuresAreContained)
{
    std::vector<int32_t> commands;
    for (int i = 0; i < 20; ++i) commands.push_back(300 + i);
    isp_sim::setDynamicCommands(commands, 1000);
    isp_sim::setRange(300, isp_sim::DynamicRange{0, 5, 0, 0, std::vector<int32_t>(64, 7), 5000});
    adapt("<s><i id=\"300\" value=\"0\"><o index=\"7\"/><o index=\"8\"/></i></s>");
    EXPECT_EQ("7 ", options(300));
    size_t rangeQueries = 0;
    for (int32_t cmd : commands) rangeQueries += isp_sim::countCalls(cmd, IA_CMD_OPT_GET_PARAM_RNAGE);
    EXPECT_EQ(16u, rangeQueries);

    // A failed range query leaves the previous command's range in use.
    isp_sim::setDynamicCommands({52, 53});
    isp_sim::setRange(52, isp_sim::DynamicRange{0, 2, 1, 4, {1, 2, 4}, -1});
    adapt(fiveOptions(53, 0));
    EXPECT_EQ("1 2 4 ", options(53));
    EXPECT_EQ("2", value(53));
    EXPECT_TRUE(printed("IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&dnaParamList))   ~~~Assertion failed.\n"));

    // An option without index stops that command and is reported.
    isp_sim::setRange(52, isp_sim::DynamicRange{0, 2, 1, 4, {1, 2}, -1});
    adapt("<s><i id=\"52\" value=\"0\"><o index=\"0\"/><o index=\"1\"/><o/><o index=\"3\"/></i></s>");
    EXPECT_EQ("2", value(52));
    EXPECT_EQ("1 - 3 ", options(52));
    EXPECT_TRUE(printed("SNS_SUCCESS == doDnaStyle(objStyleXmlDoc.RootElement(), dnaCmdList.cmd_list[i], "
                        "&dnaParamList)   ~~~Assertion failed.\n"));

    // No list: nothing adapted, the removals still apply.
    isp_sim::failCommand(IA_CMD_DYNAMIC_PARAMS_CMDS_GET);
    adapt("<s><i id=\"52\" value=\"0\"><o index=\"0\"/></i><i id=\"10\"/></s>");
    EXPECT_EQ("0 ", options(52));
    EXPECT_EQ(nullptr, item(10));
    EXPECT_TRUE(printed("IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, (void*)(&dnaCmdList))   ~~~Assertion"));

    adapt("<s><i id=\"52\">");
    EXPECT_EQ("", m_strOut);
    EXPECT_TRUE(printed("objStyleXmlDoc.LoadMem(szStyle, TIXML_ENCODING_UTF8)   ~~~Assertion failed."));
}

TEST_F(DynamicStyle, ElementSearchesStopAtTheFirstMatchOnEachBranch)
{
    m_doc.Parse("<s><a id=\"5\" value=\"1\"><b id=\"5\" value=\"9\"/></a><c><d id=\"5\" value=\"2\"/>"
                "<e id=\"5\"/></c><h id=\"112\"/><l id=\"128\"/></s>");
    TiXmlElement* root = m_doc.RootElement();
    int found = -3;
    getDnaValbyCmdId(root, 5, found);
    EXPECT_EQ(2, found); // the last with a value; the nested 9 is not reached
    EXPECT_STREQ("e", item(5)->Value());
    EXPECT_EQ((Ints{-1, -1, 0}),
              (Ints{DeleteNode(root, nullptr), DeleteNode(nullptr, item(5)), DeleteNode(root, root)}));
    EXPECT_EQ(0, DeleteNode(m_doc.RootElement(), item(5)));
    EXPECT_STREQ("d", item(5)->Value());
    for (int id : {112, 128, 5}) ModifyNodebyCmdId(root, id);
    EXPECT_STREQ("128", item(112)->Attribute("enable_list"));
    EXPECT_STREQ("112", item(128)->Attribute("enable_list"));
    EXPECT_EQ(nullptr, item(5)->Attribute("enable_list"));
}

} // namespace
