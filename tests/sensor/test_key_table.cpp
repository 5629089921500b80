// The built key-command table holds the invariants the ISP traffic relies on.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "ControllerRig.h"
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

    // Pinned rows: numbers are stored in parameter files and must never move.
    EXPECT_STREQ(table[0].szKeyName, "KEY__DDE_MANUAL_STRG");
    EXPECT_EQ(table[0].nKey, 8240u);
    EXPECT_STREQ(table[85].szKeyName, "KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV");
    EXPECT_STREQ(table[125].szKeyName, "IA_CMD_UI_SHUTTER_RESET");
    EXPECT_EQ(table[164].nKey, 773u);
}
