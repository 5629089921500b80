// sensorctl: runs the sensor controllers of a device tree on a PC, with the
// simulated ISP and the simulated clock, and executes commands against them.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "Cli.h"
#include "Commands.h"
#include "Console.h"
#include "KeyNames.h"
#include "Output.h"
#include "Runner.h"
#include "Session.h"
#include "Standalone.h"

namespace {

// Files by which a folder is recognised as a device tree.
const char* const kTreeMarkers[] = {"/hd1/moduleConfig/moduleConfig.xml", "/mnt/mtd/code/factory_setting/machineinfo.ini"};

// A failed assertion of the library aborts (when the tree asks for it):
// its own exit code, so scripts can tell it from a failed command.
void onAbort(int)
{
    static const char message[] = "sensorctl: the library's assertion failed, stopped\n";
    (void)!write(STDERR_FILENO, message, sizeof message - 1);
    _exit(kExitAssertion);
}

bool isDeviceTree(const std::string& root)
{
    for (const char* marker : kTreeMarkers) {
        struct stat info {};
        if (stat((root + marker).c_str(), &info) == 0 && S_ISREG(info.st_mode)) return true;
    }
    return false;
}

// Device paths resolve under the tree; refuses anything that is not one.
bool chooseRoot(const Options& options, std::string& error)
{
    if (!options.rootGiven) {
        error = "no device tree: give --root DIR (or SENSOR_ROOTFS); \"--root /\" runs on this PC's own root";
        return false;
    }
    char resolved[4096];
    struct stat info {};
    if (realpath(options.root.c_str(), resolved) == nullptr || stat(resolved, &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = "no such folder: " + options.root;
        return false;
    }
    const std::string root = std::string(resolved) == "/" ? "" : resolved;
    if (!isDeviceTree(root)) {
        error = options.root + " is no device tree (it has neither " + kTreeMarkers[0] + " nor " + kTreeMarkers[1] + ")";
        return false;
    }
    setenv("SENSOR_ROOTFS", resolved, 1);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printHelp(standaloneTable());
            return kExitOk;
        }
        if (arg == "--version") {
            std::printf("sensorctl %s\n", SENSORCTL_VERSION);
            return kExitOk;
        }
        if (arg == "--man") {
            printManPage(standaloneTable());
            return kExitOk;
        }
        // Word lists for shell completion.
        if (arg == "--list-commands" || arg == "--list-keys" || arg == "--list-options") {
            if (arg == "--list-keys") {
                for (const std::string& name : keyConstantNames()) std::printf("%s\n", name.c_str());
            } else if (arg == "--list-options") {
                printOptionNames();
            } else {
                for (const Command& command : commandTable()) std::printf("%s\n", command.name);
                for (const Standalone& command : standaloneTable()) std::printf("%s\n", command.name);
            }
            return kExitOk;
        }
    }
    Options options;
    std::string error;
    std::vector<Step> steps;
    int channel = 1;
    if (!parseArguments(argc, argv, options, error)) return failWith(kExitUsage, error);
    std::vector<std::string> words;
    for (const Word& word : options.words) words.push_back(word.text);
    const Standalone* standalone = findStandalone(words);
    if (standalone == nullptr && !planSteps(options.words, channel, steps, error)) return failWith(kExitUsage, error);
    const bool needsTree = standalone == nullptr || standalone->needsTree || options.rootGiven;
    if (needsTree && !chooseRoot(options, error)) return failWith(kExitUsage, error);
    std::signal(SIGABRT, onAbort);
    if (standalone != nullptr && standalone->ownsConsole) {
        std::vector<std::string> args(words.begin() + 1, words.end());
        // It keeps the console itself.
        if (options.quiet || options.verbose) args.insert(args.begin(), options.quiet ? "--quiet" : "-v");
        return standalone->run(args, options);
    }

    // Results keep standard output; the library's console goes elsewhere.
    LibraryConsole console;
    std::FILE* const resultStream = console.route(options.quiet, options.verbose, options.logPath, error);
    if (resultStream == nullptr) return failWith(kExitRuntime, error);
    setResults(resultStream);
    setJsonOutput(options.json);
    if (standalone != nullptr) return standalone->run(std::vector<std::string>(words.begin() + 1, words.end()), options);

    Session session;
    session.setEchoCalls(options.trace);
    if (!session.open(options.start, options.startTime, error)) return failWith(kExitRuntime, error);
    session.takeCalls();
    return runSteps(session, steps, options.policy);
}
