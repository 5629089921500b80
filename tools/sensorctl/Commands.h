// The commands of sensorctl, kept as one table.
#ifndef SENSORCTL_COMMANDS_H
#define SENSORCTL_COMMANDS_H

#include <cstdio>
#include <string>
#include <vector>

#include "Session.h"

// Exit codes of sensorctl.
enum ExitCode { kExitOk = 0, kExitRuntime = 1, kExitUsage = 2, kExitAssertion = 3 };

// How strictly input is taken.
struct InputPolicy {
    bool force = false; // keys outside the key table pass
    bool strict = false; // values outside the style's range or options are refused, not warned of
};

struct CommandContext {
    Session& session;
    int channel;
    std::string command; // the name the command was called by
    const InputPolicy& policy;
    std::string error;
    ExitCode failure = kExitRuntime; // kind of the error, when there is one
};

typedef bool (*CommandHandler)(CommandContext& context, const std::vector<std::string>& args);

struct Command {
    const char* name;
    const char* usage;
    const char* help;
    int minArgs;
    int maxArgs; // -1: any number
    bool printsTraffic; // ISP calls made by the command are printed after it
    CommandHandler handler;
};

// Where results go: standard output. The library's own console lines (its
// reports, the video module's notes) go to standard error, so scripts read
// only results.
std::FILE* results();
void setResults(std::FILE* stream);

const std::vector<Command>& commandTable();
const Command* findCommand(const std::string& name);
// The command's line in the help: usage, a star when its ISP calls are printed, purpose.
std::string describeCommand(const Command& command);

#endif
