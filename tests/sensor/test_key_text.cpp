// Pair text of key records, and the ISP's in-place correction of a set.
#include "SensorKeyVal.h"
#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Found by the vector comparison through KeyVal's own namespace.
static bool operator==(const KeyVal& a, const KeyVal& b) { return a.key == b.key && a.value == b.value; }

namespace {

// Parses into an array with a guard record behind the capacity.
Records parse(const std::string& text, u32 capacity = 64)
{
    Records out(capacity + 1, KeyVal{0xdead, 0xbeef});
    u32 count = 12345;
    keyval_str2stBounded(text, out.data(), &count, capacity);
    EXPECT_LE(count, capacity);
    EXPECT_EQ(0xdeadu, out[capacity].key);
    out.resize(count);
    return out;
}

TEST(KeyText, PairsAreWrittenSignedAndReadWithTheirEdgeCases)
{
    KeyVal records[] = {{144, 0}, {2368, 0xFFFFFFFFu}, {0x80000000u, 7}};
    std::string out = "x";
    keyval_st2str(out, records, 3);
    EXPECT_EQ("x(144,0)(2368,-1)(-2147483648,7)", out);

    const struct { const char* text; u32 capacity; Records expected; } cases[] = {
        {"(1,2) (3,4)", 64, {{1, 2}, {3, 4}}}, {"(1,2", 64, {}}, {"(1,2)(", 64, {{1, 2}}}, {"", 64, {}},
        {"(x)(5,6)", 64, {{0, 0}, {5, 6}}}, {"(1,1)(2,2)(3,3)(4,4)", 2, {{1, 1}, {2, 2}}}, {"(1,1)", 0, {}},
        // Blanks before a number and signs are read; a blank before the comma ends the pair.
        {"( -5, +6)(9 ,1)", 64, {{0xFFFFFFFBu, 6}, {9, 6}}},
        // A stray ")" gives an empty piece, which repeats the pair before it.
        {"(1,2)x)(3,4)", 64, {{1, 2}, {1, 2}, {3, 4}}},
        // Long numbers keep their low 32 bits after saturating.
        {"(2147483648,-4294967297)", 64, {{0x80000000u, 0xFFFFFFFFu}}}, {"(4294967296,1)", 64, {{0, 1}}},
        {"(99999999999999999999999,-99999999999999999999999)", 64, {{0xFFFFFFFFu, 0}}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, parse(c.text, c.capacity)) << c.text;

    Records many;
    for (u32 i = 0; i < 50000; ++i) many.push_back(KeyVal{i, 0u - i});
    std::string text;
    keyval_st2str(text, many.data(), static_cast<u32>(many.size()));
    EXPECT_EQ(many, parse(text, 50000));
    EXPECT_EQ(Records{}, parse("(" + std::string(100000, '7')));
}

TEST(KeyCorrect, ListedCommandsAreCorrectedInPlace)
{
    TestRoot root;
    isp_sim::reset();
    const std::string refused = printedBy([] { EXPECT_EQ(-1, keyval_correct(0, nullptr, 3)); });
    EXPECT_TRUE(has(refused, "NULL != p_pKeyval   ~~~Assertion failed."));

    KeyVal set[] = {{49, 18}, {50, 3}, {49, 40}};
    isp_sim::setDynamicCommands({77, 49});
    isp_sim::setRange(49, isp_sim::DynamicRange{0, 10, 0, 0, {10, 20, 30}, -1});
    const std::string console = printedBy([&] { EXPECT_EQ(SNS_SUCCESS, keyval_correct(2, set, 3)); });
    EXPECT_TRUE(has(console, "[sensor assert]")) << console;
    EXPECT_TRUE(has(console, "cmd_list[0]=77\n")) << console;
    EXPECT_FALSE(has(console, "Assertion failed"));
    EXPECT_EQ((Records{{49, 20}, {50, 3}, {49, 40}}), Records(set, set + 3)); // first record of a key only
    ASSERT_EQ(1u, isp_sim::countCalls(49, IA_CMD_OPT_CORRECT_PARAM));
    EXPECT_EQ(2, isp_sim::calls(49, IA_CMD_OPT_CORRECT_PARAM).front().channel);

    isp_sim::setDynamicCommands({});
    set[0].value = 18;
    EXPECT_EQ(SNS_SUCCESS, keyval_correct(2, set, 3));
    EXPECT_EQ(18u, set[0].value);
    EXPECT_EQ(1u, isp_sim::countCalls(49, IA_CMD_OPT_CORRECT_PARAM));
}

} // namespace
