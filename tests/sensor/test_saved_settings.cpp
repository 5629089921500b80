// No saved setting is lost: a factory reset and restarts (files of another layout), a style that
// does not load, a save or stamp that cannot be written. Each case saves values first and reads
// every one of them back afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "SaveCheck.h"
#include "SensorKeys.h"
#include "TestHelpers.h"

namespace {

const std::string kAssert = "[sensor assert]";
const std::string kConfigFolder = "/mnt/mtd/code/config_file";

// A fresh controller object on the same tree, as after a power cycle.
ControllerProbe& newProcess(ControllerRig& rig, std::string* out = nullptr)
{
    uinitOf(rig.controller(1));
    ControllerProbe* camera = nullptr;
    const std::string printed = printedBy([&] { camera = &rig.start(1); });
    if (out != nullptr) *out = printed;
    return *camera;
}

// Saves brightness and contrast in scheme 0 with a window every save accepts.
void saveValues(ControllerProbe& camera, int brightness, int contrast)
{
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_SCHEME_END_HOUR, 24, true));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, brightness, true));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_CONTRAST, contrast, true));
    ASSERT_EQ(SNS_SUCCESS, camera.flush());
}

// Scheme 0 holds every factory key once, in the factory order, with the saved values.
void expectSaved(ControllerProbe& camera, int brightness, int contrast)
{
    const Records factory = factorySet(camera);
    const Records set(camera.m_ppUserKeyVal[0], camera.m_ppUserKeyVal[0] + camera.m_nKeyValSum);
    ASSERT_EQ(factory.size(), set.size());
    for (size_t i = 0; i < set.size(); ++i) EXPECT_EQ(factory[i].key, set[i].key) << "record " << i;
    EXPECT_EQ(static_cast<u32>(brightness), valueIn(set, KEY_BRIGHTNESS));
    EXPECT_EQ(static_cast<u32>(contrast), valueIn(set, KEY_CONTRAST));
    std::string all;
    ASSERT_TRUE(camera.getAllParameters(all));
    EXPECT_EQ(pairsOf(set), all);
}

std::string savedFiles(TestRoot& root)
{
    std::string files;
    for (int s = 0; s < 4; ++s) files += root.readFile(schemeFile(s)) + "|";
    return files + root.readFile(kStampFile);
}

} // namespace

TEST(SavedSettings, AFactoryResetThenTwoRestartsKeepEveryKeyWithItsSavedValue)
{
    ControllerRig rig;
    ControllerProbe& first = rig.start(1);
    const size_t keys = factorySet(first).size();
    ControllerRig::runWithClock([&] { first.resetParameters(); });
    // The reset's start builds the set without the lens-correction keys.
    ASSERT_LT(factorySet(first).size(), keys);
    saveValues(first, 71, 12);

    std::string out;
    ControllerProbe& second = newProcess(rig, &out);
    EXPECT_EQ(keys, factorySet(second).size());
    EXPECT_TRUE(has(out, "nSize == sizeof(KeyVal)*p_nKeyValNum")) << out; // the positional read, once
    EXPECT_FALSE(has(out, "key(0)")) << out;
    expectSaved(second, 71, 12);
    EXPECT_EQ(pairsOf(second.m_ppUserKeyVal[0], keys), filePairs(rig.root(), 0));

    ControllerProbe& third = newProcess(rig, &out);
    EXPECT_FALSE(has(out, kAssert)) << out;
    expectSaved(third, 71, 12);
}

TEST(SavedSettings, FilesOfAnotherLayoutLoadByKeyAndKeepKeysTheSetLacks)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1);
    saveValues(camera, 33, 44);
    const Records factory = factorySet(camera);
    // Reversed, with a record of key 0 and one of a key no set has.
    Records other(factory.rbegin(), factory.rend());
    for (KeyVal& record : other) record.value = valueIn(schemeRecords(rig.root(), 0), record.key);
    other.insert(other.begin() + 3, KeyVal{0, 0});
    other.push_back(KeyVal{9999, 5});
    rig.root().writeFile(schemeFile(0), bytesOf(other));

    ControllerProbe& restarted = newProcess(rig);
    expectSaved(restarted, 33, 44);
    Records expected(factory.size());
    for (size_t i = 0; i < factory.size(); ++i) expected[i] = restarted.m_ppUserKeyVal[0][i];
    expected.push_back(KeyVal{9999, 5});
    EXPECT_EQ(pairsOf(expected), filePairs(rig.root(), 0));
    // A flush keeps the key only the file has, too.
    ASSERT_EQ(SNS_SUCCESS, restarted.setParameter(KEY_BRIGHTNESS, 34, true));
    ASSERT_EQ(SNS_SUCCESS, restarted.flush());
    EXPECT_EQ(5u, valueIn(schemeRecords(rig.root(), 0), 9999));
    EXPECT_EQ(34u, valueIn(schemeRecords(rig.root(), 0), KEY_BRIGHTNESS));
}

