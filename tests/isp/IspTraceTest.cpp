#include "isp_sim.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

namespace {

int ask(int ch, uint32_t cmd, uint32_t opt, void* data)
{
    return ia_ioctrl_v2(ch, static_cast<ia_cmd_e>(cmd), opt, data);
}

class IspTrace : public testing::Test {
protected:
    void SetUp() override { isp_sim::reset(); }
};

TEST_F(IspTrace, PlainValuesArePerChannelAndTraced)
{
    int32_t v = 50;
    EXPECT_EQ(0, ask(0, 34, IA_CMD_OPT_SET, &v));
    v = 7;
    EXPECT_EQ(0, ask(1, 34, IA_CMD_OPT_SET, &v));
    int32_t got[3] = {-1, -1, -1};
    for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(0, ask(ch, 34, IA_CMD_OPT_GET, &got[ch]));
    EXPECT_EQ(50, got[0]);
    EXPECT_EQ(7, got[1]);
    EXPECT_EQ(0, got[2]);
    EXPECT_EQ(7, isp_sim::value(1, 34));

    const std::vector<isp_sim::IspCall> trace = isp_sim::trace();
    ASSERT_EQ(5u, trace.size());
    EXPECT_EQ("0\t34\tSET\t50\tok", isp_sim::formatCall(trace[0]));
    EXPECT_EQ("1\t34\tGET\t7\tok", isp_sim::formatCall(trace[3]));
    EXPECT_EQ(3u, isp_sim::countCalls(34, IA_CMD_OPT_GET));
    EXPECT_EQ(5u, isp_sim::countCalls(34));
    EXPECT_EQ(0u, isp_sim::countCalls(35));
    isp_sim::clearTrace();
    EXPECT_TRUE(isp_sim::trace().empty());
}

TEST_F(IspTrace, RecordCommandsKeepTheWholeRecord)
{
    dn_thr_st thr{70, 30, 5};
    EXPECT_EQ(0, ask(0, 146, IA_CMD_OPT_SET, &thr));
    EXPECT_EQ((std::vector<int32_t>{70, 30, 5}), isp_sim::record(0, 146));
    EXPECT_EQ("0\t146\tSET\t70 30 5\tok", isp_sim::formatCall(isp_sim::trace().back()));
    // A GET of a record command answers the command's own field, one int32.
    int32_t plain[2] = {0, -7};
    EXPECT_EQ(0, ask(0, 146, IA_CMD_OPT_GET, plain));
    EXPECT_EQ(30, plain[0]);
    EXPECT_EQ(-7, plain[1]);

    dn_time_st times{6, 30, 18, 15};
    EXPECT_EQ(0, ask(0, 152, IA_CMD_OPT_SET, &times));
    EXPECT_EQ((std::vector<int32_t>{6, 30, 18, 15}), isp_sim::trace().back().record);
    EXPECT_EQ(15, isp_sim::value(0, 152));

    int32_t led[4] = {1, 2, 3, 4};
    EXPECT_EQ(0, ask(0, IA_CMD_IR_LED_INFO, IA_CMD_OPT_SET, led));
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4}), isp_sim::record(0, IA_CMD_IR_LED_INFO));

    isp_sim::setSensorCheckResult(77);
    ia_sensor_check_st check{{1, 2, 3}, 0};
    EXPECT_EQ(0, ask(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_GET, &check));
    EXPECT_EQ(77, check.result);
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 77}), isp_sim::trace().back().record);
    check = {{1, 1, 3}, 9};
    EXPECT_EQ(0, ask(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_GET, &check));
    EXPECT_EQ(9, check.result);
    EXPECT_EQ(0, ask(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_SET, &check));
    EXPECT_EQ((std::vector<int32_t>{1, 1, 3, 9}), isp_sim::record(0, IA_CMD_SENSOR_CHECK));
}

TEST_F(IspTrace, VersionTextFitsItsBuffer)
{
    auto buffer = std::make_unique<char[]>(IA_CAMERA_VERSION_LEN);
    EXPECT_EQ(0, ask(0, IA_CMD_CAMERA_VERSION, IA_CMD_OPT_GET, buffer.get()));
    EXPECT_STREQ("SIM-ISP 1.0", buffer.get());
    EXPECT_EQ("0\t2496\tGET\t\"SIM-ISP 1.0\"\tok", isp_sim::formatCall(isp_sim::trace().back()));

    isp_sim::setVersionText(std::string(60, 'v'));
    EXPECT_EQ(0, ask(0, IA_CMD_CAMERA_VERSION, IA_CMD_OPT_GET, buffer.get()));
    EXPECT_EQ(std::string(IA_CAMERA_VERSION_LEN - 1, 'v'), buffer.get());
}

