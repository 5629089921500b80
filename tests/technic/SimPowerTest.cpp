// The stand-in file class's durable-save operations, and power cuts that stop
// it as the death of the process would.
#include <gtest/gtest.h>

#include "SimPower.h"
#include "TestRoot.h"
#include "VXFile.h"

namespace {
const unsigned char kRewrite = VXFile::modeWrite | VXFile::modeTruncate;
struct PowerGuard {
    ~PowerGuard() { technic_sim::restorePower(); }
};
} // namespace

TEST(SimPower, SaveStepsWorkUntilACutThatKeepsWhatCameBeforeIt)
{
    TestRoot root;
    PowerGuard guard;
    root.writeFile("/cfg/b.cfg", "target");
    VXFile file;
    EXPECT_FALSE(file.sync()); // nothing open
    ASSERT_TRUE(file.open("/cfg/b.cfg.tmp", kRewrite));
    EXPECT_EQ(file.write("newer", 5), 5u);
    EXPECT_TRUE(file.sync());
    EXPECT_EQ(root.readFile("/cfg/b.cfg.tmp"), "newer"); // on the disk before close
    EXPECT_TRUE(VXFile::rename("/cfg/b.cfg.tmp", "/cfg/b.cfg"));
    EXPECT_EQ(root.readFile("/cfg/b.cfg"), "newer");
    EXPECT_TRUE(VXFile::syncFolder("/cfg"));
    EXPECT_FALSE(VXFile::syncFolder("/cfg/b.cfg")); // not a folder
    EXPECT_TRUE(VXFile::remove("/cfg/b.cfg"));
    EXPECT_FALSE(VXFile::remove("/cfg/b.cfg"));

    root.writeFile("/cfg/b.cfg", "target");
    ASSERT_TRUE(file.open("/cfg/b.cfg.tmp", kRewrite));
    technic_sim::cutPowerAfterBytes(5); // byte 5 is never written
    EXPECT_EQ(file.write("abc", 3), 3u);
    EXPECT_FALSE(technic_sim::powerCut());
    EXPECT_EQ(file.write("defg", 4), 2u);
    EXPECT_TRUE(technic_sim::powerCut());
    // A dead process writes, syncs, renames, removes and opens nothing more.
    EXPECT_EQ(file.write("h", 1), 0u);
    EXPECT_FALSE(file.sync());
    file.close();
    EXPECT_FALSE(VXFile::rename("/cfg/b.cfg.tmp", "/cfg/b.cfg") || VXFile::remove("/cfg/b.cfg") ||
                 VXFile::syncFolder("/cfg") || file.open("/cfg/b.cfg", VXFile::modeRead));
    EXPECT_EQ(root.readFile("/cfg/b.cfg.tmp"), "abcde");
    EXPECT_EQ(root.readFile("/cfg/b.cfg"), "target");

    // Armed before the rename: nothing happens until power is back.
    technic_sim::restorePower();
    technic_sim::cutPowerBeforeRename();
    EXPECT_TRUE(VXFile::syncFolder("/cfg"));
    EXPECT_FALSE(VXFile::rename("/cfg/b.cfg.tmp", "/cfg/b.cfg"));
    EXPECT_EQ(root.readFile("/cfg/b.cfg"), "target");
    technic_sim::restorePower();
    EXPECT_TRUE(VXFile::rename("/cfg/b.cfg.tmp", "/cfg/b.cfg"));

    // A cut at byte 0 lets nothing through; an empty write does not reach it.
    ASSERT_TRUE(file.open("/cfg/c.cfg", kRewrite));
    technic_sim::cutPowerAfterBytes(0);
    EXPECT_EQ(file.write("", 0), 0u);
    EXPECT_FALSE(technic_sim::powerCut());
    EXPECT_EQ(file.write("x", 1), 0u);
    EXPECT_TRUE(technic_sim::powerCut());
}
