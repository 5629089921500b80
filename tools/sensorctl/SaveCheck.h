// After a command that saves: the current scheme's file read back must hold
// the scheme's set, or the save failed whatever the library returned.
#ifndef SENSORCTL_SAVE_CHECK_H
#define SENSORCTL_SAVE_CHECK_H

#include <string>

#include "ISensorController.h"

// True when the file holds the set (or the factory set is current, which has
// no file); otherwise `problem` says what the file holds instead.
bool savedSchemeReadsBack(ISensorController& controller, std::string& problem);

#endif
