// Commands that take the whole run instead of being steps over the started
// controllers: the page server, its static preview and the style linter.
#ifndef SENSORCTL_STANDALONE_H
#define SENSORCTL_STANDALONE_H

#include <string>
#include <vector>

struct Options;

struct Standalone {
    const char* name;
    const char* usage;
    const char* help;
    bool needsTree;   // runs on the device tree (else --root is optional)
    bool ownsConsole; // captures the library's console itself (else it is routed as for commands)
    // The words after the name, and the parsed command line (the options and
    // every word with its origin) for a command that runs commands itself.
    int (*run)(const std::vector<std::string>& args, const Options& options);
};

const std::vector<Standalone>& standaloneTable();
// The command that the first word names, or null.
const Standalone* findStandalone(const std::vector<std::string>& words);

#endif
