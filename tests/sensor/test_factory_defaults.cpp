#include "ISensorController.h"
#include "SensorFile.h"
#include "TestRoot.h"
#include "isp_sim.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FactoryDefaults : public testing::Test {
protected:
    void SetUp() override
    {
        isp_sim::reset();
        setshowBeawayFalg(false);
    }
    void TearDown() override { setshowBeawayFalg(true); }

    // Factory records of the style on camera 1, with an array of capacity
    // records behind which a guard record must stay untouched.
    std::vector<KeyVal> records(std::string style, u32 capacity = 16, bool showWdr = true)
    {
        std::vector<KeyVal> array(capacity + 1, KeyVal{0xdead, 0xbeef});
        u32 count = 12345;
        testing::internal::CaptureStdout();
        EXPECT_EQ(SNS_SUCCESS, getFctData(1, style.data(), array.data(), &count, showWdr, true, capacity));
        m_strConsole = testing::internal::GetCapturedStdout();
        EXPECT_LE(count, capacity);
        EXPECT_EQ(0xdeadu, array[capacity].key);
        array.resize(count);
        return array;
    }
    static std::vector<u32> keys(const std::vector<KeyVal>& array)
    {
        std::vector<u32> result;
        for (const KeyVal& record : array) result.push_back(record.key);
        return result;
    }

    TestRoot m_root;
    std::string m_strConsole;
};

TEST_F(FactoryDefaults, RecordsFollowDocumentOrderParentsFirst)
{
    const std::vector<KeyVal> array =
        records("<s><tab id=\"A\"><i id=\"1\" value=\"5\"/><i id=\"3\" value=\"-1\"><i id=\"7\" value=\"8\"/></i>"
                "</tab><tab><i id=\"2\" value=\"6\"/><i id=\"9\"><i id=\"4\" value=\"x\"/></i>"
                "<i id=\"1\" value=\"0\"/></tab></s>");
    // Tab A's "id" has no value: no record, its items still follow.
    EXPECT_EQ((std::vector<u32>{1, 3, 7, 2, 4, 1}), keys(array));
    EXPECT_EQ(5u, array[0].value);
    EXPECT_EQ(4294967295u, array[1].value);
    EXPECT_EQ(0u, array[4].value);
    EXPECT_EQ(0u, array[5].value);
}

TEST_F(FactoryDefaults, RecordsComeFromTheDynamicStyle)
{
    isp_sim::setDynamicCommands({52});
    isp_sim::setRange(52, isp_sim::DynamicRange{0, 3, 0, 0, {3}, -1});
    const std::vector<KeyVal> array = records(
        "<s><i id=\"10\" value=\"1\"/><i id=\"52\" value=\"0\"/><i id=\"2368\" value=\"1\"/></s>", 16, false);
    ASSERT_EQ((std::vector<u32>{52}), keys(array));
    EXPECT_EQ(3u, array[0].value);

    EXPECT_TRUE(records("<s><i id=\"1\" value=\"1\">").empty());
    EXPECT_NE(std::string::npos,
              m_strConsole.find("objDnaStyleDoc.LoadMem(strDnaStyle.c_str(), TIXML_ENCODING_UTF8)   ~~~Assertion"));
}

TEST_F(FactoryDefaults, ItemsPastTheCapacityAreLeftOutAndReported)
{
    m_root.writeFile("/tmp/Debug.sign", "4\n0\n");
    const std::string style = "<s><i id=\"1\" value=\"1\"/><i id=\"2\" value=\"2\"><i id=\"3\" value=\"3\"/></i>"
                              "<i id=\"4\" value=\"4\"/><i id=\"5\" value=\"5\"/></s>";
    EXPECT_EQ((std::vector<u32>{1, 2}), keys(records(style, 2)));
    EXPECT_NE(std::string::npos, m_strConsole.find("[sensor warn] file:SensorFile fun:style2KeyVal"));
    EXPECT_NE(std::string::npos, m_strConsole.find("3 style items left out: the array holds 2 records"));

    EXPECT_EQ(5u, records(style, 5).size());
    EXPECT_EQ(std::string::npos, m_strConsole.find("left out"));
    EXPECT_TRUE(records(style, 0).empty());
}

} // namespace
