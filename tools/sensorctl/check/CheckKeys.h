// What the check needs to know of each key, read from the rows of
// key_table.def: its ISP command and the facts its row states.
#ifndef SENSORCTL_CHECK_KEYS_H
#define SENSORCTL_CHECK_KEYS_H

#include <vector>

#include "ISensorController.h"

struct CheckKey {
    u32 key;
    u32 command; // 0: the row sends nothing (or the twin is sent through its base)
    u32 facts;   // CheckFact bits
    u32 twinOf;  // base key of an intelligent-mode twin, 0 for none
    bool tableRow; // a row of the built table (twins outside it are not)
    KeyHandler handler; // nullptr: never sent
    // Its handler tells the video module only: no ISP call.
    bool toVideoOnly() const { return handler == &ISensorController::doIaCmd_PanoTuning; }
};

// The facts column of key_table.def as bits.
namespace CheckFact {
constexpr u32 PLAIN = 0;
constexpr u32 STORED_ONLY = 1u << 0;
constexpr u32 DAY_NIGHT = 1u << 1;
constexpr u32 THERMAL_OWN = 1u << 2;
constexpr u32 THERMAL_VIDEO = 1u << 3;
constexpr u32 NOT_CACHED = 1u << 4;
constexpr u32 RANGED = 1u << 5;
constexpr u32 STYLE_VALUE = 1u << 6;
constexpr u32 WDR_ITEM = 1u << 7;
constexpr u32 LDC_ITEM = 1u << 8;
} // namespace CheckFact

const std::vector<CheckKey>& checkKeys();
// nullptr for a key outside the table.
const CheckKey* findCheckKey(u32 key);
// The twin whose base is the key, or nullptr.
const CheckKey* twinWithBase(u32 key);
// A key number no row uses, for the out-of-table probe.
u32 keyOutsideTable();

#endif
