// Device paths on a PC: the mapping under SENSOR_ROOTFS, files and the
// rotating log written through it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "DevicePath.h"
#include "TestRoot.h"
#include "VXFile.h"
#include "VXLogger.h"

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
    EXPECT_EQ(technic::devicePath("tmp/a"), "/tmp/a");
    if (outer != nullptr) setenv("SENSOR_ROOTFS", saved.c_str(), 1);
}

TEST(VXFile, ReadsWritesAndAppendsUnderTheRoot)
{
    TestRoot root;
    root.writeFile("/tmp/lines.txt", "6\r\n1\nlast");
    VXFile file;
    ASSERT_TRUE(file.open("/tmp/lines.txt", VXFile::modeRead));
    EXPECT_EQ(file.getLength(), 9);
    std::string line;
    ASSERT_TRUE(file.ReadOneLine(line));
    EXPECT_EQ(line, "6");
    std::vector<std::string> rest;
    EXPECT_EQ(file.ReadLines(rest), 2);
    EXPECT_EQ(rest, (std::vector<std::string>{"1", "last"}));
    EXPECT_FALSE(file.ReadOneLine(line));

    // As on the device, a missing folder is not created.
    EXPECT_FALSE(file.open("/mnt/mtd/missing/x.cfg", VXFile::modeWrite | VXFile::modeTruncate));
    char buffer[4];
    EXPECT_EQ(file.read(buffer, sizeof buffer), 0u);
    ASSERT_TRUE(file.open("/tmp/lines.txt", VXFile::modeWrite | VXFile::modeTruncate));
    file.write("abcdef", 6);
    ASSERT_TRUE(file.open("/tmp/lines.txt", VXFile::modeWrite));
    file.write("XY", 2);
    ASSERT_TRUE(file.open("/tmp/lines.txt", VXFile::modeAppend));
    EXPECT_EQ(file.write("!", 1), 1u);
    file.close();
    EXPECT_EQ(root.readFile("/tmp/lines.txt"), "XYcdef!");
}

TEST(VXLogger, AppendsTaggedLinesAndRotatesKeepingTheFileCount)
{
    TestRoot root;
    EXPECT_FALSE(VXLogger().writeLog("[t]", "nowhere"));
    VXLogger logger;
    ASSERT_TRUE(logger.init("/mnt/mtd/log/Test.log", 40, 3));
    ASSERT_TRUE(logger.writeLog("[t]", "first"));
    ASSERT_TRUE(logger.writeLog("[t]", "second\n"));
    EXPECT_EQ(root.readFile("/mnt/mtd/log/Test.log"), "[t] first\n[t] second\n");
    // Each entry is 10 bytes; a file never passes 40.
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(logger.writeLog("[t]", ("line" + std::to_string(i)).c_str()));
    EXPECT_EQ(root.readFile("/mnt/mtd/log/Test.log"), "[t] line9\n");
    EXPECT_EQ(root.readFile("/mnt/mtd/log/Test.log.1"), "[t] line5\n[t] line6\n[t] line7\n[t] line8\n");
    EXPECT_EQ(root.readFile("/mnt/mtd/log/Test.log.2"), "[t] line1\n[t] line2\n[t] line3\n[t] line4\n");
    EXPECT_FALSE(root.exists("/mnt/mtd/log/Test.log.3"));
}
