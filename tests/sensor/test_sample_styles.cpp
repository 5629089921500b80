// The sample device tree's UI style documents, held against the key-command
// table: the factory sets are read from these pages, so every item must name
// a key the controller knows, the pages must fit the sets, and the scheme keys
// must lead every set.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cerrno>
#include <cstdio>
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

const std::string kSensorConfig = std::string(SENSOR_EXAMPLE_ROOTFS) + "/hd1/moduleConfig/sensorConfig";

const std::set<long>& tableKeys()
{
    static const std::set<long> keys = {
#define SENSOR_KEY(constant, key, cmd, handler) key,
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler) key,
#define SENSOR_KEY_NO_CMD(constant, key) key,
#include "key_table.def"
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
    };
    return keys;
}

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
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

template <typename Visit>
void preOrder(const TiXmlElement* element, Visit visit)
{
    if (element == nullptr) return;
    visit(*element);
    for (const TiXmlElement* child = element->FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        preOrder(child, visit);
    }
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

// Items name table keys; their option children carry a decimal "index".
void expectItemsFollowTable(const TiXmlElement* subtree, const std::string& where)
{
    preOrder(subtree, [&where](const TiXmlElement& e) {
        const char* idText = e.Attribute("id");
        if (idText == nullptr) return;
        long id = 0;
        EXPECT_TRUE(decimal(idText, id) && tableKeys().count(id) == 1) << where << ": id \"" << idText
                                                                        << "\" has no key-command row";
        for (const TiXmlElement* option = e.FirstChildElement(); option != nullptr;
             option = option->NextSiblingElement()) {
            long index = 0;
            EXPECT_TRUE(decimal(option->Attribute("index"), index))
                << where << ": option of item " << idText << " lacks a decimal index";
        }
        long value = 0;
        if (id == KEY_MAX_SHUTTER) {
            // 200 and more would turn the ISP's shutter list into the item's own options.
            EXPECT_TRUE(decimal(e.Attribute("value"), value) && value < 200) << where << ": item 49 value";
        }
    });
}

void expectStylePage(const TiXmlElement* root, const std::string& where)
{
    ASSERT_NE(root, nullptr) << where;
    for (const TiXmlElement* tab = root->FirstChildElement(); tab != nullptr; tab = tab->NextSiblingElement()) {
        EXPECT_NE(tab->Attribute("key"), nullptr) << where << ": a tab without key";
    }
    expectItemsFollowTable(root, where);

    const std::vector<long> keys = recordKeys(root);
    EXPECT_LE(keys.size(), kKeyTableRows) << where << ": more records than a set holds";
    const std::vector<long> schemeKeys = {KEY_SCHEME_MODE, KEY_SCHEME_START_HOUR, KEY_SCHEME_START_MIN,
                                          KEY_SCHEME_END_HOUR, KEY_SCHEME_END_MIN};
    ASSERT_GE(keys.size(), schemeKeys.size()) << where;
    EXPECT_EQ(std::vector<long>(keys.begin(), keys.begin() + schemeKeys.size()), schemeKeys)
        << where << ": the scheme keys must lead the set";
}

// The detail text the sample module configuration gives a channel.
std::string sampleDetail(int channel)
{
    TiXmlDocument doc;
    const std::string path = std::string(SENSOR_EXAMPLE_ROOTFS) + "/hd1/moduleConfig/moduleConfig.xml";
    if (!doc.LoadFile(path.c_str())) return "";
    std::string detail;
    preOrder(doc.RootElement(), [&](const TiXmlElement& e) {
        long number = 0;
        if (e.ValueStr() == "module" && decimal(e.Attribute("channel"), number) && number == channel &&
            e.Attribute("detail") != nullptr) {
            detail = e.Attribute("detail");
        }
    });
    return detail;
}

struct StylePair {
    const char* style;
    const char* diversity;
    int channel;
    // Null: the detail of the channel's module in the sample configuration.
    const char* detail;
};

void PrintTo(const StylePair& pair, std::ostream* os)
{
    *os << pair.style << " + " << pair.diversity;
}

class SampleStyles : public ::testing::TestWithParam<StylePair> {
protected:
    std::string stylePath() const { return kSensorConfig + "/style/" + GetParam().style; }
    std::string diversityPath() const { return kSensorConfig + "/styleDiversity/" + GetParam().diversity; }
    std::string detail() const
    {
        return GetParam().detail != nullptr ? GetParam().detail : sampleDetail(GetParam().channel);
    }
};

TEST_P(SampleStyles, StylePageFollowsKeyTable)
{
    TiXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(stylePath().c_str())) << stylePath() << ": " << doc.ErrorDesc();
    expectStylePage(doc.RootElement(), GetParam().style);
}

