// record, replay and bundle: a bug report as a file (README "Bug reports:
// record and replay").
#ifndef SENSORCTL_RECORD_COMMAND_H
#define SENSORCTL_RECORD_COMMAND_H

#include <string>
#include <vector>

#include "Cli.h"

// Runs the steps on the device tree at `root` with the flight recorder on,
// the clock from `start`; the recorder's log in `log`, the tree's recorder
// switched off again. The exit code of the steps.
int recordSteps(const std::string& root, const std::vector<Step>& steps, const SimulatedStart& start,
                const InputPolicy& policy, std::string& log);
// record --out FILE [COMMAND...]: runs the commands (with -f, a script's too)
// from --time and --date with the flight recorder on and writes its log to FILE.
int runRecord(const std::vector<std::string>& args, const Options& options);
// replay FILE|BUNDLE [--update]: runs a recorded log again on a copy of the
// tree (or of the bundle's) and compares each call's ISP calls and result.
int runReplay(const std::vector<std::string>& args);

#endif
