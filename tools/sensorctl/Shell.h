// sensorctl's interactive session: the controllers keep running between
// commands, as on a camera. On a terminal lines are edited and remembered
// with libedit and Tab completes command and key names; otherwise lines are
// read plainly, so a pipe drives the shell like a script.
#ifndef SENSORCTL_SHELL_H
#define SENSORCTL_SHELL_H

#include <string>
#include <vector>

#include "Commands.h"

bool cmdShell(CommandContext& context, const std::vector<std::string>& args);

#endif
