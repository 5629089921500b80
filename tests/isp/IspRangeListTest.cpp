#include "isp_sim.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

int ask(uint32_t cmd, uint32_t opt, void* data)
{
    return ia_ioctrl_v2(0, static_cast<ia_cmd_e>(cmd), opt, data);
}

class IspRangeList : public testing::Test {
protected:
    void SetUp() override { isp_sim::reset(); }
};

TEST_F(IspRangeList, PublishesListAndRangeRecords)
{
    ia_dynamic_cmd_list_st list{};
    EXPECT_EQ(0, ask(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &list));
    EXPECT_EQ(0, list.cmd_cnt);

    isp_sim::setDynamicCommands({49, 50, 82});
    EXPECT_EQ(0, ask(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &list));
    EXPECT_EQ(3, list.cmd_cnt);
    EXPECT_EQ(82, list.cmd_list[2]);
    EXPECT_EQ(0, list.cmd_list[3]);
    EXPECT_EQ((std::vector<int32_t>{3, 49, 50, 82}), isp_sim::trace().back().record);

    isp_sim::DynamicRange shutter;
    shutter.defaultValue = 2;
    shutter.min = 1;
    shutter.max = 4;
    shutter.items = {1, 2, 4};
    isp_sim::setRange(49, shutter);
    ia_dynamic_params_attr_st range{};
    EXPECT_EQ(0, ask(49, IA_CMD_OPT_GET_PARAM_RNAGE, &range));
    EXPECT_EQ(0, range.kind);
    EXPECT_EQ(2, range.default_val);
    EXPECT_EQ(1, range.min);
    EXPECT_EQ(4, range.max);
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
TEST_F(IspRangeList, CountsPastCapacityWriteOnlyWhatFits)
{
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
    EXPECT_EQ(49, list->cmd_list[0]);
    EXPECT_EQ(0, list->cmd_list[1]);

    isp_sim::DynamicRange wide;
    for (int32_t i = 0; i < 100; ++i) wide.items.push_back(i * 10);
    isp_sim::setRange(1537, wide);
    auto range = std::make_unique<ia_dynamic_params_attr_st>();
    EXPECT_EQ(0, ask(1537, IA_CMD_OPT_GET_PARAM_RNAGE, range.get()));
    EXPECT_EQ(100, range->items_cnt);
    EXPECT_EQ(630, range->item[63]);
    EXPECT_EQ(5u + 64u, isp_sim::trace().back().record.size());

    isp_sim::DynamicRange overstated;
    overstated.items = {1, 2, 3};
    overstated.reportedItems = 200;
    isp_sim::setRange(1537, overstated);
    EXPECT_EQ(0, ask(1537, IA_CMD_OPT_GET_PARAM_RNAGE, range.get()));
    EXPECT_EQ(200, range->items_cnt);
    EXPECT_EQ(3, range->item[2]);
    EXPECT_EQ(0, range->item[3]);
}

} // namespace
