#include "isp_sim.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

int correct(uint32_t cmd, int32_t& v)
{
    return ia_ioctrl_v2(0, static_cast<ia_cmd_e>(cmd), IA_CMD_OPT_CORRECT_PARAM, &v);
}

class IspCorrection : public testing::Test {
protected:
    void SetUp() override { isp_sim::reset(); }
};

TEST_F(IspCorrection, MovesToNearestItemWithTiesGoingLower)
{
    isp_sim::DynamicRange shutter;
    shutter.items = {1, 2, 4, 8, 16, 33};
    isp_sim::setRange(49, shutter);
    const struct { int32_t in, out; } cases[] = {
        {3, 2}, {6, 4}, {7, 8}, {24, 16}, {25, 33}, {-100, 1}, {1000, 33}, {16, 16}};
    for (const auto& c : cases) {
        int32_t v = c.in;
        EXPECT_EQ(0, correct(49, v));
        EXPECT_EQ(c.out, v) << "from " << c.in;
    }

    isp_sim::DynamicRange unsorted;
    unsorted.items = {8, 4};
    isp_sim::setRange(50, unsorted);
    int32_t v = 6;
    correct(50, v);
    EXPECT_EQ(4, v);

    isp_sim::DynamicRange extremes;
    extremes.items = {INT32_MIN, INT32_MAX};
    isp_sim::setRange(51, extremes);
    v = 0;
    correct(51, v);
    EXPECT_EQ(INT32_MAX, v);

    const isp_sim::IspCall last = isp_sim::trace().back();
    EXPECT_EQ(0, last.value);
    EXPECT_EQ(INT32_MAX, last.corrected);
}

TEST_F(IspCorrection, ClampsWithoutItemsAndLeavesUnrangedValues)
{
    isp_sim::DynamicRange iris;
    iris.kind = 1;
    iris.min = 256;
    iris.max = 25600;
    isp_sim::setRange(82, iris);
    const struct { int32_t in, out; } cases[] = {{100, 256}, {30000, 25600}, {1000, 1000}};
    for (const auto& c : cases) {
        int32_t v = c.in;
        EXPECT_EQ(0, correct(82, v));
        EXPECT_EQ(c.out, v);
    }

    int32_t v = 1234;
    EXPECT_EQ(0, correct(1537, v));
    EXPECT_EQ(1234, v);

    isp_sim::failCommand(82, IA_CMD_OPT_CORRECT_PARAM);
    v = 100;
    EXPECT_EQ(-1, correct(82, v));
    EXPECT_EQ(100, v);
    EXPECT_EQ("0\t82\tCORRECT\t100->100\tfail -1", isp_sim::formatCall(isp_sim::trace().back()));
}

} // namespace
