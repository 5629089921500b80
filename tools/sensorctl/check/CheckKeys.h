// What the check needs to know of each key, read from the rows of
// key_table.def: its ISP command and the facts its row states.
#ifndef SENSORCTL_CHECK_KEYS_H
#define SENSORCTL_CHECK_KEYS_H

#include <vector>

#include "ISensorController.h"
#include "KeyFactWords.h"

struct CheckKey {
    u32 key;
    u32 command; // 0: the row sends nothing (or the twin is sent through its base)
    u32 facts;   // sensor::fact bits
    u32 twinOf;  // base key of an intelligent-mode twin, 0 for none
    bool tableRow; // a row of the built table (twins outside it are not)
    KeyHandler handler; // nullptr: never sent
    // Its handler tells the video module only: no ISP call.
    bool toVideoOnly() const { return handler == &ISensorController::doIaCmd_PanoTuning; }
};


const std::vector<CheckKey>& checkKeys();
// nullptr for a key outside the table.
const CheckKey* findCheckKey(u32 key);
// The twin whose base is the key, or nullptr.
const CheckKey* twinWithBase(u32 key);
// A key number no row uses, for the out-of-table probe.
u32 keyOutsideTable();

#endif
