// The sample style pages, which the factory sets are read from: pages that fit a set with the
// scheme keys first, before and after the merge. Known ids, tab names and offered options are
// StyleLint's (sensorctl lint finds the sample pairs clean).
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "SensorKeys.h"
#include "TestHelpers.h"

namespace {

// Whole decimal text only: "12x" or "" is not a number.
bool decimal(const char* text, long& out)
{
    char* end = nullptr;
    out = text != nullptr ? std::strtol(text, &end, 10) : 0;
    return text != nullptr && *text != '\0' && *end == '\0';
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

// Every option of an item carries a decimal "index" (lint passes over those that do not).
void expectOptionsIndexed(const TiXmlElement* subtree, const std::string& where)
{
    preOrder(subtree, [&where](const TiXmlElement& e) {
        long index = 0;
        if (e.Attribute("id") == nullptr) return;
        for (const TiXmlElement* option = e.FirstChildElement(); option; option = option->NextSiblingElement())
            EXPECT_TRUE(decimal(option->Attribute("index"), index)) << where << ": option of " << e.Attribute("id");
    });
}

void expectStylePage(const TiXmlElement* root, const std::string& where)
{
    ASSERT_NE(root, nullptr) << where;
    for (const TiXmlElement* tab = root->FirstChildElement(); tab; tab = tab->NextSiblingElement())
        EXPECT_NE(tab->Attribute("key"), nullptr) << where << ": a tab without key";
    expectOptionsIndexed(root, where);
    const std::vector<long> keys = recordKeys(root);
    EXPECT_LE(keys.size(), kKeyTableRows) << where << ": more records than a set holds";
    const std::vector<long> schemeKeys = {KEY_SCHEME_MODE, KEY_SCHEME_START_HOUR, KEY_SCHEME_START_MIN,
                                          KEY_SCHEME_END_HOUR, KEY_SCHEME_END_MIN};
    EXPECT_EQ(std::vector<long>(keys.begin(), keys.begin() + std::min<size_t>(5, keys.size())), schemeKeys)
        << where << ": scheme keys must lead";
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
    TestRoot root(true);
    const std::string folder = "/hd1/moduleConfig/sensorConfig/";
    const std::string styleText = root.readFile(folder + "style/" + pair.style);
    std::string diversityText = root.readFile(folder + "styleDiversity/" + pair.diversity);
    TiXmlDocument style, diversity;
    style.Parse(styleText.c_str());
    diversity.Parse(diversityText.c_str());
    ASSERT_FALSE(style.Error() || diversity.Error()) << style.ErrorDesc() << diversity.ErrorDesc();
    expectStylePage(style.RootElement(), pair.style);

    // Every top-level element of the diversity document is a condition with edits the merge knows.
    ASSERT_NE(diversity.RootElement(), nullptr) << "no condition";
    for (const TiXmlElement* cond = diversity.RootElement(); cond != nullptr; cond = cond->NextSiblingElement()) {
        const std::string where = std::string(pair.diversity) + " line " + std::to_string(cond->Row());
        EXPECT_NE(cond->FirstAttribute(), nullptr) << where << ": a condition without a test";
        ASSERT_NE(cond->FirstChildElement(), nullptr) << where << ": a condition without edits";
        for (const TiXmlElement* edit = cond->FirstChildElement(); edit; edit = edit->NextSiblingElement()) {
            const std::string name = edit->ValueStr();
            EXPECT_TRUE(name == "Modify" || name == "AddAfter" || name == "Delete") << where << ": " << name;
            if (name == "Delete") continue;
            ASSERT_NE(edit->FirstChildElement(), nullptr) << where << ": " << name << " without a tab";
            EXPECT_NE(edit->FirstChildElement()->Attribute("key"), nullptr) << where << ": new tab without key";
            expectOptionsIndexed(edit->FirstChildElement(), where);
        }
    }

    // The module detail the pair serves selects at least one edit, and the merged page still fits the sets.
    TiXmlDocument mergedDoc;
    mergedDoc.Parse(mergedStyle(pair.channel, pair.detail, styleText, &diversityText[0]).c_str());
    ASSERT_FALSE(mergedDoc.Error()) << mergedDoc.ErrorDesc();
    const std::string where = std::string(pair.style) + " merged for " + pair.detail;
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
