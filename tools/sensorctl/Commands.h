// The commands of sensorctl, kept as one table.
#ifndef SENSORCTL_COMMANDS_H
#define SENSORCTL_COMMANDS_H

#include <cstdio>
#include <string>
#include <vector>

#include "Session.h"

struct CommandContext {
    Session& session;
    int channel;
    std::string command; // the name the command was called by
    std::string error;
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

#endif
