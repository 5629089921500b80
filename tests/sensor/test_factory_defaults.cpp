// Factory records read from a style page: document order, dynamic style, capacity.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestHelpers.h"

namespace {

class FactoryDefaults : public testing::Test {
protected:
    void SetUp() override
    {
        isp_sim::reset();
        setshowBeawayFalg(false);
    }
    void TearDown() override { setshowBeawayFalg(true); }

    // "key=value " of the records of camera 1; a guard record behind the capacity must stay.
    std::string records(std::string style, u32 capacity = 16, bool showWdr = true)
    {
        Records array(capacity + 1, KeyVal{0xdead, 0xbeef});
        u32 count = 12345;
        m_strConsole = printedBy(
            [&] { EXPECT_EQ(SNS_SUCCESS, getFctDataBounded(1, &style[0], array.data(), &count, showWdr, true, capacity)); });
        EXPECT_LE(count, capacity);
        EXPECT_EQ(0xdeadu, array[capacity].key);
        std::string text;
        for (u32 i = 0; i < count && i < capacity; ++i)
            text += std::to_string(array[i].key) + "=" + std::to_string(array[i].value) + " ";
        return text;
    }
    bool printed(const char* part) const { return has(m_strConsole, part); }

    TestRoot m_root;
    std::string m_strConsole;
};

TEST_F(FactoryDefaults, RecordsFollowDocumentOrderParentsFirstUpToTheCapacity)
{
    // Tab A's "id" has no value: no record, its items still follow.
    EXPECT_EQ("1=5 3=4294967295 7=8 2=6 4=0 1=0 ",
              records("<s><tab id=\"A\"><i id=\"1\" value=\"5\"/><i id=\"3\" value=\"-1\"><i id=\"7\" value=\"8\"/></i>"
                      "</tab><tab><i id=\"2\" value=\"6\"/><i id=\"9\"><i id=\"4\" value=\"x\"/></i>"
                      "<i id=\"1\" value=\"0\"/></tab></s>"));

    m_root.writeFile("/tmp/Debug.sign", "4\n0\n");
    const std::string style = "<s><i id=\"1\" value=\"1\"/><i id=\"2\" value=\"2\"><i id=\"3\" value=\"3\"/></i>"
                              "<i id=\"4\" value=\"4\"/><i id=\"5\" value=\"5\"/></s>";
    EXPECT_EQ("1=1 2=2 ", records(style, 2));
    EXPECT_TRUE(printed("[sensor warn] file:SensorFile fun:style2KeyVal"));
    EXPECT_TRUE(printed("3 style items left out: the array holds 2 records"));
    EXPECT_EQ("1=1 2=2 3=3 4=4 5=5 ", records(style, 5));
    EXPECT_FALSE(printed("left out"));
    EXPECT_EQ("", records(style, 0));
}

TEST_F(FactoryDefaults, RecordsComeFromTheDynamicStyle)
{
    isp_sim::setDynamicCommands({52});
    isp_sim::setRange(52, isp_sim::DynamicRange{0, 3, 0, 0, {3}, -1});
    const std::string style = "<s><i id=\"10\" value=\"1\"/><i id=\"52\" value=\"0\"/><i id=\"2368\" value=\"1\"/></s>";
    EXPECT_EQ("52=3 ", records(style, 16, false));
    EXPECT_EQ("", records("<s><i id=\"1\" value=\"1\">"));
    EXPECT_TRUE(printed("objDnaStyleDoc.LoadMem(strDnaStyle.c_str(), TIXML_ENCODING_UTF8)   ~~~Assertion"));
}

} // namespace
