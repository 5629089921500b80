// Reading the whole current scheme as pair text: from the scheme's file or
// from the cache corrected by the ISP, as the merged style's shutter item says.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "SensorKeys.h"
#include "TestHelpers.h"

namespace {

const char* const kMergedStyle = "/tmp/merge_style_ch1.xml";

std::string shutterStyle(const char* value)
{
    return std::string("<style><tab key=\"exposure\"><item id=\"49\" value=\"") + value + "\"/></tab></style>";
}

// The answer of getAllParameters appended to `head`, and whether the merged style failed to load.
std::pair<std::string, bool> allParameters(ControllerProbe& camera, const std::string& head)
{
    std::string out = head;
    const std::string printed = printedBy([&] { EXPECT_TRUE(camera.getAllParameters(out)); });
    return {out, has(printed, "objStyleXmlDoc.LoadFile(filename, TIXML_ENCODING_UTF8)")};
}

} // namespace

TEST(WholeScheme, ShutterItemDecidesBetweenTheStoredFileAndTheCorrectedCache)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    const std::string merged = root.readFile(kMergedStyle);
    ASSERT_TRUE(has(merged, "id=\"49\""));
    // Scheme 1 saved with brightness 33, then changed to 77 without saving.
    ASSERT_TRUE(camera.setParamScheme(1));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 33, true));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_SCHEME_END_HOUR, 24, true));
    ASSERT_EQ(SNS_SUCCESS, camera.flush());
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 77, true));

    const struct {
        const char* name;
        std::string style; // empty: no merged style file at all
        bool fromFile, reported;
    } cases[] = {
        {"sample style (value 4)", merged, false, false},
        {"value 199", shutterStyle("199"), false, false},
        {"value 200", shutterStyle("200"), true, false},
        {"value 215", shutterStyle("215"), true, false},
        {"no shutter item", "<style><tab key=\"image\"><item id=\"34\" value=\"50\"/></tab></style>", true, false},
        {"missing file", "", true, true},
        {"garbage", "<style><tab key=", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A value off the published shutter list, for the ISP to correct.
        ASSERT_GE(camera.setKeyValToCache(1, KEY_MAX_SHUTTER, 42, false), 0);
        if (c.style.empty()) root.remove(kMergedStyle);
        if (!c.style.empty()) root.writeFile(kMergedStyle, c.style);
        isp_sim::clearTrace();
        const auto answer = allParameters(camera, "head");
        EXPECT_EQ(c.reported, answer.second);
        if (c.fromFile) {
            EXPECT_EQ("head" + filePairs(root, 1), answer.first);
            EXPECT_TRUE(has(answer.first, "(34,33)"));
            EXPECT_EQ(42u, camera.cached(1, KEY_MAX_SHUTTER));
            EXPECT_EQ(0u, isp_sim::countCalls(KEY_MAX_SHUTTER, IA_CMD_OPT_CORRECT_PARAM));
        } else { // corrected in place to the nearest published item
            EXPECT_EQ(50u, camera.cached(1, KEY_MAX_SHUTTER));
            EXPECT_EQ("head" + pairsOf(camera.m_ppUserKeyVal[1], camera.m_nKeyValSum), answer.first);
            for (const char* pair : {"(34,77)", "(49,50)"}) EXPECT_TRUE(has(answer.first, pair)) << pair;
        }
    }
    EXPECT_TRUE(has(filePairs(root, 1), "(34,33)")); // reading changes no file

    // The factory set is answered only below 200; nothing at all once stopped.
    ASSERT_TRUE(camera.setParamScheme(static_cast<int>(camera.schemeCount())));
    root.writeFile(kMergedStyle, shutterStyle("230"));
    EXPECT_EQ("keep", allParameters(camera, "keep").first);
    root.writeFile(kMergedStyle, merged);
    EXPECT_EQ("keep" + pairsOf(camera.m_pFctKeyVal, camera.m_nKeyValSum), allParameters(camera, "keep").first);
    uinitOf(camera);
    EXPECT_EQ("keep", allParameters(camera, "keep").first);
}
