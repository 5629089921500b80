#ifndef TECHNIC_SY_SYSTEM_H
#define TECHNIC_SY_SYSTEM_H

// Runs a shell command; timeoutSeconds bounds its run. Absolute paths in the
// command are device paths. Returns the command's exit status, -1 when it
// could not be run or was stopped by the time limit.
int sy_system(const char* command, int timeoutSeconds);

#endif
