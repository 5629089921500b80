// The built key-command table holds the invariants the ISP traffic relies on.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

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
    std::map<u32, u32> differing;
    for (u32 i = 0; i < rows; ++i) {
        const keycmd& row = table[i];
        EXPECT_TRUE(keys.insert(row.nKey).second) << "duplicate key " << row.nKey;
        if (row.pfnHandler == nullptr) {
            EXPECT_EQ(row.nIaCmd, 0u) << row.nKey;
            EXPECT_STREQ(row.szFuncName, "NULL") << row.nKey;
            continue;
        }
        EXPECT_TRUE(commands.insert(row.nIaCmd).second) << "duplicate command " << row.nIaCmd;
        EXPECT_EQ(std::string(row.szFuncName).rfind("&ISensorController::", 0), 0u);
        if (row.nIaCmd != row.nKey) differing[row.nKey] = row.nIaCmd;
    }
    EXPECT_EQ(differing, (std::map<u32, u32>{{83, 85}, {17, 83}, {18, 84}, {170, 168}, {171, 169}, {172, 170},
                                             {173, 171}, {174, 172}, {2497, 2464}}));
    // A style value is only taken for a command whose range is handed out.
    for (u32 key : sensor::kStyleValueKeys) EXPECT_TRUE(sensor::listed(sensor::kRangedKeys, key)) << key;
}
