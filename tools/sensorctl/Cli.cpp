#include "Cli.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

struct OptionHelp {
    const char* name;
    const char* value;
    const char* help;
};

const OptionHelp kOptions[] = {
    {"--root", "DIR", "device tree to run on (default: $SENSOR_ROOTFS; \"/\" only when given)"},
    {"--channel", "N", "channel of the commands that follow (default 1)"},
    {"--no-init", "", "construct the controllers without starting them"},
    {"--trace", "", "print every ISP call as it happens, start-up included"},
    {"--time", "HH:MM", "simulated time of day at start (default 00:00)"},
    {"--date", "DATE", "simulated date at start, YYYY-MM-DD (default 2000-01-01)"},
    {"--force", "", "send keys that are not in the key table"},
    {"--strict", "", "refuse values outside the style's range or options (else a warning)"},
    {"--quiet", "", "no library console lines"},
    {"-v", "", "every library console line (default: warnings, errors and assertions)"},
    {"--log", "FILE", "library console lines to FILE instead of standard error"},
    {"--json", "", "each command's table or values as one JSON document a line"},
    {"-f", "SCRIPT", "read commands from a file, one a line ('#' starts a comment)"},
    {"--help", "", "this text"},
    {"--version", "", "print the version and exit"},
};

bool readScript(const std::string& path, std::vector<Word>& words, std::string& error)
{
    struct stat info {};
    std::ifstream in(path);
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || !in) {
        error = "cannot read script " + path + " (not a readable file)";
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        for (const Word& word : lineWords(line, path + ":" + std::to_string(number))) words.push_back(word);
    }
    return true;
}

// Options that take a value: where each goes.
bool valueOption(const std::string& option, const std::string& value, Options& options, std::string& error)
{
    if (option == "--root") {
        options.root = value;
        options.rootGiven = true;
    } else if (option == "--log") {
        options.logPath = value;
    } else if (option == "--time") {
        if (!parseTimeOfDay(value, options.startTime.hour, options.startTime.minute)) error = "--time needs HH:MM";
    } else if (option == "--date") {
        if (!parseDate(value, options.startTime)) error = "--date needs a date YYYY-MM-DD";
    } else if (option == "-f") {
        readScript(value, options.words, error);
    } else {
        return false;
    }
    return true;
}

bool flagOption(const std::string& option, Options& options)
{
    bool* const flag = option == "--no-init"  ? &options.start
                       : option == "--trace"  ? &options.trace
                       : option == "--quiet"  ? &options.quiet
                       : option == "-v"       ? &options.verbose
                       : option == "--force"  ? &options.policy.force
                       : option == "--strict" ? &options.policy.strict
                       : option == "--json"   ? &options.json
                                              : nullptr;
    if (flag == nullptr) return false;
    *flag = option != "--no-init";
    return true;
}

} // namespace

void printHelp(const std::vector<Standalone>& alone)
{
    std::printf(
        "usage: sensorctl [OPTIONS] COMMAND [ARGS] [COMMAND ...]\n"
        "       sensorctl [OPTIONS] shell\n"
        "\n"
        "Starts a controller for every channel of the device tree (init from its module\n"
        "configuration and machine information), runs the commands in order, then stops\n"
        "them. The ISP is the simulated one, loaded from /mnt/mtd/isp_profile.ini; time is\n"
        "simulated, so waits cost no real time and results never depend on the PC's clock.\n"
        "A KEY is a number or a key name (KEY_BRIGHTNESS, brightness).\n"
        "\n"
        "options:\n");
    for (const OptionHelp& option : kOptions) {
        std::printf("  %-14s %s\n", (std::string(option.name) + (*option.value != '\0' ? " " : "") + option.value).c_str(), option.help);
    }
    std::printf(
        "\n"
        "exit status: 0 ok, 1 a command failed, 2 bad usage or input, 3 the library's\n"
        "assertion failed (abort switch of /tmp/Debug.sign).\n"
        "\n"
        "commands (ISP calls caused by the starred ones are printed as 'isp' lines):\n");
    for (const Command& command : commandTable()) std::printf("%s\n", describeCommand(command).c_str());
    std::printf("\ncommands that run alone:\n");
    for (const Standalone& command : alone) std::printf("  %-30s   %s\n", command.usage, command.help);
}

