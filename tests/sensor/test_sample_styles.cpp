// The sample tree's style pages against the key-command table: the factory sets
// are read from them, so every item names a known key, the pages fit the sets
// and the scheme keys lead every set, before and after the merge.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "SensorFile.h"
#include "SensorKeys.h"
#include "TestRoot.h"

namespace {

const std::string kSampleTree = std::string(SENSOR_EXAMPLE_ROOTFS) + "/hd1/moduleConfig/sensorConfig/";

const std::set<long> kTableKeys = {
#define SENSOR_KEY(constant, key, cmd, handler) key,
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler) key,
#define SENSOR_KEY_NO_CMD(constant, key) key,
#include "key_table.def"
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
};

// Whole decimal text only: "12x" or "" is not a number.
bool decimal(const char* text, long& out)
{
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text, &end, 10);
    return errno == 0 && *end == '\0';
}

std::string readText(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

template <typename Visit>
void preOrder(const TiXmlElement* element, Visit visit)
{
    if (element == nullptr) return;
    visit(*element);
    for (const TiXmlElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement())
        preOrder(child, visit);
}

// The records the factory set is built from: elements with "id" and "value".
std::vector<long> recordKeys(const TiXmlElement* root)
{
    std::vector<long> keys;
    preOrder(root, [&keys](const TiXmlElement& e) {
        long id = 0;
        if (e.Attribute("value") != nullptr && decimal(e.Attribute("id"), id)) keys.push_back(id);
    });
    return keys;
}

// Items name table keys, their options carry a decimal "index", and the shutter
// item stays below 200, which would turn the ISP's list into the item's own options.
void expectItemsFollowTable(const TiXmlElement* subtree, const std::string& where)
{
    preOrder(subtree, [&where](const TiXmlElement& e) {
        const char* idText = e.Attribute("id");
        long id = 0, number = 0;
        if (idText == nullptr) return;
        EXPECT_TRUE(decimal(idText, id) && kTableKeys.count(id) == 1) << where << ": id " << idText << " unknown";
        for (const TiXmlElement* option = e.FirstChildElement(); option; option = option->NextSiblingElement())
            EXPECT_TRUE(decimal(option->Attribute("index"), number)) << where << ": option of " << idText;
        if (id != KEY_MAX_SHUTTER) return;
        EXPECT_TRUE(decimal(e.Attribute("value"), number) && number < 200) << where << ": item 49 value";
    });
}

void expectStylePage(const TiXmlElement* root, const std::string& where)
{
    ASSERT_NE(root, nullptr) << where;
    for (const TiXmlElement* tab = root->FirstChildElement(); tab; tab = tab->NextSiblingElement())
        EXPECT_NE(tab->Attribute("key"), nullptr) << where << ": a tab without key";
    expectItemsFollowTable(root, where);
    const std::vector<long> keys = recordKeys(root);
    EXPECT_LE(keys.size(), kKeyTableRows) << where << ": more records than a set holds";
    const std::vector<long> schemeKeys = {KEY_SCHEME_MODE, KEY_SCHEME_START_HOUR, KEY_SCHEME_START_MIN,
                                          KEY_SCHEME_END_HOUR, KEY_SCHEME_END_MIN};
    ASSERT_GE(keys.size(), schemeKeys.size()) << where;
    EXPECT_EQ(std::vector<long>(keys.begin(), keys.begin() + 5), schemeKeys) << where << ": scheme keys must lead";
}

struct StylePair {
    const char* style;
    const char* diversity;
    int channel;
    const char* detail; // as the sample module configuration gives the channel
};

void PrintTo(const StylePair& pair, std::ostream* os) { *os << pair.style << " + " << pair.diversity; }

class SampleStyles : public ::testing::TestWithParam<StylePair> {};

TEST_P(SampleStyles, PagesFollowTheKeyTableAndTheSampleDetailEditsThem)
{
    const StylePair& pair = GetParam();
    const std::string styleText = readText(kSampleTree + "style/" + pair.style);
    std::string diversityText = readText(kSampleTree + "styleDiversity/" + pair.diversity);
    TiXmlDocument style, diversity;
    style.Parse(styleText.c_str());
    diversity.Parse(diversityText.c_str());
    ASSERT_FALSE(style.Error() || diversity.Error()) << style.ErrorDesc() << diversity.ErrorDesc();
    expectStylePage(style.RootElement(), pair.style);

    // Every top-level element of the diversity document is a condition whose edits name a tab of the page.
    std::set<std::string> tabKeys;
    for (const TiXmlElement* tab = style.RootElement()->FirstChildElement(); tab; tab = tab->NextSiblingElement())
        tabKeys.insert(tab->Attribute("key") != nullptr ? tab->Attribute("key") : "");
    ASSERT_NE(diversity.RootElement(), nullptr) << "no condition";
    for (const TiXmlElement* condition = diversity.RootElement(); condition;
         condition = condition->NextSiblingElement()) {
        const std::string where = std::string(pair.diversity) + " line " + std::to_string(condition->Row());
        EXPECT_NE(condition->FirstAttribute(), nullptr) << where << ": a condition without a test";
        ASSERT_NE(condition->FirstChildElement(), nullptr) << where << ": a condition without edits";
        for (const TiXmlElement* edit = condition->FirstChildElement(); edit; edit = edit->NextSiblingElement()) {
            const std::string name = edit->ValueStr();
            EXPECT_TRUE(name == "Modify" || name == "AddAfter" || name == "Delete") << where << ": " << name;
            const char* tabKey = edit->Attribute("tab_key");
            EXPECT_TRUE(tabKey != nullptr && tabKeys.count(tabKey) == 1) << where << ": " << name << " names no tab";
            if (name == "Delete") continue;
            ASSERT_NE(edit->FirstChildElement(), nullptr) << where << ": " << name << " without a tab";
            EXPECT_NE(edit->FirstChildElement()->Attribute("key"), nullptr) << where << ": new tab without key";
            expectItemsFollowTable(edit->FirstChildElement(), where);
        }
    }

    // The module detail the pair serves selects at least one edit, and the merged page still fits the sets.
    ModuleConfig moduleConfig{};
    const std::string detail = pair.detail;
    std::snprintf(moduleConfig.szDetail, sizeof moduleConfig.szDetail, "%s", detail.c_str());
    TestRoot root;
    root.writeFile("/tmp/.keep", "");
    char* merged = new char[styleText.size() + 1];
    std::memcpy(merged, styleText.c_str(), styleText.size() + 1);
    mergeStyle(pair.channel, &moduleConfig, &merged, &diversityText[0]);
    TiXmlDocument mergedDoc;
    mergedDoc.Parse(merged);
    delete[] merged;
    ASSERT_FALSE(mergedDoc.Error()) << mergedDoc.ErrorDesc();
    const std::string where = std::string(pair.style) + " merged for " + detail;
    expectStylePage(mergedDoc.RootElement(), where);
    EXPECT_NE(recordKeys(mergedDoc.RootElement()), recordKeys(style.RootElement())) << where << ": nothing changed";
}

INSTANTIATE_TEST_SUITE_P(SampleTree, SampleStyles,
                         ::testing::Values(StylePair{"Style.xml", "StyleDiversity.xml", 1,
                                                     "(isInfrared=1)(lensId=3)(max_scheme=4)"},
                                           StylePair{"Style_Thermal.xml", "StyleDiversity_Thermal.xml", 2,
                                                     "(isInfrared=0)(max_scheme=4)"},
                                           // A dual-light dome; the sample device has none.
                                           StylePair{"Style_dome.xml", "StyleDiversity_dome.xml", 1,
                                                     "(isInfrared=17)(max_scheme=4)"}));

} // namespace
