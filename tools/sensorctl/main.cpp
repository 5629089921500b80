// sensorctl: runs the sensor controllers of a device tree on a PC, with the
// simulated ISP, and executes commands against them.
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Session.h"

namespace {

struct Step {
    const Command* command;
    std::vector<std::string> args;
    int channel;
};

struct Options {
    std::string root;
    int channel = 1;
    bool start = true;
    bool trace = false;
    SimulatedStart startTime;
    std::vector<std::string> words;
};

void printHelp()
{
    std::printf(
        "usage: sensorctl [--root DIR] [--channel N] [--no-init] [--trace] [-f SCRIPT] COMMAND [ARGS] [COMMAND ...]\n"
        "\n"
        "Starts a controller for every channel of the device tree (init from its module\n"
        "configuration and machine information), runs the commands in order, then stops\n"
        "them. The ISP is the simulated one, loaded from /mnt/mtd/isp_profile.ini.\n"
        "\n"
        "options:\n"
        "  --root DIR     device tree to run on (default: $SENSOR_ROOTFS, else /)\n"
        "  --channel N    channel of the commands that follow (default 1)\n"
        "  --no-init      construct the controllers without starting them\n"
        "  --trace        print every ISP call as it happens, start-up included\n"
        "  --time HH:MM   simulated time of day at start (default 00:00)\n"
        "  --date DATE    simulated date at start, YYYY-MM-DD (default 2000-01-01)\n"
        "  -f SCRIPT      read commands from a file, one a line ('#' starts a comment)\n"
        "  --help         this text\n"
        "\n"
        "commands (ISP calls caused by the starred ones are printed as 'isp' lines):\n");
    for (const Command& command : commandTable()) {
        std::printf("  %-30s %s%s\n", command.usage, command.printsTraffic ? "* " : "  ", command.help);
    }
}

// Splits a script line into words; double quotes group words.
std::vector<std::string> splitWords(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, inWord = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

bool readScript(const std::string& path, std::vector<std::string>& words, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot read script " + path;
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        for (const std::string& word : splitWords(line)) words.push_back(word);
    }
    return true;
}

bool parseArguments(int argc, char** argv, Options& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--root" && hasValue) {
            options.root = argv[++i];
        } else if (arg == "--no-init") {
            options.start = false;
        } else if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--time" && hasValue) {
            if (!parseTimeOfDay(argv[++i], options.startTime.hour, options.startTime.minute)) {
                error = "--time needs HH:MM";
                return false;
            }
        } else if (arg == "--date" && hasValue) {
            if (!parseDate(argv[++i], options.startTime)) {
                error = "--date needs a date YYYY-MM-DD";
                return false;
            }
        } else if (arg == "-f" && hasValue) {
            if (!readScript(argv[++i], options.words, error)) return false;
        } else if (arg == "--root" || arg == "-f" || arg == "--time" || arg == "--date") {
            error = arg + " needs a value";
            return false;
        } else {
            options.words.push_back(arg);
        }
    }
    return true;
}

// Groups the words into commands with their arguments; "--channel N" between
// commands changes the channel of the commands after it.
bool planSteps(const Options& options, std::vector<Step>& steps, std::string& error)
{
    int channel = options.channel;
    for (size_t i = 0; i < options.words.size();) {
        const std::string& word = options.words[i];
        if (word == "--channel") {
            if (i + 1 >= options.words.size() || std::atoi(options.words[i + 1].c_str()) < 1) {
                error = "--channel needs a channel number from 1";
                return false;
            }
            channel = std::atoi(options.words[i + 1].c_str());
            i += 2;
            continue;
        }
        const Command* command = findCommand(word);
        if (command == nullptr) {
            error = "unknown command \"" + word + "\" (see --help)";
            return false;
        }
        Step step{command, {}, channel};
        for (++i; i < options.words.size() && findCommand(options.words[i]) == nullptr &&
                  options.words[i] != "--channel";
             ++i) {
            step.args.push_back(options.words[i]);
        }
        const int count = static_cast<int>(step.args.size());
        if (count < command->minArgs || (command->maxArgs >= 0 && count > command->maxArgs)) {
            error = std::string("usage: ") + command->usage;
            return false;
        }
        steps.push_back(step);
    }
    return true;
}

int failWith(const std::string& message)
{
    std::fprintf(stderr, "sensorctl: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            printHelp();
            return 0;
        }
    }
    Options options;
    std::string error;
    std::vector<Step> steps;
    if (!parseArguments(argc, argv, options, error) || !planSteps(options, steps, error)) return failWith(error);
    if (!options.root.empty()) {
        char resolved[4096];
        if (realpath(options.root.c_str(), resolved) == nullptr) return failWith("no such folder: " + options.root);
        setenv("SENSOR_ROOTFS", resolved, 1);
    }

    // Results keep standard output; everything the library prints on its
    // console goes to standard error from here on.
    std::fflush(stdout);
    const int resultFd = dup(STDOUT_FILENO);
    std::FILE* resultStream = resultFd >= 0 ? fdopen(resultFd, "w") : nullptr;
    if (resultStream == nullptr) return failWith("cannot keep standard output for results");
    dup2(STDERR_FILENO, STDOUT_FILENO);
    setResults(resultStream);

    Session session;
    session.setEchoCalls(options.trace);
    if (!session.open(options.start, options.startTime, error)) return failWith(error);
    session.takeCalls();

    for (const Step& step : steps) {
        if (!session.hasChannel(step.channel)) {
            return failWith("the device tree has no channel " + std::to_string(step.channel));
        }
        CommandContext context{session, step.channel, step.command->name, ""};
        const bool ok = step.command->handler(context, step.args);
        const std::vector<isp_sim::IspCall> calls = session.takeCalls();
        if (step.command->printsTraffic && !options.trace) {
            for (const isp_sim::IspCall& call : calls) {
                std::fprintf(resultStream, "isp\t%s\n", isp_sim::formatCall(call).c_str());
            }
        }
        std::fflush(resultStream);
        if (!ok) return failWith(std::string(step.command->name) + ": " + context.error);
    }
    return 0;
}
