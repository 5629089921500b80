// sy_system on a PC: device paths in the command land under the root, and a
// command that could reach outside it is not run.
#include <gtest/gtest.h>

#include <string>

#include "TestRoot.h"
#include "sy_system.h"

TEST(SySystem, RunsWithDevicePathsUnderTheRootAndRefusesToLeaveIt)
{
    TestRoot root;
    const std::string dir = "/mnt/mtd/code/config_file/sensor";
    for (const char* name : {"1_0", "1_3", "1_4", "2_0"}) root.writeFile(dir + name + ".cfg", "x");
    EXPECT_EQ(sy_system("rm -rf /mnt/mtd/code/config*/sensor1_[0-3].cfg", 30), 0);
    EXPECT_FALSE(root.exists(dir + "1_0.cfg") || root.exists(dir + "1_3.cfg"));
    EXPECT_TRUE(root.exists(dir + "1_4.cfg") && root.exists(dir + "2_0.cfg"));
    EXPECT_EQ(sy_system("mkdir -p /tmp/out && echo hi >/tmp/out/a.txt", 5), 0);
    EXPECT_EQ(root.readFile("/tmp/out/a.txt"), "hi\n");
    EXPECT_EQ(sy_system("touch relative.txt", 5), 0);
    EXPECT_TRUE(root.exists("/relative.txt"));
    EXPECT_EQ(sy_system("exit 3", 5), 3);

    root.writeFile("/keep/a.txt", "x");
    testing::internal::CaptureStderr();
    for (const char* command : {"rm -rf /keep/../keep", "rm -rf ../keep", "cd .. && rm -rf keep", "rm -rf ~/keep",
                                "rm -rf $PWD/keep", "rm -rf `pwd`/keep"}) {
        EXPECT_EQ(sy_system(command, 5), -1) << command;
    }
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(root.exists("/keep/a.txt"));
}
