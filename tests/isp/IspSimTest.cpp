// What the library's tests and sensorctl take on trust from the simulated ISP:
// the trace lines sensorctl prints, records that report counts past their
// capacity but write only what fits, a reset that forgets everything, and a
// trace that loses no call between threads.
#include "isp_sim.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace {

int ask(int ch, uint32_t cmd, uint32_t opt, void* data)
{
    return ia_ioctrl_v2(ch, static_cast<ia_cmd_e>(cmd), opt, data);
}

TEST(IspTrace, EachKindOfCallHasItsLineAndAFailureChangesNothing)
{
    isp_sim::reset();
    int32_t v = 50;
    dn_thr_st thr{70, 30, 5};
    ia_dynamic_params_attr_st range{};
    char version[IA_CAMERA_VERSION_LEN] = {};
    isp_sim::setRange(49, {0, 2, 1, 4, {1, 2, 4}, -1});
    isp_sim::failCommand(35, IA_CMD_OPT_SET);
    const struct {
        std::function<int()> call;
        int result;
        const char* line;
    } cases[] = {
        {[&] { return ask(1, 34, IA_CMD_OPT_SET, &v); }, 0, "1\t34\tSET\t50\tok"},
        {[&] { return ask(1, 34, IA_CMD_OPT_GET, &v); }, 0, "1\t34\tGET\t50\tok"},
        {[&] { return ask(2, 34, IA_CMD_OPT_GET, &v); }, 0, "2\t34\tGET\t0\tok"},
        {[&] { return ask(0, 146, IA_CMD_OPT_SET, &thr); }, 0, "0\t146\tSET\t70 30 5\tok"},
        {[&] { return ask(0, 49, IA_CMD_OPT_CORRECT_PARAM, &(v = 3)); }, 0, "0\t49\tCORRECT\t3->2\tok"},
        {[&] { return ask(0, 49, IA_CMD_OPT_GET_PARAM_RNAGE, &range); }, 0, "0\t49\tRANGE\t0 2 1 4 3 1 2 4\tok"},
        {[&] { return ask(0, IA_CMD_CAMERA_VERSION, IA_CMD_OPT_GET, version); }, 0,
         "0\t2496\tGET\t\"SIM-ISP 1.0\"\tok"},
        {[&] { return ask(0, 35, IA_CMD_OPT_SET, &(v = 9)); }, -1, "0\t35\tSET\t9\tfail -1"},
        {[&] { return ask(0, 34, IA_CMD_OPT_SET, nullptr); }, -1, "0\t34\tSET\tnull\tfail -1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result, c.call()) << c.line;
        EXPECT_EQ(c.line, isp_sim::formatCall(isp_sim::trace().back()));
    }
    EXPECT_EQ(0, isp_sim::value(0, 35));
    EXPECT_EQ(50, isp_sim::value(1, 34));
}

// Records live on the heap at their exact size so that AddressSanitizer
// reports any write past them.
TEST(IspRangeList, CountsPastCapacityWriteOnlyWhatFits)
{
    isp_sim::reset();
    auto list = std::make_unique<ia_dynamic_cmd_list_st>();
    isp_sim::setDynamicCommands({49}, 40);
    EXPECT_EQ(0, ask(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, list.get()));
    EXPECT_EQ(40, list->cmd_cnt);
    EXPECT_EQ(49, list->cmd_list[0]);
    EXPECT_EQ(0, list->cmd_list[1]);

    isp_sim::DynamicRange wide;
    for (int32_t i = 0; i < 100; ++i) wide.items.push_back(i * 10);
    isp_sim::setRange(1537, wide);
    auto range = std::make_unique<ia_dynamic_params_attr_st>();
    EXPECT_EQ(0, ask(0, 1537, IA_CMD_OPT_GET_PARAM_RNAGE, range.get()));
    EXPECT_EQ(100, range->items_cnt);
    EXPECT_EQ(630, range->item[63]);
}

TEST(IspSim, ResetForgetsEverythingAndThreadsLoseNoCall)
{
    isp_sim::reset();
    int32_t v = 3;
    dn_thr_st thr{1, 2, 3};
    ask(2, 16, IA_CMD_OPT_SET, &v);
    ask(0, 146, IA_CMD_OPT_SET, &thr);
    isp_sim::setRange(49, isp_sim::DynamicRange{0, 1, 1, 1, {1}, -1});
    isp_sim::setDynamicCommands({49});
    isp_sim::setExecStatus(16, 4);
    isp_sim::failCommand(16);
    isp_sim::setVersionText("other");
    isp_sim::reset();
    EXPECT_TRUE(isp_sim::trace().empty());
    EXPECT_TRUE(isp_sim::record(0, 146).empty());
    EXPECT_EQ(0, isp_sim::value(2, 16));
    EXPECT_EQ(0, ask(2, 16, IA_CMD_OPT_GET_EXEC_STATUS, &v));
    EXPECT_EQ(0, v);
    ia_dynamic_params_attr_st range{};
    EXPECT_EQ(-1, ask(0, 49, IA_CMD_OPT_GET_PARAM_RNAGE, &range));
    ia_dynamic_cmd_list_st list{};
    EXPECT_EQ(0, ask(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &list));
    EXPECT_EQ(0, list.cmd_cnt);
    char version[IA_CAMERA_VERSION_LEN] = {};
    ask(0, IA_CMD_CAMERA_VERSION, IA_CMD_OPT_GET, version);
    EXPECT_STREQ("SIM-ISP 1.0", version);

    auto hammer = [](int ch) {
        for (int32_t i = 0; i < 2000; ++i) ask(ch, 34, IA_CMD_OPT_SET, &i);
    };
    std::thread first(hammer, 0), second(hammer, 1);
    first.join();
    second.join();
    EXPECT_EQ(4000u, isp_sim::countCalls(34, IA_CMD_OPT_SET));
}

} // namespace
