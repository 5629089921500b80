// The built key-command table holds the invariants the ISP traffic relies on.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ControllerRig.h"
#include "KeyFacts.h"
#include "SensorKeys.h"

TEST(KeyTable, BuiltTableInvariants)
{
    ControllerRig rig;
    ControllerProbe& controller = rig.start(1);
    u32 rows = 0;
    const keycmd* table = controller.getKeyCmdMap(rows);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(rows, 165u);
    EXPECT_EQ(controller.m_nKeyCmdSum, 165u);

    std::set<u32> keys, commands;
    std::map<std::string, int> perHandler;
    std::map<u32, u32> differing;
    for (u32 i = 0; i < rows; ++i) {
        const keycmd& row = table[i];
        EXPECT_TRUE(keys.insert(row.nKey).second) << "duplicate key " << row.nKey;
        ++perHandler[std::string(row.szFuncName).substr(std::string(row.szFuncName).rfind(':') + 1)];
        if (row.pfnHandler == nullptr) {
            EXPECT_TRUE(row.nIaCmd == 0 && std::string(row.szFuncName) == "NULL") << row.nKey;
            continue;
        }
        EXPECT_TRUE(commands.insert(row.nIaCmd).second) << "duplicate command " << row.nIaCmd;
        EXPECT_EQ(std::string(row.szFuncName).rfind("&ISensorController::", 0), 0u);
        if (row.nIaCmd != row.nKey) differing[row.nKey] = row.nIaCmd;
    }
    EXPECT_EQ(differing, (std::map<u32, u32>{{83, 85}, {17, 83}, {18, 84}, {170, 168}, {171, 169}, {172, 170},
                                             {173, 171}, {174, 172}, {2497, 2464}}));
    const std::map<std::string, int> expectedCounts = {
        {"doIaCmd", 87},    {"doIaCmd_PanoTuning", 35}, {"doIaCmd_User", 11}, {"test_debugParam", 4},
        {"doDNTime", 4},    {"doDNThr", 3},             {"doImageAdjust", 3}, {"doHwdr", 1},
        {"doDIS", 1},       {"doMirror", 1},            {"doBeaway", 1},      {"doIaCmdShutter", 1},
        {"doIoCrtl", 1},    {"NULL", 12}};
    EXPECT_EQ(perHandler, expectedCounts);

    // Numbers are stored in parameter files and must never change.
    EXPECT_EQ(KEY__DDE_MANUAL_STRG, 8240u);
    EXPECT_EQ(KEY_WB_BG, 773u);
}

// Each side list holds exactly the keys whose row in key_table.def names the
// fact, in table order; twins pair with the base their row names.
TEST(KeyTable, SideListsAreTheRowsWithTheirFact)
{
    struct Row {
        u32 key;
        std::string facts;
        u32 twinOf;
    };
    const std::vector<Row> rows = {
#define SENSOR_KEY(constant, key, cmd, handler, facts) {key, #facts, 0},
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler, facts) {key, #facts, 0},
#define SENSOR_KEY_NO_CMD(constant, key, facts, twinOf) {key, #facts, static_cast<u32>(twinOf + 0)},
#define SENSOR_TWIN_KEY(constant, key, twinOf) {key, "PLAIN", twinOf},
#define NO_TWIN 0
#include "key_table.def"
#undef NO_TWIN
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
#undef SENSOR_TWIN_KEY
    };
    auto rowsWith = [&](std::initializer_list<const char*> words) {
        std::vector<u32> keys;
        for (const Row& row : rows) {
            for (const char* word : words) {
                if ((" " + row.facts + " ").find(std::string(" ") + word + " ") != std::string::npos) {
                    keys.push_back(row.key);
                    break;
                }
            }
        }
        return keys;
    };
    auto asVector = [](const auto& list) { return std::vector<u32>(list.begin(), list.end()); };
    EXPECT_EQ(asVector(sensor::kStoredOnlyKeys), rowsWith({"STORED_ONLY"}));
    EXPECT_EQ(asVector(sensor::kDayNightKeys), rowsWith({"DAY_NIGHT"}));
    EXPECT_EQ(asVector(sensor::kThermalRoutedKeys), rowsWith({"THERMAL_OWN", "THERMAL_VIDEO"}));
    EXPECT_EQ(asVector(sensor::kNotCachedKeys), rowsWith({"NOT_CACHED"}));
    EXPECT_EQ(asVector(sensor::kRangedKeys), rowsWith({"RANGED"}));
    EXPECT_EQ(asVector(sensor::kStyleValueKeys), rowsWith({"STYLE_VALUE"}));
    EXPECT_EQ(asVector(sensor::kWdrItemKeys), rowsWith({"WDR_ITEM"}));
    EXPECT_EQ(asVector(sensor::kLdcItemKeys), rowsWith({"LDC_ITEM"}));

    std::vector<std::pair<u32, u32>> twins, derived;
    for (const Row& row : rows) {
        if (row.twinOf != 0) twins.emplace_back(row.twinOf, row.key);
    }
    for (const sensor::TwinKeys& pair : sensor::kTwinKeys) derived.emplace_back(pair.base, pair.twin);
    EXPECT_EQ(derived, twins);
    // A style value is only taken for a command whose range is handed out.
    for (u32 key : sensor::kStyleValueKeys) EXPECT_TRUE(sensor::listed(sensor::kRangedKeys, key)) << key;
}
