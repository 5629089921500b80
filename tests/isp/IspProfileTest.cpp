#include "isp_sim.h"

#include "TestRoot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

int ask(uint32_t cmd, uint32_t opt, void* data)
{
    return ia_ioctrl_v2(0, static_cast<ia_cmd_e>(cmd), opt, data);
}

ia_dynamic_cmd_list_st published()
{
    ia_dynamic_cmd_list_st list{};
    ask(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &list);
    return list;
}

TEST(IspProfile, SampleProfileDescribesTheCamera)
{
    isp_sim::reset();
    TestRoot root(true);
    ASSERT_TRUE(isp_sim::loadProfile("/mnt/mtd/isp_profile.ini"));
    const ia_dynamic_cmd_list_st list = published();
    const std::vector<int32_t> commands(list.cmd_list, list.cmd_list + std::min(list.cmd_cnt, IA_DYNAMIC_CMDS_MAX));
    EXPECT_EQ((std::vector<int32_t>{49, 50, 51, 55, 56, 82, 1537, 2305}), commands);
    ia_dynamic_params_attr_st range{};
    for (int32_t cmd : commands) EXPECT_EQ(0, ask(cmd, IA_CMD_OPT_GET_PARAM_RNAGE, &range)) << cmd;
    ask(49, IA_CMD_OPT_GET_PARAM_RNAGE, &range);
    EXPECT_EQ(std::make_tuple(6, 15, 100), std::make_tuple(range.default_val, range.items_cnt, range.max));
    EXPECT_EQ(16384, isp_sim::value(0, 1568));
}

TEST(IspProfile, GoodLinesApplyAndBadLinesOrFilesAreNamed)
{
    isp_sim::reset();
    TestRoot root;
    // Lines 3, 6, 7, 9, 10, 12, 14 and 16 are bad.
    root.writeFile("/mnt/mtd/p.ini", "# comment\n\nrnage 49 items=1\ndynamic 49 82 count=20\r\n"
                                     "range 49 default=4 items=1,2,4\nrange 50 min=10\nrange 51 min=9 max=3\n"
                                     "range 82 kind=1 default=256 min=256 max=25600\nvalue 0 x 5\n"
                                     "value 0 34 99999999999\nvalue 1 34 50\nstatus 1569\nstatus 1569 1\n"
                                     "dynamic 49 1,2\nversion SIM-ISP 2.0 beta\nrange 1537 items=5,,6\nfail 77 0\n");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(isp_sim::loadProfile("/mnt/mtd/p.ini"));
    const std::string errors = testing::internal::GetCapturedStderr();
    for (const char* expected :
         {"p.ini:3: unknown keyword 'rnage'", "p.ini:6: range needs items=", "p.ini:7: min is above max", "p.ini:9:",
          "p.ini:10:", "p.ini:12:", "p.ini:14: bad command '1,2'", "p.ini:16: bad value in 'items=5,,6'"}) {
        EXPECT_NE(std::string::npos, errors.find(expected)) << expected << " in\n" << errors;
    }
    EXPECT_EQ(8, std::count(errors.begin(), errors.end(), '\n'));

    EXPECT_EQ(82, published().cmd_list[1]);
    EXPECT_EQ(20, published().cmd_cnt);
    ia_dynamic_params_attr_st range{};
    ASSERT_EQ(0, ask(49, IA_CMD_OPT_GET_PARAM_RNAGE, &range));
    EXPECT_EQ(std::make_tuple(4, 1, 4), std::make_tuple(range.default_val, range.min, range.max));
    EXPECT_EQ(-1, ask(50, IA_CMD_OPT_GET_PARAM_RNAGE, &range));
    EXPECT_EQ(-1, ask(51, IA_CMD_OPT_GET_PARAM_RNAGE, &range));
    EXPECT_EQ(50, isp_sim::value(1, 34));
    int32_t status = 0;
    ask(1569, IA_CMD_OPT_GET_EXEC_STATUS, &status);
    EXPECT_EQ(1, status);
    char version[IA_CAMERA_VERSION_LEN] = {};
    ask(IA_CMD_CAMERA_VERSION, IA_CMD_OPT_GET, version);
    EXPECT_STREQ("SIM-ISP 2.0 beta", version);
    EXPECT_EQ(-1, ask(77, IA_CMD_OPT_SET, &status));
    EXPECT_EQ(0, ask(77, IA_CMD_OPT_GET, &status));

    isp_sim::reset();
    const char junk[] = "\x01\xff\0range\n=\n==\nrange\nvalue\n";
    root.writeFile("/mnt/mtd/junk.ini", std::string(junk, sizeof(junk) - 1));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(isp_sim::loadProfile("/mnt/mtd/none.ini"));
    EXPECT_FALSE(isp_sim::loadProfile("/mnt/mtd/junk.ini"));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("cannot read profile /mnt/mtd/none.ini"));
    EXPECT_TRUE(isp_sim::trace().empty());
    EXPECT_EQ(0, published().cmd_cnt);
}

} // namespace