TEST(SavedSettings, AStyleThatDoesNotLoadWritesAndDeletesNoFile)
{
    const struct {
        const char* name;
        std::function<void(TestRoot&)> damage;
    } cases[] = {
        {"garbage", [](TestRoot& root) { root.writeFile(kStyleFile, "not a style <"); }},
        {"cut at 5000 bytes", [](TestRoot& root) { root.writeFile(kStyleFile, root.readFile(kStyleFile).substr(0, 5000)); }},
        {"no style folder", [](TestRoot& root) { std::filesystem::remove_all(root.host("/hd1/moduleConfig/sensorConfig/style")); }},
        {"no tmp folder", [](TestRoot& root) { std::filesystem::remove_all(root.host("/tmp")); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ControllerRig rig;
        TestRoot& root = rig.root();
        const std::string style = root.readFile(kStyleFile);
        saveValues(rig.start(1), 61, 62);
        const std::string saved = savedFiles(root);

        c.damage(root);
        std::string out;
        ControllerProbe& broken = newProcess(rig, &out);
        EXPECT_TRUE(has(out, "scheme files and version stamp left as they are")) << out;
        broken.setParameter(KEY_BRIGHTNESS, 44, true);
        out = printedBy([&] { EXPECT_NE(SNS_SUCCESS, broken.flush()); });
        EXPECT_TRUE(has(out, "the set was not built from the style")) << out;
        std::string problem;
        EXPECT_FALSE(savedSchemeReadsBack(broken, problem));
        ControllerRig::runWithClock([&] { broken.resetParameters(); });
        EXPECT_EQ(saved, savedFiles(root));

        root.writeFile(kStyleFile, style);
        std::filesystem::create_directories(root.host("/tmp"));
        ControllerProbe& repaired = newProcess(rig, &out);
        EXPECT_FALSE(has(out, kAssert)) << out;
        expectSaved(repaired, 61, 62);
    }
}

TEST(SavedSettings, ASaveOrStampThatCannotBeWrittenKeepsTheOldFilesAndIsAnError)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    saveValues(camera, 21, 22);
    std::string problem;
    EXPECT_TRUE(savedSchemeReadsBack(camera, problem)) << problem;

    // A folder in the temporary's place stops the save, for root too.
    std::filesystem::create_directories(root.host(schemeFile(0) + ".tmp"));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 23, true));
    printedBy([&] { camera.flush(); });
    EXPECT_FALSE(savedSchemeReadsBack(camera, problem));
    EXPECT_TRUE(has(problem, schemeFile(0))) << problem;
    std::filesystem::remove(root.host(schemeFile(0) + ".tmp"));
    expectSaved(newProcess(rig), 21, 22);

    // A stamp that cannot be written: no start deletes the schemes, and each says so.
    root.remove(kStampFile);
    std::filesystem::create_directories(root.host(kStampFile));
    for (int start = 0; start < 2; ++start) {
        std::string out;
        ControllerProbe& restarted = newProcess(rig, &out);
        EXPECT_TRUE(has(out, "the version stamp cannot be written: the saved schemes are kept")) << out;
        expectSaved(restarted, 21, 22);
    }
    EXPECT_TRUE(root.exists(kConfigFolder + "/sensor1_3.cfg"));
}

TEST(SavedSettings, ADeviceWithoutADiversityDocumentStillSaves)
{
    ControllerRig rig;
    std::filesystem::remove(rig.root().host("/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml"));
    saveValues(rig.start(1), 63, 64);
    expectSaved(newProcess(rig), 63, 64);
}
