#include "isp_sim.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>

namespace {

int ask(uint32_t cmd, uint32_t opt, void* data)
{
    return ia_ioctrl_v2(0, static_cast<ia_cmd_e>(cmd), opt, data);
}

int32_t corrected(uint32_t cmd, int32_t v, int expectedResult = 0)
{
    EXPECT_EQ(expectedResult, ask(cmd, IA_CMD_OPT_CORRECT_PARAM, &v));
    return v;
}

TEST(IspCorrection, NearestItemWithTiesGoingLowerOrClampWithoutItems)
{
    isp_sim::reset();
    isp_sim::setRange(49, {0, 0, 0, 0, {1, 2, 4, 8, 16, 33}, -1});
    const int32_t cases[][2] = {{3, 2}, {6, 4}, {7, 8}, {24, 16}, {25, 33}, {-100, 1}, {1000, 33}, {16, 16}};
    for (const auto& c : cases) EXPECT_EQ(c[1], corrected(49, c[0])) << "from " << c[0];
    isp_sim::setRange(50, {0, 0, 0, 0, {8, 4}, -1});
    EXPECT_EQ(4, corrected(50, 6));
    isp_sim::setRange(51, {0, 0, 0, 0, {INT32_MIN, INT32_MAX}, -1});
    EXPECT_EQ(INT32_MAX, corrected(51, 0));
    const isp_sim::IspCall last = isp_sim::trace().back();
    EXPECT_EQ(std::make_pair(0, INT32_MAX), std::make_pair(last.value, last.corrected));

    isp_sim::setRange(82, {1, 0, 256, 25600, {}, -1});
    EXPECT_EQ(256, corrected(82, 100));
    EXPECT_EQ(25600, corrected(82, 30000));
    EXPECT_EQ(1000, corrected(82, 1000));
    EXPECT_EQ(1234, corrected(1537, 1234)); // no range: left alone
    isp_sim::failCommand(82, IA_CMD_OPT_CORRECT_PARAM);
    EXPECT_EQ(100, corrected(82, 100, -1));
    EXPECT_EQ("0\t82\tCORRECT\t100->100\tfail -1", isp_sim::formatCall(isp_sim::trace().back()));
}

TEST(IspRangeList, PublishesListAndRangeRecords)
{
    isp_sim::reset();
    ia_dynamic_cmd_list_st list{};
    EXPECT_EQ(0, ask(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &list));
    EXPECT_EQ(0, list.cmd_cnt);
    isp_sim::setDynamicCommands({49, 50, 82});
    EXPECT_EQ(0, ask(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &list));
    EXPECT_EQ((std::vector<int32_t>{3, 49, 50, 82}), isp_sim::trace().back().record);
    EXPECT_EQ(3, list.cmd_cnt);
    EXPECT_EQ(82, list.cmd_list[2]);

    isp_sim::setRange(49, {0, 2, 1, 4, {1, 2, 4}, -1});
    ia_dynamic_params_attr_st range{};
    EXPECT_EQ(0, ask(49, IA_CMD_OPT_GET_PARAM_RNAGE, &range));
    EXPECT_EQ(3, range.items_cnt);
    EXPECT_EQ(4, range.item[2]);
    EXPECT_EQ("0\t49\tRANGE\t0 2 1 4 3 1 2 4\tok", isp_sim::formatCall(isp_sim::trace().back()));

    // No range, or a forced failure: -1 and the record is left alone.
    std::memset(&range, 0x5a, sizeof(range));
    EXPECT_EQ(-1, ask(50, IA_CMD_OPT_GET_PARAM_RNAGE, &range));
    isp_sim::failCommand(49, IA_CMD_OPT_GET_PARAM_RNAGE);
    EXPECT_EQ(-1, ask(49, IA_CMD_OPT_GET_PARAM_RNAGE, &range));
    EXPECT_EQ(0x5a5a5a5a, range.items_cnt);
    isp_sim::failCommand(IA_CMD_DYNAMIC_PARAMS_CMDS_GET);
    std::memset(&list, 0, sizeof(list));
    EXPECT_EQ(-1, ask(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &list));
    EXPECT_EQ(0, list.cmd_cnt);
}

// Records live on the heap at their exact size so that AddressSanitizer
// reports any write past them.
TEST(IspRangeList, CountsPastCapacityWriteOnlyWhatFits)
{
    isp_sim::reset();
    std::vector<int32_t> many;
    for (int32_t c = 1; c <= 20; ++c) many.push_back(c);
    isp_sim::setDynamicCommands(many);
    auto list = std::make_unique<ia_dynamic_cmd_list_st>();
    EXPECT_EQ(0, ask(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, list.get()));
    EXPECT_EQ(20, list->cmd_cnt);
    EXPECT_EQ(16, list->cmd_list[15]);
    isp_sim::setDynamicCommands({49}, 40);
    EXPECT_EQ(0, ask(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, list.get()));
    EXPECT_EQ(40, list->cmd_cnt);
    EXPECT_EQ(0, list->cmd_list[1]);

    isp_sim::DynamicRange wide;
    for (int32_t i = 0; i < 100; ++i) wide.items.push_back(i * 10);
    isp_sim::setRange(1537, wide);
    auto range = std::make_unique<ia_dynamic_params_attr_st>();
    EXPECT_EQ(0, ask(1537, IA_CMD_OPT_GET_PARAM_RNAGE, range.get()));
    EXPECT_EQ(100, range->items_cnt);
    EXPECT_EQ(630, range->item[63]);
    EXPECT_EQ(5u + 64u, isp_sim::trace().back().record.size());
    isp_sim::setRange(1537, {0, 0, 0, 0, {1, 2, 3}, 200});
    EXPECT_EQ(0, ask(1537, IA_CMD_OPT_GET_PARAM_RNAGE, range.get()));
    EXPECT_EQ(200, range->items_cnt);
    EXPECT_EQ(0, range->item[3]);
}

} // namespace