TEST_F(IspTrace, FailuresAndBadCallsChangeNothing)
{
    EXPECT_EQ(-1, ask(0, 34, IA_CMD_OPT_SET, nullptr));
    EXPECT_TRUE(isp_sim::trace().back().nullData);
    EXPECT_EQ("0\t34\tSET\tnull\tfail -1", isp_sim::formatCall(isp_sim::trace().back()));

    isp_sim::setValue(0, 34, 5);
    isp_sim::failCommand(34);
    int32_t v = 9;
    EXPECT_EQ(-1, ask(0, 34, IA_CMD_OPT_SET, &v));
    EXPECT_EQ(-1, ask(0, 34, IA_CMD_OPT_GET, &v));
    EXPECT_EQ(9, v);
    EXPECT_EQ(5, isp_sim::value(0, 34));

    isp_sim::failCommand(35, IA_CMD_OPT_SET);
    EXPECT_EQ(-1, ask(0, 35, IA_CMD_OPT_SET, &v));
    EXPECT_EQ(0, ask(0, 35, IA_CMD_OPT_GET, &v));
    EXPECT_EQ(0, v);
    isp_sim::clearFailures();
    v = 11;
    EXPECT_EQ(0, ask(0, 34, IA_CMD_OPT_SET, &v));
    EXPECT_EQ(11, isp_sim::value(0, 34));

    EXPECT_EQ(-1, ask(0, 34, 7, &v));
    EXPECT_EQ("OPT7", isp_sim::optionName(7));

    isp_sim::setExecStatus(1569, 1);
    int32_t status = -1;
    EXPECT_EQ(0, ask(0, 1569, IA_CMD_OPT_GET_EXEC_STATUS, &status));
    EXPECT_EQ(1, status);
    EXPECT_EQ(0, ask(0, 1570, IA_CMD_OPT_GET_EXEC_STATUS, &status));
    EXPECT_EQ(0, status);
}

TEST_F(IspTrace, ObserverSeesEachCallAndResetEmptiesTheIsp)
{
    std::vector<std::string> seen;
    isp_sim::setCallObserver([&seen](const isp_sim::IspCall& call) { seen.push_back(isp_sim::formatCall(call)); });
    int32_t v = 3;
    ask(2, 16, IA_CMD_OPT_SET, &v);
    isp_sim::setCallObserver(nullptr);
    ask(2, 16, IA_CMD_OPT_SET, &v);
    EXPECT_EQ((std::vector<std::string>{"2\t16\tSET\t3\tok"}), seen);

    dn_thr_st thr{1, 2, 3};
    ask(0, 146, IA_CMD_OPT_SET, &thr);
    isp_sim::setDynamicCommands({49});
    isp_sim::setRange(49, isp_sim::DynamicRange{0, 1, 1, 1, {1}, -1});
    isp_sim::failCommand(16);
    isp_sim::setExecStatus(16, 4);
    isp_sim::setVersionText("other");
    isp_sim::setSensorCheckResult(5);
    isp_sim::reset();

    EXPECT_TRUE(isp_sim::trace().empty());
    EXPECT_EQ(0, isp_sim::value(2, 16));
    EXPECT_TRUE(isp_sim::record(0, 146).empty());
    EXPECT_EQ(0, ask(2, 16, IA_CMD_OPT_GET_EXEC_STATUS, &v));
    EXPECT_EQ(0, v);
    ia_dynamic_cmd_list_st list{};
    ask(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &list);
    EXPECT_EQ(0, list.cmd_cnt);
    ia_dynamic_params_attr_st range{};
    EXPECT_EQ(-1, ask(0, 49, IA_CMD_OPT_GET_PARAM_RNAGE, &range));
    char version[IA_CAMERA_VERSION_LEN] = {};
    ask(0, IA_CMD_CAMERA_VERSION, IA_CMD_OPT_GET, version);
    EXPECT_STREQ("SIM-ISP 1.0", version);
    ia_sensor_check_st check{{0, 2, 0}, -1};
    ask(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_GET, &check);
    EXPECT_EQ(0, check.result);
}

TEST_F(IspTrace, CallsFromSeveralThreadsAreAllKept)
{
    auto hammer = [](int ch) {
        for (int32_t i = 0; i < 2000; ++i) ask(ch, 34, IA_CMD_OPT_SET, &i);
    };
    std::thread first(hammer, 0), second(hammer, 1);
    first.join();
    second.join();
    EXPECT_EQ(4000u, isp_sim::countCalls(34, IA_CMD_OPT_SET));
    EXPECT_EQ(1999, isp_sim::value(0, 34));
    EXPECT_EQ(1999, isp_sim::value(1, 34));
}

} // namespace
