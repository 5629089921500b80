#include "Standalone.h"

#include <cstdio>

#include "Cli.h"
#include "Commands.h"
#include "check/CheckCommand.h"
#include "lint/LintCommand.h"
#include "record/Bundle.h"
#include "record/RecordCommand.h"
#include "web/ServeCommand.h"

namespace {

// A command that takes its words alone.
template <int (*Run)(const std::vector<std::string>&)>
int wordsOnly(const std::vector<std::string>& args, const Options&)
{
    return Run(args);
}

} // namespace

const std::vector<Standalone>& standaloneTable()
{
    static const std::vector<Standalone> table = {
        {"serve", "serve [--port N] [--listen ADDR]", "the imaging page of every channel, live (default 127.0.0.1:8080)",
         true, true, wordsOnly<runServe>},
        {"preview", "preview --out FILE", "the imaging page as one static HTML file", true, false, wordsOnly<runPreview>},
        {"lint", "lint [STYLE] [DIVERSITY]", "check a style pair (default: the tree's); FILE:LINE:COLUMN: message",
         false, false, [](const std::vector<std::string>& args, const Options&) { return runLint(args, results(), stderr); }},
        {"check", "check [KEY...] [--channel N] [-E] [--save]",
         "bring-up check: every key set to its limits and options, read back, seen at the ISP; schemes; values put back",
         true, false, [](const std::vector<std::string>& args, const Options&) { return runCheck(args); }},
        {"record", "record --out FILE [COMMAND...]",
         "run the commands (and -f SCRIPT's) with the flight recorder on, the clock from --time and --date; its log to FILE",
         true, false, runRecord},
        {"replay", "replay FILE|BUNDLE [--update]",
         "run a recorded log again on a copy of the tree (or the bundle's); each call's ISP calls and result compared",
         false, false, wordsOnly<runReplay>},
        {"bundle", "bundle --out FILE", "a tar of what a replay needs: the recorder's log, configuration, schemes, profile",
         true, false, wordsOnly<runBundle>},
    };
    return table;
}

const Standalone* findStandalone(const std::vector<std::string>& words)
{
    if (words.empty()) return nullptr;
    for (const Standalone& command : standaloneTable()) {
        if (words[0] == command.name) return &command;
    }
    return nullptr;
}
