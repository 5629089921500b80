// sensorctl check [KEY...] [--channel N] [-E] [--save]: the bring-up check of
// every channel of the tree (or one) against the linked ISP library.
#ifndef SENSORCTL_CHECK_COMMAND_H
#define SENSORCTL_CHECK_COMMAND_H

#include <functional>
#include <string>
#include <vector>

// Called before each test with its channel and name; tests interrupt there.
typedef std::function<void(int channel, const std::string& test)> CheckObserver;

// 0 when no test failed, 1 when one did, 2 on bad usage, 128 + the signal
// after an interruption (the values put back).
int runCheck(const std::vector<std::string>& args, const CheckObserver& beforeTest = CheckObserver());

#endif
