// sensorctl's command line and script files: options, words with where they
// came from, and their grouping into commands.
#ifndef SENSORCTL_CLI_H
#define SENSORCTL_CLI_H

#include <string>
#include <vector>

#include "Standalone.h"

#include "Commands.h"
#include "SimulatedTime.h"

// A word and where it was written: "" for the command line, "FILE:LINE" in a script.
struct Word {
    std::string text;
    std::string origin;
};

struct Step {
    const Command* command;
    std::vector<std::string> args;
    int channel;
    std::string origin;
};

struct Options {
    std::string root;
    bool rootGiven = false;
    bool start = true;
    bool trace = false;
    bool quiet = false;
    bool verbose = false; // every console line, not only warnings and above
    bool json = false;
    std::string logPath;
    InputPolicy policy;
    SimulatedStart startTime;
    std::vector<Word> words;
};

void printHelp(const std::vector<Standalone>& alone);
// The manual page (roff) from the command table.
void printManPage(const std::vector<Standalone>& alone);
// Option names, one a line (shell completion).
void printOptionNames();
// A script or shell line's words: CR and '#' comments dropped.
std::vector<Word> lineWords(std::string line, const std::string& origin);
// Splits a line into words; double quotes group words.
std::vector<std::string> splitWords(const std::string& line);
bool parseArguments(int argc, char** argv, Options& options, std::string& error);
// Groups the words into commands with their arguments. A script line ends
// its command; "--channel N" between commands changes the channel of the
// commands after it. Errors name the script line.
bool planSteps(const std::vector<Word>& words, int& channel, std::vector<Step>& steps, std::string& error);
// Prefixes a message with the place of the word that caused it.
std::string located(const std::string& origin, const std::string& message);

#endif
