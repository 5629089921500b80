// sy_system on a PC: device paths in the command land under the root, and a
// command that could reach outside it is not run.
#include <gtest/gtest.h>

#include <string>

#include "TestRoot.h"
#include "sy_system.h"

namespace {
std::string schemeFile(int camera, int scheme)
{
    return "/mnt/mtd/code/config_file/sensor" + std::to_string(camera) + "_" + std::to_string(scheme) + ".cfg";
}
} // namespace

TEST(SySystem, RunsWithDevicePathsUnderTheRoot)
{
    TestRoot root;
    for (int scheme = 0; scheme <= 4; ++scheme) root.writeFile(schemeFile(1, scheme), "x");
    root.writeFile(schemeFile(2, 0), "x");

    EXPECT_EQ(sy_system("rm -rf /mnt/mtd/code/config*/sensor1_[0-3].cfg", 30), 0);
    for (int scheme = 0; scheme <= 3; ++scheme) EXPECT_FALSE(root.exists(schemeFile(1, scheme))) << scheme;
    EXPECT_TRUE(root.exists(schemeFile(1, 4)));
    EXPECT_TRUE(root.exists(schemeFile(2, 0)));

    EXPECT_EQ(sy_system("mkdir -p /tmp/out && echo hi >/tmp/out/a.txt", 5), 0);
    EXPECT_EQ(root.readFile("/tmp/out/a.txt"), "hi\n");
    EXPECT_EQ(sy_system("touch relative.txt", 5), 0);
    EXPECT_TRUE(root.exists("/relative.txt"));
    EXPECT_EQ(sy_system("exit 3", 5), 3);
}

TEST(SySystem, RefusesCommandsThatCouldLeaveTheRoot)
{
    TestRoot root;
    root.writeFile("/keep/a.txt", "x");
    testing::internal::CaptureStderr();
    for (const char* command : {"rm -rf /keep/../keep", "rm -rf ../keep", "cd .. && rm -rf keep", "rm -rf ~/keep",
                                "rm -rf $PWD/keep", "rm -rf `pwd`/keep"}) {
        EXPECT_EQ(sy_system(command, 5), -1) << command;
    }
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(root.exists("/keep/a.txt"));
}
