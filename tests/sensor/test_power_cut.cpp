// Saves that survive a power cut: a scheme file or the version stamp is
// either the old one or the new one after a cut at any byte, and a restarted
// controller never falls back to factory values because of a torn file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ControllerRig.h"
#include "SensorFile.h"
#include "SensorKeys.h"
#include "SimPower.h"
#include "VXFile.h"

namespace {

const char* const kStamp = "/mnt/mtd/code/config_file/snsversion.cfg";
const char* const kTempSuffix = ".tmp";

struct PowerGuard {
    ~PowerGuard() { technic_sim::restorePower(); }
};

std::string schemeFile(int camera, int scheme)
{
    char name[96];
    std::snprintf(name, sizeof name, "/mnt/mtd/code/config_file/sensor%d_%d.cfg", camera, scheme);
    return name;
}

std::string bytesOf(const void* data, size_t length)
{
    return std::string(static_cast<const char*>(data), length);
}

std::string schemeOf(const ControllerProbe& camera, u32 scheme)
{
    return bytesOf(camera.m_ppUserKeyVal[scheme], camera.m_nKeyValSum * sizeof(KeyVal));
}

std::string stdoutOf(const std::function<void()>& fn)
{
    testing::internal::CaptureStdout();
    fn();
    return testing::internal::GetCapturedStdout();
}

bool has(const std::string& text, const std::string& piece)
{
    return text.find(piece) != std::string::npos;
}

// What a save did before it went through a temporary: write in place.
void writeInPlace(const std::string& name, const std::string& bytes)
{
    VXFile file;
    ASSERT_TRUE(file.open(name.c_str(), VXFile::modeWrite | VXFile::modeTruncate));
    ASSERT_EQ(bytes.size(), file.write(bytes.data(), static_cast<unsigned int>(bytes.size())));
}

// Power goes off at byte `offset` of the next save, or, past its last byte,
// just before the rename.
void cutPowerAt(size_t offset, size_t length)
{
    if (offset < length) {
        technic_sim::cutPowerAfterBytes(offset);
    } else {
        technic_sim::cutPowerBeforeRename();
    }
}

// Stops channel 1's controller as the cut would have and starts a new one on
// the same tree.
ControllerProbe& restart(ControllerRig& rig)
{
    ControllerProbe& previous = rig.controller(1);
    ControllerRig::runWithClock([&previous] { previous.uinit(); });
    return rig.start(1);
}

} // namespace

TEST(PowerSafeSave, WritesTheSameBytesAsInPlaceAndLeavesNoTemporary)
{
    TestRoot root;
    std::filesystem::create_directories(root.host("/mnt/mtd/code/config_file"));
    std::vector<KeyVal> records(40);
    for (u32 i = 0; i < records.size(); ++i) records[i] = {i * 7 + 1, static_cast<u32>(-static_cast<int>(i))};
    const std::string bytes = bytesOf(records.data(), records.size() * sizeof(KeyVal));

    std::string name = schemeFile(1, 0);
    root.writeFile(name, std::string(1000, 'x'));          // a longer old file
    root.writeFile(name + kTempSuffix, "torn by a cut"); // stale temporary
    EXPECT_EQ(SNS_SUCCESS, keyValToFile(&name[0], records.data(), static_cast<u32>(records.size())));
    writeInPlace("/mnt/mtd/code/config_file/inplace.cfg", bytes);
    EXPECT_EQ(root.readFile("/mnt/mtd/code/config_file/inplace.cfg"), root.readFile(name));
    EXPECT_EQ(bytes, root.readFile(name));
    EXPECT_FALSE(root.exists(name + kTempSuffix));

    root.writeFile(std::string(kStamp) + kTempSuffix, "stale and longer than the stamp");
    EXPECT_EQ(0, setVersion(0x01020304u));
    writeInPlace("/mnt/mtd/code/config_file/inplace.cfg", "\x04\x03\x02\x01");
    EXPECT_EQ(root.readFile("/mnt/mtd/code/config_file/inplace.cfg"), root.readFile(kStamp));
    EXPECT_FALSE(root.exists(std::string(kStamp) + kTempSuffix));

    char empty[] = "/tmp/empty.bin";
    root.writeFile(empty, "old");
    EXPECT_EQ(0, saveToFile(empty, nullptr, 0)); // a zero-length save empties the file, as ever
    EXPECT_TRUE(root.exists(empty) && root.readFile(empty).empty());
}

