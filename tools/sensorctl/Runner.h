// Runs planned commands on a session: the command line, a script and each
// line of the shell go through here.
#ifndef SENSORCTL_RUNNER_H
#define SENSORCTL_RUNNER_H

#include <string>
#include <vector>

#include "Cli.h"
#include "Commands.h"
#include "Session.h"

// Prints "sensorctl: message" on standard error and gives back the code.
int failWith(int code, const std::string& message);
// Stops at the first command that fails; its exit code.
int runSteps(Session& session, const std::vector<Step>& steps, const InputPolicy& policy);

#endif
