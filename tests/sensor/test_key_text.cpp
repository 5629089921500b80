#include "SensorKeyVal.h"
#include "TestRoot.h"
#include "isp_sim.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Found by the vector comparison through KeyVal's own namespace.
static bool operator==(const KeyVal& a, const KeyVal& b)
{
    return a.key == b.key && a.value == b.value;
}

namespace {

std::vector<KeyVal> parse(const std::string& text, u32 capacity = 64)
{
    std::vector<KeyVal> out(capacity + 1, KeyVal{0xdead, 0xbeef});
    u32 count = 12345;
    keyval_str2st(text, out.data(), &count, capacity);
    EXPECT_LE(count, capacity);
    EXPECT_EQ(0xdeadu, out[capacity].key);
    out.resize(count);
    return out;
}

TEST(KeyText, PairsAreWrittenSignedAndAppended)
{
    KeyVal records[] = {{144, 0}, {2368, 0xFFFFFFFFu}, {0x80000000u, 7}};
    std::string out = "x";
    keyval_st2str(out, records, 3);
    EXPECT_EQ("x(144,0)(2368,-1)(-2147483648,7)", out);
}

TEST(KeyText, PairTextEdgeCases)
{
    using V = std::vector<KeyVal>;
    EXPECT_EQ((V{{1, 2}, {3, 4}}), parse("(1,2) (3,4)"));
    EXPECT_EQ(V{}, parse("(1,2"));
    EXPECT_EQ((V{{1, 2}}), parse("(1,2)("));
    EXPECT_EQ((V{{0, 0}, {5, 6}}), parse("(x)(5,6)"));
    EXPECT_EQ(V{}, parse(""));
    // Blanks before a number and signs are read; a blank before the comma
    // ends the pair after the key.
    EXPECT_EQ((V{{0xFFFFFFFBu, 6}, {9, 6}}), parse("( -5, +6)(9 ,1)"));
    // The ")" is searched from the end of the previous pair: the stray one
    // gives an empty piece, which repeats the pair before it.
    EXPECT_EQ((V{{1, 2}, {1, 2}, {3, 4}}), parse("(1,2)x)(3,4)"));
}

TEST(KeyText, LongNumbersKeepTheirLow32BitsAfterSaturating)
{
    using V = std::vector<KeyVal>;
    EXPECT_EQ((V{{0x80000000u, 0xFFFFFFFFu}}), parse("(2147483648,-4294967297)"));
    EXPECT_EQ((V{{0, 1}}), parse("(4294967296,1)"));
    EXPECT_EQ((V{{0xFFFFFFFFu, 0}}), parse("(99999999999999999999999,-99999999999999999999999)"));
}

TEST(KeyText, CapacityAndLongTexts)
{
    using V = std::vector<KeyVal>;
    EXPECT_EQ((V{{1, 1}, {2, 2}}), parse("(1,1)(2,2)(3,3)(4,4)", 2));
    EXPECT_EQ(V{}, parse("(1,1)", 0));

    std::vector<KeyVal> records;
    for (u32 i = 0; i < 50000; ++i) records.push_back(KeyVal{i, 0u - i});
    std::string text;
    keyval_st2str(text, records.data(), static_cast<u32>(records.size()));
    EXPECT_EQ(records, parse(text, 50000));
    EXPECT_EQ(V{}, parse("(" + std::string(100000, '7')));
}

class KeyCorrect : public testing::Test {
protected:
    void SetUp() override { isp_sim::reset(); }
    TestRoot m_root;
};

TEST_F(KeyCorrect, ListedCommandsAreCorrectedInPlace)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(-1, keyval_correct(0, nullptr, 3));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("NULL != p_pKeyval   ~~~Assertion failed."));

    KeyVal set[] = {{49, 18}, {50, 3}, {49, 40}};
    isp_sim::setDynamicCommands({77, 49});
    isp_sim::setRange(49, isp_sim::DynamicRange{0, 10, 0, 0, {10, 20, 30}, -1});
    testing::internal::CaptureStdout();
    EXPECT_EQ(SNS_SUCCESS, keyval_correct(2, set, 3));
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, console.find("[sensor assert]"));
    EXPECT_NE(std::string::npos, console.find("cmd_list[0]=77\n"));
    EXPECT_EQ(std::string::npos, console.find("Assertion failed"));
    EXPECT_EQ(20u, set[0].value);
    EXPECT_EQ(3u, set[1].value);
    EXPECT_EQ(40u, set[2].value); // only the first record of a key
    ASSERT_EQ(1u, isp_sim::countCalls(49, IA_CMD_OPT_CORRECT_PARAM));
    EXPECT_EQ(2, isp_sim::calls(49, IA_CMD_OPT_CORRECT_PARAM).front().channel);

    isp_sim::setDynamicCommands({});
    set[0].value = 18;
    EXPECT_EQ(SNS_SUCCESS, keyval_correct(2, set, 3));
    EXPECT_EQ(18u, set[0].value);
    EXPECT_EQ(1u, isp_sim::countCalls(49, IA_CMD_OPT_CORRECT_PARAM));
}

} // namespace
