// Saves that survive a power cut at any byte: a scheme file or the stamp is the old or the new
// one, and a restarted controller never falls back to factory values because of a torn file.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "SensorKeys.h"
#include "SimPower.h"
#include "TestHelpers.h"

namespace {

const std::string kScheme = schemeFile(0);

struct PowerGuard {
    ~PowerGuard() { technic_sim::restorePower(); }
};

std::string schemeOf(const ControllerProbe& c) { return bytesOf(c.m_ppUserKeyVal[0], c.m_nKeyValSum * sizeof(KeyVal)); }

// Power goes off at byte `offset` of the next save or, past its last byte, just before the rename.
void cutPowerAt(size_t offset, size_t length)
{
    if (offset < length) technic_sim::cutPowerAfterBytes(offset);
    if (offset >= length) technic_sim::cutPowerBeforeRename();
}

// Stops channel 1's controller as the cut would have and starts a new one on the same tree.
ControllerProbe& restart(ControllerRig& rig)
{
    uinitOf(rig.controller(1));
    return rig.start(1);
}

} // namespace

// The bytes an in-place write gave, over a longer old file and a stale temporary.
TEST(PowerSafeSave, WritesTheSameBytesAsInPlaceAndLeavesNoTemporary)
{
    TestRoot root;
    std::filesystem::create_directories(root.host("/mnt/mtd/code/config_file"));
    Records records(40);
    for (u32 i = 0; i < records.size(); ++i) records[i] = {i * 7 + 1, static_cast<u32>(-static_cast<int>(i))};
    std::string name = kScheme;
    root.writeFile(name, std::string(1000, 'x'));       // a longer old file
    root.writeFile(name + ".tmp", "torn by a cut");     // stale temporary
    EXPECT_EQ(SNS_SUCCESS, keyValToFile(&name[0], records.data(), static_cast<u32>(records.size())));
    EXPECT_EQ(bytesOf(records), root.readFile(name));
    EXPECT_FALSE(root.exists(name + ".tmp"));

    root.writeFile(kStampFile + ".tmp", "stale and longer than the stamp");
    EXPECT_EQ(0, setVersion(0x01020304u));
    EXPECT_EQ("\x04\x03\x02\x01", root.readFile(kStampFile));
    EXPECT_FALSE(root.exists(kStampFile + ".tmp"));

    char empty[] = "/tmp/empty.bin";
    root.writeFile(empty, "old");
    EXPECT_EQ(0, saveToFile(empty, nullptr, 0)); // a zero-length save empties the file, as ever
    EXPECT_TRUE(root.exists(empty));
    EXPECT_EQ("", root.readFile(empty));
}

TEST(PowerSafeSave, ACutAtAnyByteOfASchemeOrStampSaveKeepsTheOldFileForTheNextStart)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    PowerGuard guard;
    ControllerProbe* camera = &rig.start(1);
    const std::string factory = bytesOf(camera->m_pFctKeyVal, camera->m_nKeyValSum * sizeof(KeyVal));
    // Old: a saved user scheme unlike the factory one; new: more changes on it.
    ASSERT_EQ(SNS_SUCCESS, camera->setParameter(KEY_SCHEME_END_HOUR, 24, true));
    ASSERT_EQ(SNS_SUCCESS, camera->setParameter(KEY_BRIGHTNESS, 77, true));
    ASSERT_EQ(SNS_SUCCESS, camera->flush());
    const std::string oldFile = root.readFile(kScheme);
    ASSERT_EQ(schemeOf(*camera), oldFile);
    ASSERT_EQ(SNS_SUCCESS, camera->setParameter(KEY_SCHEME_START_HOUR, 1, true));
    ASSERT_EQ(SNS_SUCCESS, camera->setParameter(KEY_SATURATION, 61, true));
    const std::string newFile = schemeOf(*camera);
    ASSERT_NE(oldFile, newFile);
    camera = &restart(rig);
    const std::string oldScheme = schemeOf(*camera); // what a start makes of the intact file
    ASSERT_NE(factory, oldScheme);

    // A new start after every cut; about 8 ms each under ASan.
    const size_t length = newFile.size();
    for (size_t offset = 0; offset <= length; ++offset) {
        SCOPED_TRACE("cut at byte " + std::to_string(offset));
        std::memcpy(camera->m_ppUserKeyVal[0], newFile.data(), length);
        cutPowerAt(offset, length);
        const std::string out = printedBy([&] { camera->flush(); });
        ASSERT_TRUE(technic_sim::powerCut());
        technic_sim::restorePower();
        EXPECT_TRUE(has(out, "nSize == sizeof(KeyVal)*p_nKeyValSum   ~~~Assertion failed.\n")) << out;
        ASSERT_EQ(oldFile, root.readFile(kScheme));
        ASSERT_EQ(offset, root.readFile(kScheme + ".tmp").size()); // what the cut left, never read
        camera = &restart(rig);
        ASSERT_EQ(oldScheme, schemeOf(*camera));
    }
    // Power stays on: the new scheme is in place and the temporary is gone.
    std::memcpy(camera->m_ppUserKeyVal[0], newFile.data(), length);
    ASSERT_EQ(SNS_SUCCESS, camera->flush());
    EXPECT_EQ(newFile, root.readFile(kScheme));
    EXPECT_FALSE(root.exists(kScheme + ".tmp"));

    // A cut in the stamp keeps the old one, so the next start keeps the saved scheme too.
    const u32 version = camera->m_nVersion;
    const std::string oldStamp = root.readFile(kStampFile);
    ASSERT_EQ(stampOf(version), oldStamp);
    for (size_t offset = 0; offset <= sizeof(u32); ++offset) {
        SCOPED_TRACE("stamp cut at byte " + std::to_string(offset));
        cutPowerAt(offset, sizeof(u32));
        printedBy([&] { setVersion(version + 1); });
        ASSERT_TRUE(technic_sim::powerCut());
        technic_sim::restorePower();
        EXPECT_EQ(oldStamp, root.readFile(kStampFile));
        camera = &restart(rig);
        EXPECT_EQ(newFile, schemeOf(*camera));
    }
    EXPECT_EQ(0, setVersion(version + 1));
    EXPECT_EQ(stampOf(version + 1), root.readFile(kStampFile));
    EXPECT_FALSE(root.exists(kStampFile + ".tmp"));
}