TEST(PowerSafeSave, AFailedSaveKeepsThePreviousFileAndReportsAsBefore)
{
    TestRoot root;
    PowerGuard guard;
    char name[] = "/mnt/mtd/code/config_file/sensor1_1.cfg";
    const std::string tempName = std::string(name) + kTempSuffix;
    root.writeFile(name, "previous");
    KeyVal records[3] = {{1, 2}, {3, 4}, {5, 6}};

    // The temporary cannot be opened.
    std::filesystem::create_directories(root.host(tempName));
    std::string out = stdoutOf([&] { EXPECT_EQ(SNS_SUCCESS, keyValToFile(name, records, 3)); });
    EXPECT_TRUE(has(out, "file.open(file_name, VXFile::modeWrite | VXFile::modeTruncate)   ~~~Assertion failed.\n"))
        << out;
    EXPECT_TRUE(has(out, "file_name(/mnt/mtd/code/config_file/sensor1_1.cfg)\n")) << out;
    EXPECT_TRUE(has(out, "nSize == sizeof(KeyVal)*p_nKeyValSum   ~~~Assertion failed.\n")) << out;
    EXPECT_TRUE(has(out, "nSize(0) sizeof(KeyVal) = 8, p_nKeyValNum(3)\n")) << out;
    EXPECT_EQ("previous", root.readFile(name));
    std::filesystem::remove(root.host(tempName));

    // A short write returns its count; the target keeps its bytes.
    char data[] = "12345678";
    technic_sim::cutPowerAfterBytes(3);
    out = stdoutOf([&] { EXPECT_EQ(3, saveToFile(name, data, 8)); });
    EXPECT_TRUE(has(out, "file_len == (nSize=file.write(data, file_len))   ~~~Assertion failed.\n")) << out;
    EXPECT_TRUE(has(out, "file_len(8)\n")) << out;
    EXPECT_FALSE(has(out, "file.open(")) << out;
    EXPECT_EQ("previous", root.readFile(name));
    EXPECT_EQ("123", root.readFile(tempName)); // as the cut left it
    technic_sim::restorePower();

    // Written but not yet in place: nothing reached the target.
    technic_sim::cutPowerBeforeRename();
    out = stdoutOf([&] { EXPECT_EQ(0, saveToFile(name, data, 8)); });
    EXPECT_TRUE(has(out, "file_len(8)\n")) << out;
    EXPECT_EQ("previous", root.readFile(name));
    technic_sim::restorePower();

    // The next save overwrites the stale temporary and renames it away.
    out = stdoutOf([&] { EXPECT_EQ(8, saveToFile(name, data, 8)); });
    EXPECT_EQ("", out);
    EXPECT_EQ("12345678", root.readFile(name));
    EXPECT_FALSE(root.exists(tempName));
}

