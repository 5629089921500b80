// record, replay and bundle: a bug report as a file (README "Bug reports:
// record and replay").
#ifndef SENSORCTL_RECORD_COMMAND_H
#define SENSORCTL_RECORD_COMMAND_H

#include <string>
#include <vector>

#include "Cli.h"

// record --out FILE [COMMAND...]: runs the commands (with -f, a script's too)
// from --time and --date with the flight recorder on and writes its log to FILE.
int runRecord(const std::vector<std::string>& args, const Options& options);
// replay FILE|BUNDLE [--update]: runs a recorded log again on a copy of the
// tree (or of the bundle's) and compares each call's ISP calls and result.
int runReplay(const std::vector<std::string>& args);

#endif
