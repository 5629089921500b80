// Replaying a recorded log: its calls run again at their recorded times on a
// device tree, and the replayed log compared with the recorded one.
#ifndef SENSORCTL_REPLAY_H
#define SENSORCTL_REPLAY_H

#include <cstddef>
#include <cstdio>
#include <string>

#include "Commands.h"
#include "RecordLog.h"

// Runs the recorded calls again on the tree at `tree` (a copy: its recorder
// files are replaced) with the recorder on and gives back the replayed log's
// text. Else the exit code with the reason: usage when a call cannot run or
// the threads stop answering, runtime when the tree takes no recorder switch.
ExitCode replayOnTree(const RecordLog& recorded, const std::string& tree, std::string& replayedText, std::string& error);

// Prints the first differences and the verdict line to `out`; the number of
// calls that differ (the start-up and sensor threads' calls count as one).
size_t compareLogs(const RecordLog& recorded, const RecordLog& replayed, std::FILE* out);

#endif
