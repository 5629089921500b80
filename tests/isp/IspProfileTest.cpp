#include "isp_sim.h"

#include "TestRoot.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

int ask(uint32_t cmd, uint32_t opt, void* data)
{
    return ia_ioctrl_v2(0, static_cast<ia_cmd_e>(cmd), opt, data);
}

class IspProfile : public testing::Test {
protected:
    void SetUp() override { isp_sim::reset(); }
};

TEST_F(IspProfile, SampleProfileDescribesTheCamera)
{
    TestRoot root(true);
    ASSERT_TRUE(isp_sim::loadProfile("/mnt/mtd/isp_profile.ini"));

    ia_dynamic_cmd_list_st list{};
    ASSERT_EQ(0, ask(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &list));
    const std::vector<int32_t> published(list.cmd_list, list.cmd_list + list.cmd_cnt);
    EXPECT_EQ((std::vector<int32_t>{49, 50, 51, 55, 56, 82, 1537, 2305}), published);
    for (int32_t cmd : published) {
        ia_dynamic_params_attr_st range{};
        EXPECT_EQ(0, ask(cmd, IA_CMD_OPT_GET_PARAM_RNAGE, &range)) << cmd;
    }
    ia_dynamic_params_attr_st shutter{};
    ask(49, IA_CMD_OPT_GET_PARAM_RNAGE, &shutter);
    EXPECT_EQ(6, shutter.default_val);
    EXPECT_EQ(15, shutter.items_cnt);
    EXPECT_EQ(100, shutter.max);
    EXPECT_EQ(16384, isp_sim::value(0, 1568));
    EXPECT_EQ(6, isp_sim::value(0, 49));
}

TEST_F(IspProfile, GoodLinesApplyAndBadLinesAreNamed)
{
    TestRoot root;
    root.writeFile("/mnt/mtd/p.ini",
                   "# comment\n"
                   "\n"
                   "rnage 49 items=1\n"                        // 3
                   "dynamic 49 82 count=20\r\n"
                   "range 49 default=4 items=1,2,4\n"
                   "range 50 min=10\n"                         // 6
                   "range 51 min=9 max=3\n"                    // 7
                   "range 82 kind=1 default=256 min=256 max=25600\n"
                   "value 0 x 5\n"                             // 9
                   "value 0 34 99999999999\n"                  // 10
                   "value 1 34 50\n"
                   "status 1569\n"                             // 12
                   "status 1569 1\n"
                   "dynamic 49 1,2\n"                          // 14
                   "version SIM-ISP 2.0 beta\n"
                   "range 1537 items=5,,6\n"                   // 16
                   "fail 77 0\n");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(isp_sim::loadProfile("/mnt/mtd/p.ini"));
    const std::string errors = testing::internal::GetCapturedStderr();
    const char* const expectedReports[] = {
        "p.ini:3: unknown keyword 'rnage'", "p.ini:6: range needs items=", "p.ini:7: min is above max",
        "p.ini:9:", "p.ini:10:", "p.ini:12:", "p.ini:14: bad command '1,2'", "p.ini:16: bad value in 'items=5,,6'"};
    for (const char* expected : expectedReports) {
        EXPECT_NE(std::string::npos, errors.find(expected)) << expected << " in\n" << errors;
    }
    EXPECT_EQ(8, std::count(errors.begin(), errors.end(), '\n'));

    ia_dynamic_cmd_list_st list{};
    ask(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &list);
    EXPECT_EQ(20, list.cmd_cnt);
    EXPECT_EQ(82, list.cmd_list[1]);
    ia_dynamic_params_attr_st range{};
    ASSERT_EQ(0, ask(49, IA_CMD_OPT_GET_PARAM_RNAGE, &range));
    EXPECT_EQ(4, range.default_val);
    EXPECT_EQ(1, range.min);
    EXPECT_EQ(4, range.max);
    EXPECT_EQ(-1, ask(50, IA_CMD_OPT_GET_PARAM_RNAGE, &range));
    EXPECT_EQ(-1, ask(51, IA_CMD_OPT_GET_PARAM_RNAGE, &range));
    int32_t iris = 30000;
    ask(82, IA_CMD_OPT_CORRECT_PARAM, &iris);
    EXPECT_EQ(25600, iris);
    EXPECT_EQ(50, isp_sim::value(1, 34));
    int32_t status = 0;
    ask(1569, IA_CMD_OPT_GET_EXEC_STATUS, &status);
    EXPECT_EQ(1, status);
    char version[IA_CAMERA_VERSION_LEN] = {};
    ask(IA_CMD_CAMERA_VERSION, IA_CMD_OPT_GET, version);
    EXPECT_STREQ("SIM-ISP 2.0 beta", version);
    int32_t v = 1;
    EXPECT_EQ(-1, ask(77, IA_CMD_OPT_SET, &v));
    EXPECT_EQ(0, ask(77, IA_CMD_OPT_GET, &v));
}

TEST_F(IspProfile, MissingOrBinaryFileIsRefusedWithoutHarm)
{
    TestRoot root;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(isp_sim::loadProfile("/mnt/mtd/none.ini"));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("cannot read profile /mnt/mtd/none.ini"));

    const char junk[] = "\x01\xff\0range\n=\n==\nrange\nvalue\n";
    root.writeFile("/mnt/mtd/junk.ini", std::string(junk, sizeof(junk) - 1));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(isp_sim::loadProfile("/mnt/mtd/junk.ini"));
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(isp_sim::trace().empty());
    ia_dynamic_cmd_list_st list{};
    ask(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &list);
    EXPECT_EQ(0, list.cmd_cnt);
}

} // namespace
