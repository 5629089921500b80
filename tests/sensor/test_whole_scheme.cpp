// Reading the whole current scheme as pair text: from the scheme's file or
// from the cache corrected by the ISP, as the merged style's shutter item says.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ControllerRig.h"
#include "SensorKeys.h"
#include "isp_sim.h"

namespace {

const char* const kMergedStyle = "/tmp/merge_style_ch1.xml";
const char* const kLoadReport = "objStyleXmlDoc.LoadFile(filename, TIXML_ENCODING_UTF8)";

std::string pairsOf(const KeyVal* records, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        char pair[32];
        std::snprintf(pair, sizeof pair, "(%d,%d)", static_cast<int>(records[i].key),
                      static_cast<int>(records[i].value));
        text += pair;
    }
    return text;
}

std::string pairsOfFile(TestRoot& root, const std::string& file)
{
    const std::string bytes = root.readFile(file);
    std::vector<KeyVal> records(bytes.size() / sizeof(KeyVal));
    if (!records.empty()) std::memcpy(records.data(), bytes.data(), records.size() * sizeof(KeyVal));
    return pairsOf(records.data(), records.size());
}

std::string pairsOfSet(const ControllerProbe& camera, u32 scheme)
{
    return pairsOf(camera.m_ppUserKeyVal[scheme], camera.m_nKeyValSum);
}

std::string shutterStyle(const char* value)
{
    return std::string("<?xml version=\"1.0\"?>\n<style version=\"1\"><tab key=\"exposure\" name=\"Exposure\">"
                       "<item id=\"49\" name=\"Max Shutter\" type=\"menu\" value=\"") +
           value + "\"/></tab></style>\n";
}

bool has(const std::string& text, const std::string& piece)
{
    return text.find(piece) != std::string::npos;
}

} // namespace

TEST(WholeScheme, ShutterItemDecidesBetweenTheStoredFileAndTheCorrectedCache)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    const std::string merged = root.readFile(kMergedStyle);
    ASSERT_TRUE(has(merged, "id=\"49\""));
    const std::string file1 = "/mnt/mtd/code/config_file/sensor1_1.cfg";

    // Scheme 1 saved with brightness 33, then changed to 77 without saving.
    ASSERT_TRUE(camera.setParamScheme(1));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 33, true));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_SCHEME_END_HOUR, 24, true));
    ASSERT_EQ(SNS_SUCCESS, camera.flush());
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 77, true));

    const struct {
        const char* name;
        std::string style; // empty: no merged style file at all
        bool fromFile;
        bool reported;
    } cases[] = {
        {"sample style (value 4)", merged, false, false},
        {"value 199", shutterStyle("199"), false, false},
        {"value 200", shutterStyle("200"), true, false},
        {"value 215", shutterStyle("215"), true, false},
        {"no shutter item",
         "<?xml version=\"1.0\"?>\n<style><tab key=\"image\"><item id=\"34\" value=\"50\"/></tab></style>\n", true,
         false},
        {"missing file", "", true, true},
        {"garbage", "<style><tab key=", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A value off the published shutter list, for the ISP to correct.
        ASSERT_GE(camera.setKeyValToCache(1, KEY_MAX_SHUTTER, 42, false), 0);
        if (c.style.empty()) {
            root.remove(kMergedStyle);
        } else {
            root.writeFile(kMergedStyle, c.style);
        }
        isp_sim::clearTrace();

        std::string out = "head";
        testing::internal::CaptureStdout();
        const bool answered = camera.getAllParameters(out);
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(answered);
        if (c.fromFile) {
            EXPECT_EQ("head" + pairsOfFile(root, file1), out);
            EXPECT_TRUE(has(out, "(34,33)"));
            EXPECT_EQ(42u, camera.cached(1, KEY_MAX_SHUTTER));
            EXPECT_EQ(0u, isp_sim::countCalls(KEY_MAX_SHUTTER, IA_CMD_OPT_CORRECT_PARAM));
        } else {
            // Corrected in place to the nearest published item.
            EXPECT_EQ(50u, camera.cached(1, KEY_MAX_SHUTTER));
            EXPECT_EQ("head" + pairsOfSet(camera, 1), out);
            EXPECT_TRUE(has(out, "(34,77)"));
            EXPECT_TRUE(has(out, "(49,50)"));
        }
        EXPECT_EQ(c.reported, has(printed, kLoadReport));
    }
    // Reading changes no file.
    EXPECT_TRUE(has(pairsOfFile(root, file1), "(34,33)"));
}

TEST(WholeScheme, FactorySetOrStoppedControllerWithoutShutterItemLeavesTheAnswerAlone)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    const std::string merged = root.readFile(kMergedStyle);
    ASSERT_TRUE(camera.setParamScheme(static_cast<int>(camera.schemeCount())));

    root.writeFile(kMergedStyle, shutterStyle("230"));
    std::string out = "keep";
    EXPECT_TRUE(camera.getAllParameters(out));
    EXPECT_EQ("keep", out);
    root.remove(kMergedStyle);
    EXPECT_TRUE(camera.getAllParameters(out));
    EXPECT_EQ("keep", out);

    // With a shutter item below 200 the factory set itself is answered.
    root.writeFile(kMergedStyle, merged);
    EXPECT_TRUE(camera.getAllParameters(out));
    EXPECT_EQ("keep" + pairsOfSet(camera, camera.schemeCount()), out);
    EXPECT_TRUE(has(out, "(8000,0)"));

    ControllerRig::runWithClock([&camera] { camera.uinit(); });
    out = "keep";
    EXPECT_TRUE(camera.getAllParameters(out));
    EXPECT_EQ("keep", out);
}

TEST(WholeScheme, ThermalChannelReadsItsOwnSchemeFile)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& thermal = rig.start(2);
    ASSERT_TRUE(thermal.m_bThermalChannel);
    // The thermal page has no shutter item: the stored file answers.
    ASSERT_FALSE(has(root.readFile("/tmp/merge_style_ch2.xml"), "id=\"49\""));
    ASSERT_EQ(SNS_SUCCESS, thermal.setParameter(KEY_BRIGHTNESS, 77, true));

    std::string out;
    EXPECT_TRUE(thermal.getAllParameters(out));
    EXPECT_EQ(pairsOfFile(root, "/mnt/mtd/code/config_file/sensor-thermal0.cfg"), out);
    EXPECT_TRUE(has(out, "(34,50)"));
    EXPECT_FALSE(root.exists("/mnt/mtd/code/config_file/sensor2_0.cfg"));
}
