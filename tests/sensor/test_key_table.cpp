// The built key-command table holds the invariants the ISP traffic relies on.
#include <gtest/gtest.h>

#include <cstring>
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
    int sameAsKey = 0;
    for (u32 i = 0; i < rows; ++i) {
        const keycmd& row = table[i];
        EXPECT_TRUE(keys.insert(row.nKey).second) << "duplicate key " << row.nKey;
        const std::string handler = row.szFuncName;
        ++perHandler[handler];
        if (row.pfnHandler == nullptr) {
            EXPECT_EQ(row.nIaCmd, 0u);
            EXPECT_EQ(handler, "NULL");
            continue;
        }
        EXPECT_TRUE(commands.insert(row.nIaCmd).second) << "duplicate command " << row.nIaCmd;
        EXPECT_EQ(handler.rfind("&ISensorController::", 0), 0u);
        if (row.nIaCmd == row.nKey) {
            ++sameAsKey;
        } else {
            differing[row.nKey] = row.nIaCmd;
        }
    }
    EXPECT_EQ(sameAsKey, 144);
    const std::map<u32, u32> expectedDiffering = {{83, 85},   {17, 83},   {18, 84},   {170, 168}, {171, 169},
                                                  {172, 170}, {173, 171}, {174, 172}, {2497, 2464}};
    EXPECT_EQ(differing, expectedDiffering);

    const std::map<std::string, int> expectedCounts = {
        {"&ISensorController::doIaCmd", 87},       {"&ISensorController::doIaCmd_PanoTuning", 35},
        {"&ISensorController::doIaCmd_User", 11},  {"&ISensorController::test_debugParam", 4},
        {"&ISensorController::doDNTime", 4},       {"&ISensorController::doDNThr", 3},
        {"&ISensorController::doImageAdjust", 3},  {"&ISensorController::doHwdr", 1},
        {"&ISensorController::doDIS", 1},          {"&ISensorController::doMirror", 1},
        {"&ISensorController::doBeaway", 1},       {"&ISensorController::doIaCmdShutter", 1},
        {"&ISensorController::doIoCrtl", 1},       {"NULL", 12},
    };
    EXPECT_EQ(perHandler, expectedCounts);

    // Pinned rows: numbers are stored in parameter files and must never move.
    EXPECT_STREQ(table[0].szKeyName, "KEY__DDE_MANUAL_STRG");
    EXPECT_EQ(table[0].nKey, 8240u);
    EXPECT_STREQ(table[125].szKeyName, "IA_CMD_UI_SHUTTER_RESET");
    EXPECT_EQ(table[164].nKey, static_cast<u32>(KEY_WB_BG));
    EXPECT_EQ(KEY_WB_BG, 773u);
    EXPECT_STREQ(table[85].szKeyName, "KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV");
    EXPECT_EQ(std::string(table[91].szFuncName), "NULL");
}

TEST(KeyTable, SecondStartRebuildsAtTheBuiltSize)
{
    ControllerRig rig;
    ControllerProbe& controller = rig.start(1);
    const ModuleConfigure config = rig.moduleConfig(1);
    ControllerRig::runWithClock([&] {
        controller.uinit();
        EXPECT_EQ(controller.m_nKeyCmdSum, 165u); // uinit keeps the row count
        controller.init(config);
    });
    u32 rows = 0;
    const keycmd* table = controller.getKeyCmdMap(rows);
    ASSERT_EQ(rows, 165u);
    keycmd row{};
    EXPECT_EQ(controller.findFromKeyCmdMap(table, 17, row), 20);
    EXPECT_EQ(row.nIaCmd, 83u);
    EXPECT_STREQ(row.szKeyName, "KEY_IRIS_UP");
}