TEST(PowerSafeSave, ACutAtAnyByteOfASchemeSaveLeavesTheOldSchemeForTheNextStart)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    PowerGuard guard;
    const std::string file = schemeFile(1, 0);
    ControllerProbe* camera = &rig.start(1);
    ASSERT_EQ(0, camera->m_nCurScheme);
    const std::string factory = bytesOf(camera->m_pFctKeyVal, camera->m_nKeyValSum * sizeof(KeyVal));

    // Old: a saved user scheme unlike the factory one; new: more changes on it.
    ASSERT_EQ(SNS_SUCCESS, camera->setParameter(KEY_SCHEME_START_HOUR, 0, true));
    ASSERT_EQ(SNS_SUCCESS, camera->setParameter(KEY_SCHEME_END_HOUR, 24, true));
    ASSERT_EQ(SNS_SUCCESS, camera->setParameter(KEY_BRIGHTNESS, 77, true));
    ASSERT_EQ(SNS_SUCCESS, camera->flush());
    const std::string oldFile = root.readFile(file);
    ASSERT_EQ(schemeOf(*camera, 0), oldFile);
    ASSERT_EQ(SNS_SUCCESS, camera->setParameter(KEY_SCHEME_START_HOUR, 1, true));
    ASSERT_EQ(SNS_SUCCESS, camera->setParameter(KEY_BRIGHTNESS, 20, true));
    ASSERT_EQ(SNS_SUCCESS, camera->setParameter(KEY_SATURATION, 61, true));
    const std::string newFile = schemeOf(*camera, 0);
    ASSERT_NE(oldFile, newFile);

    // What a start makes of each intact file.
    camera = &restart(rig);
    const std::string oldScheme = schemeOf(*camera, 0);
    ASSERT_NE(factory, oldScheme);

    // A new start after every cut; about 8 ms each under ASan.
    const size_t length = newFile.size();
    for (size_t offset = 0; offset <= length; ++offset) {
        SCOPED_TRACE("cut at byte " + std::to_string(offset));
        std::memcpy(camera->m_ppUserKeyVal[0], newFile.data(), length);
        cutPowerAt(offset, length);
        const std::string out = stdoutOf([&] { camera->flush(); });
        ASSERT_TRUE(technic_sim::powerCut());
        technic_sim::restorePower();
        EXPECT_TRUE(has(out, "nSize == sizeof(KeyVal)*p_nKeyValSum   ~~~Assertion failed.\n")) << out;

        ASSERT_EQ(oldFile, root.readFile(file));
        ASSERT_EQ(offset, root.readFile(file + kTempSuffix).size()); // what the cut left, never read

        camera = &restart(rig);
        ASSERT_EQ(oldScheme, schemeOf(*camera, 0));
        ASSERT_EQ(oldFile, root.readFile(file));
    }

    // Power stays on: the new scheme is in place and the temporary is gone.
    std::memcpy(camera->m_ppUserKeyVal[0], newFile.data(), length);
    ASSERT_EQ(SNS_SUCCESS, camera->flush());
    EXPECT_EQ(newFile, root.readFile(file));
    EXPECT_FALSE(root.exists(file + kTempSuffix));
    camera = &restart(rig);
    EXPECT_EQ(newFile, schemeOf(*camera, 0));
}

TEST(PowerSafeSave, ACutAtAnyByteOfTheStampKeepsTheSchemesOverARestart)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    PowerGuard guard;
    ControllerProbe* camera = &rig.start(1);
    ASSERT_EQ(SNS_SUCCESS, camera->setParameter(KEY_SCHEME_END_HOUR, 24, true));
    ASSERT_EQ(SNS_SUCCESS, camera->setParameter(KEY_BRIGHTNESS, 66, true));
    ASSERT_EQ(SNS_SUCCESS, camera->flush());
    const std::string scheme = schemeOf(*camera, 0);
    const u32 version = camera->m_nVersion;
    const std::string oldStamp = root.readFile(kStamp);
    ASSERT_EQ(bytesOf(&version, sizeof version), oldStamp);

    for (size_t offset = 0; offset <= sizeof(u32); ++offset) {
        SCOPED_TRACE("cut at byte " + std::to_string(offset));
        cutPowerAt(offset, sizeof(u32));
        stdoutOf([&] { setVersion(version + 1); });
        ASSERT_TRUE(technic_sim::powerCut());
        technic_sim::restorePower();
        EXPECT_EQ(oldStamp, root.readFile(kStamp));
        u32 stored = 0;
        EXPECT_EQ(0, getVersion(&stored));
        EXPECT_EQ(version, stored);

        // The stamp still matches: the start keeps the saved scheme.
        camera = &restart(rig);
        EXPECT_EQ(scheme, schemeOf(*camera, 0));
    }
    const u32 next = version + 1;
    EXPECT_EQ(0, setVersion(next));
    EXPECT_EQ(bytesOf(&next, sizeof next), root.readFile(kStamp));
    EXPECT_FALSE(root.exists(std::string(kStamp) + kTempSuffix));
}
