// Every test runs in its own device root; nothing the library does through
// the stand-in, by path or by shell command, may reach outside it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "DevicePath.h"
#include "TestRoot.h"
#include "sy_system.h"

TEST(DevicePath, MapsUnderTheRootAndNeverAboveIt)
{
    {
        TestRoot root;
        EXPECT_EQ(technic::devicePath("/mnt/mtd/log/x.log"), root.path() + "/mnt/mtd/log/x.log");
        EXPECT_EQ(technic::devicePath("/tmp/../../../etc/passwd"), root.path() + "/etc/passwd");
        EXPECT_EQ(technic::devicePath("tmp/./a//b"), root.path() + "/tmp/a/b");
        EXPECT_EQ(technic::devicePath("/.."), root.path());
    }
    const char* outer = std::getenv("SENSOR_ROOTFS");
    const std::string saved = outer != nullptr ? outer : "";
    unsetenv("SENSOR_ROOTFS");
    EXPECT_EQ(technic::devicePath("/mnt/mtd/../code"), "/mnt/code");
    if (outer != nullptr) setenv("SENSOR_ROOTFS", saved.c_str(), 1);
}

TEST(SySystem, RunsUnderTheRootAndRefusesACommandThatCouldLeaveIt)
{
    TestRoot root;
    EXPECT_EQ(sy_system("mkdir -p /tmp/out && echo hi >/tmp/out/a.txt", 5), 0);
    EXPECT_EQ(root.readFile("/tmp/out/a.txt"), "hi\n");
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