void printOptionNames()
{
    for (const OptionHelp& option : kOptions) std::printf("%s\n", option.name);
}

void printManPage(const std::vector<Standalone>& alone)
{
    std::printf(".TH SENSORCTL 1\n.SH NAME\nsensorctl \\- run the sensor controllers of a device tree on a PC\n"
                ".SH SYNOPSIS\n.B sensorctl\n[OPTIONS] COMMAND [ARGS] [COMMAND ...]\n.SH DESCRIPTION\n"
                "Every option, exit status and command as listed by \\fBsensorctl \\-\\-help\\fR.\n.SH OPTIONS\n");
    for (const OptionHelp& option : kOptions) std::printf(".TP\n.B %s %s\n%s\n", option.name, option.value, option.help);
    std::printf(".SH COMMANDS\n");
    for (const Command& command : commandTable()) {
        std::printf(".TP\n.B %s\n%s\n", command.usage, command.help);
    }
    for (const Standalone& command : alone) {
        std::printf(".TP\n.B %s\n%s (runs alone)\n", command.usage, command.help);
    }
    std::printf(".SH SEE ALSO\nThe project's README: running on a PC, installing.\n");
}

std::vector<Word> lineWords(std::string line, const std::string& origin)
{
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::vector<Word> words;
    for (const std::string& word : splitWords(line)) words.push_back({word, origin});
    return words;
}

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

bool parseArguments(int argc, char** argv, Options& options, std::string& error)
{
    const char* const environmentRoot = std::getenv("SENSOR_ROOTFS");
    if (environmentRoot != nullptr && *environmentRoot != '\0') {
        options.root = environmentRoot;
        options.rootGiven = true;
    }
    for (int i = 1; i < argc && error.empty(); ++i) {
        const std::string arg = argv[i];
        if (flagOption(arg, options)) continue;
        if (i + 1 < argc && valueOption(arg, argv[i + 1], options, error)) {
            ++i;
        } else if (valueOption(arg, "", options, error)) {
            error = arg + " needs a value";
        } else {
            error.clear();
            options.words.push_back({arg, ""});
        }
    }
    return error.empty();
}

std::string located(const std::string& origin, const std::string& message)
{
    return origin.empty() ? message : origin + ": " + message;
}

bool planSteps(const std::vector<Word>& words, int& channel, std::vector<Step>& steps, std::string& error)
{
    for (size_t i = 0; i < words.size();) {
        const Word& word = words[i];
        if (word.text == "--channel") {
            if (i + 1 >= words.size() || std::atoi(words[i + 1].text.c_str()) < 1) {
                error = located(word.origin, "--channel needs a channel number from 1");
                return false;
            }
            channel = std::atoi(words[i + 1].text.c_str());
            i += 2;
            continue;
        }
        const Command* command = findCommand(word.text);
        if (command == nullptr) {
            error = located(word.origin, "unknown command \"" + word.text + "\" (see --help)");
            return false;
        }
        Step step{command, {}, channel, word.origin};
        // "help" takes a command's name as its argument, "op" an operation's,
        // which may be a command's too ("op flush").
        const bool namesCommand = std::string(command->name) == "help" || std::string(command->name) == "op";
        for (++i; i < words.size() && (findCommand(words[i].text) == nullptr || (namesCommand && step.args.empty())) &&
                  words[i].text != "--channel" && words[i].origin == word.origin;
             ++i) {
            step.args.push_back(words[i].text);
        }
        const int count = static_cast<int>(step.args.size());
        if (count < command->minArgs || (command->maxArgs >= 0 && count > command->maxArgs)) {
            error = located(word.origin, std::string("usage: ") + command->usage);
            return false;
        }
        steps.push_back(step);
    }
    return true;
}
