// sensorctl check [KEY...] [--channel N] [-E] [--save]: the bring-up check of
// every channel of the tree (or one) against the linked ISP library.
#ifndef SENSORCTL_CHECK_COMMAND_H
#define SENSORCTL_CHECK_COMMAND_H

#include <string>
#include <vector>

#include "CheckTests.h"
#include "Session.h"

struct CheckOptions {
    int channel = 0; // 0: every channel
    bool stopAtFailure = false;
    CheckScope scope;
};

// False (with a message) on bad usage.
bool parseCheckArgs(const std::vector<std::string>& args, CheckOptions& options);
// Checks the started controllers of the session, catching SIGINT and SIGTERM
// meanwhile. 0 when no test failed, 1 when one did, 2 for a channel the tree
// lacks, 128 + the signal after an interruption (the values put back).
int checkSession(Session& session, const CheckOptions& options);
// The whole command: lint's rules, a session of the tree, the check.
int runCheck(const std::vector<std::string>& args);

#endif
