// Parameter files of the device tree read as the records they hold.
#ifndef SENSORCTL_SCHEME_FILE_H
#define SENSORCTL_SCHEME_FILE_H

#include <string>
#include <vector>

#include "SensorTypes.h"

// The records of a parameter file of the device tree; false when it cannot be read.
bool readKeyValFile(std::string name, std::vector<KeyVal>& set);

#endif
