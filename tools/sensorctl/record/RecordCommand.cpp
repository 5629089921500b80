#include "RecordCommand.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Bundle.h"
#include "Commands.h"
#include "RecordLog.h"
#include "Replay.h"
#include "ReplayTree.h"
#include "Runner.h"
#include "Session.h"

namespace {

const char* const kRecordUsage = "usage: record --out FILE [COMMAND...], the commands there or in -f SCRIPT";

std::string deviceTree()
{
    const char* root = std::getenv("SENSOR_ROOTFS");
    return root != nullptr ? root : "";
}

bool writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

// Puts the tree to replay on in `tree` and gives back the recorded log's text.
bool prepareTree(const std::string& source, const std::string& tree, std::string& log, std::string& error)
{
    if (isBundle(source)) {
        if (!extractBundle(source, tree, error)) return false;
        log = readRecorderFiles(tree);
        return true;
    }
    const std::string root = deviceTree();
    if (root.empty()) {
        error = "replay of a log needs the tree it was recorded on: give --root (or a bundle)";
        return false;
    }
    std::error_code failure;
    std::filesystem::copy(root, tree, std::filesystem::copy_options::recursive, failure);
    if (failure) {
        error = "cannot copy " + root + ": " + failure.message();
        return false;
    }
    log = readWholeFile(source);
    return true;
}

} // namespace

int runRecord(const std::vector<std::string>& args, const Options& options)
{
    // The commands are the words after "record --out FILE", a script's with their lines.
    const size_t firstCommand = 3;
    if (args.size() < 2 || args[0] != "--out" || options.words.size() <= firstCommand) {
        return failWith(kExitUsage, kRecordUsage);
    }
    const std::vector<Word> words(options.words.begin() + firstCommand, options.words.end());
    const std::string root = deviceTree();
    int channel = 1;
    std::vector<Step> steps;
    std::string error;
    if (!planSteps(words, channel, steps, error)) return failWith(kExitUsage, error);
    if (!switchRecorderOn(root, error)) return failWith(kExitRuntime, error);
    int code = kExitOk;
    {
        Session session;
        code = session.open(true, options.startTime, error) ? (session.takeCalls(), runSteps(session, steps, options.policy))
                                                            : failWith(kExitRuntime, error);
    }
    const std::string log = readRecorderFiles(root);
    switchRecorderOff(root);
    if (!writeFile(args[1], log)) return failWith(kExitRuntime, "cannot write " + args[1]);
    return code;
}

int runReplay(const std::vector<std::string>& args)
{
    const bool update = args.size() == 2 && args[1] == "--update";
    if (args.empty() || args.size() > 2 || (args.size() == 2 && !update)) {
        return failWith(kExitUsage, "usage: replay FILE|BUNDLE [--update]");
    }
    if (update && isBundle(args[0])) return failWith(kExitUsage, "--update rewrites a log, not a bundle");
    TemporaryTree tree;
    std::string text, error, replayedText;
    if (tree.path().empty()) return failWith(kExitRuntime, "cannot make a temporary folder");
    if (!prepareTree(args[0], tree.path(), text, error)) return failWith(kExitUsage, error);
    const RecordLog recorded = parseRecordLog(text);
    if (recorded.calls.empty()) return failWith(kExitUsage, args[0] + " holds no recorded call");
    if (recorded.dropped > 0) {
        std::fprintf(stderr, "sensorctl: warning: the device dropped %lld records; calls after them may differ\n", recorded.dropped);
    }
    const ExitCode code = replayOnTree(recorded, tree.path(), replayedText, error);
    if (code != kExitOk) return failWith(code, error);
    if (update) {
        if (!writeFile(args[0], replayedText)) return failWith(kExitRuntime, "cannot write " + args[0]);
        std::fprintf(results(), "replay: %s rewritten\n", args[0].c_str());
        return kExitOk;
    }
    return compareLogs(recorded, parseRecordLog(replayedText), results()) == 0 ? kExitOk : kExitRuntime;
}
