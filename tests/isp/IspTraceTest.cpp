#include "isp_sim.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

int ask(int ch, uint32_t cmd, uint32_t opt, void* data)
{
    return ia_ioctrl_v2(ch, static_cast<ia_cmd_e>(cmd), opt, data);
}

// The trace as formatted lines, then emptied.
Lines takeTrace()
{
    Lines lines;
    for (const isp_sim::IspCall& call : isp_sim::trace()) lines.push_back(isp_sim::formatCall(call));
    isp_sim::clearTrace();
    return lines;
}

TEST(IspTrace, ValuesRecordsTextsAndFailuresAreTraced)
{
    isp_sim::reset();
    int32_t v[3] = {50, 7, -1};
    ask(0, 34, IA_CMD_OPT_SET, &v[0]);
    ask(1, 34, IA_CMD_OPT_SET, &v[1]);
    for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(0, ask(ch, 34, IA_CMD_OPT_GET, &v[ch]));
    EXPECT_TRUE(isp_sim::countCalls(34, IA_CMD_OPT_GET) == 3u && isp_sim::countCalls(34) == 5u);
    EXPECT_EQ((Lines{"0\t34\tSET\t50\tok", "1\t34\tSET\t7\tok", "0\t34\tGET\t50\tok", "1\t34\tGET\t7\tok",
                     "2\t34\tGET\t0\tok"}),
              takeTrace());

    dn_thr_st thr{70, 30, 5};
    dn_time_st times{6, 30, 18, 15};
    int32_t led[4] = {1, 2, 3, 4};
    ask(0, 146, IA_CMD_OPT_SET, &thr);
    ask(0, 152, IA_CMD_OPT_SET, &times);
    ask(0, IA_CMD_IR_LED_INFO, IA_CMD_OPT_SET, led);
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4}), isp_sim::record(0, IA_CMD_IR_LED_INFO));
    EXPECT_EQ(15, isp_sim::value(0, 152));
    // A GET of a record command answers the whole record, its own field in place.
    isp_sim::setValue(0, 146, 31);
    dn_thr_st got{0, 0, 0};
    EXPECT_EQ(0, ask(0, 146, IA_CMD_OPT_GET, &got));
    EXPECT_TRUE(got.d2n_thr == 70 && got.n2d_thr == 31 && got.dn_sensitivity == 5);
    Lines records = takeTrace();
    records.resize(2);
    EXPECT_EQ((Lines{"0\t146\tSET\t70 30 5\tok", "0\t152\tSET\t6 30 18 15\tok"}), records);

    isp_sim::setSensorCheckResult(77);
    ia_sensor_check_st check{{1, 2, 3}, 0};
    EXPECT_TRUE(ask(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_GET, &check) == 0 && check.result == 77);
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 77}), isp_sim::trace().back().record);
    check = {{1, 1, 3}, 9};
    EXPECT_TRUE(ask(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_GET, &check) == 0 && check.result == 9);

    auto buffer = std::make_unique<char[]>(IA_CAMERA_VERSION_LEN);
    isp_sim::clearTrace();
    EXPECT_EQ(0, ask(0, IA_CMD_CAMERA_VERSION, IA_CMD_OPT_GET, buffer.get()));
    EXPECT_EQ(Lines{"0\t2496\tGET\t\"SIM-ISP 1.0\"\tok"}, takeTrace());
    isp_sim::setVersionText(std::string(60, 'v'));
    EXPECT_EQ(0, ask(0, IA_CMD_CAMERA_VERSION, IA_CMD_OPT_GET, buffer.get()));
    EXPECT_EQ(std::string(IA_CAMERA_VERSION_LEN - 1, 'v'), buffer.get());

    // Failures and bad calls are traced and change nothing.
    isp_sim::setValue(0, 34, 5);
    isp_sim::failCommand(34);
    isp_sim::failCommand(35, IA_CMD_OPT_SET);
    int32_t kept = 9;
    EXPECT_EQ(-1, ask(0, 34, IA_CMD_OPT_SET, nullptr));
    EXPECT_EQ("0\t34\tSET\tnull\tfail -1", takeTrace().back());
    EXPECT_EQ(-1, ask(0, 34, IA_CMD_OPT_SET, &kept));
    EXPECT_EQ(-1, ask(0, 34, IA_CMD_OPT_GET, &kept));
    EXPECT_EQ(-1, ask(0, 35, IA_CMD_OPT_SET, &kept));
    EXPECT_EQ(std::make_pair(9, 5), std::make_pair(kept, isp_sim::value(0, 34)));
    EXPECT_EQ(0, ask(0, 35, IA_CMD_OPT_GET, &kept));
    isp_sim::clearFailures();
    EXPECT_TRUE(ask(0, 34, IA_CMD_OPT_SET, &kept) == 0 && ask(0, 34, 7, &kept) == -1);
    EXPECT_EQ("OPT7", isp_sim::optionName(7));
}

TEST(IspTrace, ObserverSeesEachCallResetEmptiesTheIspAndThreadsLoseNothing)
{
    isp_sim::reset();
    Lines seen;
    isp_sim::setCallObserver([&seen](const isp_sim::IspCall& call) { seen.push_back(isp_sim::formatCall(call)); });
    int32_t v = 3;
    ask(2, 16, IA_CMD_OPT_SET, &v);
    isp_sim::setCallObserver(nullptr);
    ask(2, 16, IA_CMD_OPT_SET, &v);
    EXPECT_EQ((Lines{"2\t16\tSET\t3\tok"}), seen);

    dn_thr_st thr{1, 2, 3};
    ask(0, 146, IA_CMD_OPT_SET, &thr);
    isp_sim::setRange(49, isp_sim::DynamicRange{0, 1, 1, 1, {1}, -1});
    isp_sim::setExecStatus(16, 4);
    EXPECT_TRUE(ask(2, 16, IA_CMD_OPT_GET_EXEC_STATUS, &v) == 0 && v == 4);
    isp_sim::failCommand(16);
    isp_sim::setVersionText("other");
    isp_sim::reset();
    EXPECT_TRUE(isp_sim::trace().empty() && isp_sim::record(0, 146).empty());
    EXPECT_EQ(0, ask(2, 16, IA_CMD_OPT_GET_EXEC_STATUS, &v));
    EXPECT_EQ(0, v + isp_sim::value(2, 16));
    ia_dynamic_params_attr_st range{};
    EXPECT_EQ(-1, ask(0, 49, IA_CMD_OPT_GET_PARAM_RNAGE, &range));
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