TEST_P(SampleStyles, DiversityEditsTargetStyleTabs)
{
    TiXmlDocument style;
    ASSERT_TRUE(style.LoadFile(stylePath().c_str())) << style.ErrorDesc();
    ASSERT_NE(style.RootElement(), nullptr);
    std::set<std::string> tabKeys;
    for (const TiXmlElement* tab = style.RootElement()->FirstChildElement(); tab != nullptr;
         tab = tab->NextSiblingElement()) {
        if (tab->Attribute("key") != nullptr) tabKeys.insert(tab->Attribute("key"));
    }

    TiXmlDocument diversity;
    ASSERT_TRUE(diversity.LoadFile(diversityPath().c_str())) << diversityPath() << ": " << diversity.ErrorDesc();
    ASSERT_NE(diversity.RootElement(), nullptr) << "no condition";
    // Every top-level element is a condition.
    for (const TiXmlElement* condition = diversity.RootElement(); condition != nullptr;
         condition = condition->NextSiblingElement()) {
        const std::string where = std::string(GetParam().diversity) + " line " + std::to_string(condition->Row());
        EXPECT_NE(condition->FirstAttribute(), nullptr) << where << ": a condition without a test";
        ASSERT_NE(condition->FirstChildElement(), nullptr) << where << ": a condition without edits";
        for (const TiXmlElement* edit = condition->FirstChildElement(); edit != nullptr;
             edit = edit->NextSiblingElement()) {
            const std::string name = edit->ValueStr();
            EXPECT_TRUE(name == "Modify" || name == "AddAfter" || name == "Delete") << where << ": " << name;
            const char* tabKey = edit->Attribute("tab_key");
            EXPECT_TRUE(tabKey != nullptr && tabKeys.count(tabKey) == 1)
                << where << ": " << name << " names no tab of " << GetParam().style;
            if (name == "Delete") continue;
            const TiXmlElement* newTab = edit->FirstChildElement();
            ASSERT_NE(newTab, nullptr) << where << ": " << name << " without a tab";
            EXPECT_NE(newTab->Attribute("key"), nullptr) << where << ": new tab without key";
            expectItemsFollowTable(newTab, where);
        }
    }
}

// The module detail the pair serves selects at least one edit, and the
// merged page still fits the sets.
TEST_P(SampleStyles, SampleDetailEditsMergedPage)
{
    const std::string styleText = readText(stylePath());
    std::string diversityText = readText(diversityPath());
    ASSERT_FALSE(styleText.empty());
    ASSERT_FALSE(diversityText.empty());
    ModuleConfig moduleConfig{};
    const std::string detailText = detail();
    ASSERT_FALSE(detailText.empty()) << "no module for channel " << GetParam().channel;
    std::snprintf(moduleConfig.szDetail, sizeof moduleConfig.szDetail, "%s", detailText.c_str());

    TestRoot root;
    root.writeFile("/tmp/.keep", "");
    char* merged = new char[styleText.size() + 1];
    std::memcpy(merged, styleText.c_str(), styleText.size() + 1);
    mergeStyle(GetParam().channel, &moduleConfig, &merged, &diversityText[0]);
    TiXmlDocument mergedDoc;
    mergedDoc.Parse(merged);
    delete[] merged;
    ASSERT_FALSE(mergedDoc.Error()) << mergedDoc.ErrorDesc();

    TiXmlDocument original;
    original.Parse(styleText.c_str());
    const std::string where = std::string(GetParam().style) + " merged for " + detailText;
    expectStylePage(mergedDoc.RootElement(), where);
    EXPECT_NE(recordKeys(mergedDoc.RootElement()), recordKeys(original.RootElement()))
        << where << ": no condition changed the page";
}

std::string pairName(const ::testing::TestParamInfo<StylePair>& info)
{
    std::string name;
    for (const char* c = info.param.style; *c != '\0' && *c != '.'; ++c) {
        if (*c != '_') name += *c;
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(SampleTree, SampleStyles,
                         ::testing::Values(StylePair{"Style.xml", "StyleDiversity.xml", 1, nullptr},
                                           StylePair{"Style_Thermal.xml", "StyleDiversity_Thermal.xml", 2, nullptr},
                                           // A dual-light dome; the sample device has none.
                                           StylePair{"Style_dome.xml", "StyleDiversity_dome.xml", 1,
                                                     "(isInfrared=17)(max_scheme=4)"}),
                         pairName);

} // namespace
