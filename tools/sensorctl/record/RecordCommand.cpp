#include "RecordCommand.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Bundle.h"
#include "Commands.h"
#include "Operations.h"
#include "RecordLog.h"
#include "ReplayTree.h"
#include "Runner.h"
#include "Session.h"

namespace {

// Calls of which the differences are shown; the rest are counted.
const size_t kShownDifferences = 3;

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

bool parseClock(const std::string& text, int& hour, int& minute, int& second)
{
    return std::sscanf(text.c_str(), "%d:%d:%d", &hour, &minute, &second) == 3;
}

// Runs one recorded call on its channel; false with the reason when it cannot run.
bool replayCall(Session& session, const RecordedCall& call, std::string& error)
{
    int channel = 0;
    std::vector<std::string> words;
    const Operation* operation = nullptr;
    if (!splitRecordedLine(call.line, channel, words) ||
        (operation = findOperation(words[0], static_cast<int>(words.size()) - 1)) == nullptr) {
        error = "cannot replay \"" + call.line + "\"";
        return false;
    }
    if (!session.hasChannel(channel) || static_cast<int>(words.size()) - 1 != operation->argCount) {
        error = "\"" + call.line + "\" does not fit the tree or the operation";
        return false;
    }
    const size_t firstNumber = operation->textCall ? 2 : 1;
    std::vector<int> numbers;
    for (size_t i = firstNumber; i < words.size(); ++i) numbers.push_back(std::atoi(words[i].c_str()));
    std::vector<std::string> out;
    ISensorController& controller = session.controller(channel);
    if (operation->textCall) {
        operation->textCall(controller, words[1], numbers, out);
    } else {
        operation->call(controller, numbers, out);
    }
    session.takeCalls();
    return true;
}

// Runs the calls at their recorded times of day, from the first call's
// minute, and gives back the log they made: read before the controllers
// stop, since their uinit is no recorded call.
bool replayCalls(const std::vector<RecordedCall>& calls, const std::string& root, std::string& replayed, std::string& error)
{
    SimulatedStart start;
    int second = 0;
    parseClock(calls.front().time, start.hour, start.minute, second);
    Session session;
    if (!session.open(true, start, error)) return false;
    session.takeCalls();
    for (const RecordedCall& call : calls) {
        int hour = 0, minute = 0;
        if (parseClock(call.time, hour, minute, second) && !session.time().stepTo(hour, minute, second, session.startedCount())) {
            error = "the sensor threads stopped answering before " + call.time;
            return false;
        }
        if (!replayCall(session, call, error)) return false;
    }
    replayed = readRecorderFiles(root);
    return true;
}

// The differences of one call, one line each; none when it replayed the same.
std::vector<std::string> callDifferences(const RecordedCall& recorded, const RecordedCall& replayed)
{
    std::vector<std::string> lines;
    if (recorded.line != replayed.line) lines.push_back("call: replayed \"" + replayed.line + "\"");
    const size_t count = std::max(recorded.isp.size(), replayed.isp.size());
    for (size_t i = 0; i < count; ++i) {
        const std::string was = i < recorded.isp.size() ? recorded.isp[i] : "(none)";
        const std::string is = i < replayed.isp.size() ? replayed.isp[i] : "(none)";
        if (was != is) lines.push_back("ISP call " + std::to_string(i + 1) + ": recorded \"" + was + "\", replayed \"" + is + "\"");
    }
    if (recorded.result != replayed.result) {
        lines.push_back("result: recorded \"" + recorded.result + "\", replayed \"" + replayed.result + "\"");
    }
    return lines;
}

// The ISP calls of start-up and the sensor threads, as one sequence: its
// first difference is printed; 1 when there is one.
size_t compareThreadCalls(const std::vector<std::string>& recorded, const std::vector<std::string>& replayed)
{
    const size_t count = std::max(recorded.size(), replayed.size());
    for (size_t i = 0; i < count; ++i) {
        const std::string was = i < recorded.size() ? recorded[i] : "(none)";
        const std::string is = i < replayed.size() ? replayed[i] : "(none)";
        if (was == is) continue;
        std::fprintf(results(), "replay: start-up and sensor threads differ:\n  ISP call %zu: recorded \"%s\", replayed \"%s\"\n",
                     i + 1, was.c_str(), is.c_str());
        return 1;
    }
    return 0;
}

// Prints the verdict; the number of calls that differ (the start-up and
// sensor threads' calls count as one).
size_t compareLogs(const RecordLog& recorded, const RecordLog& replayed)
{
    size_t differing = 0, ispCalls = 0;
    const RecordedCall missing{"", "(not replayed)", {}, ""};
    for (size_t i = 0; i < recorded.calls.size(); ++i) {
        const RecordedCall& was = recorded.calls[i];
        ispCalls += was.isp.size();
        const std::vector<std::string> lines = callDifferences(was, i < replayed.calls.size() ? replayed.calls[i] : missing);
        if (lines.empty()) continue;
        if (++differing > kShownDifferences) continue;
        std::fprintf(results(), "replay: call %zu at %s \"%s\" differs:\n", i + 1, was.time.c_str(), was.line.c_str());
        for (const std::string& line : lines) std::fprintf(results(), "  %s\n", line.c_str());
    }
    if (replayed.calls.size() > recorded.calls.size()) {
        ++differing;
        std::fprintf(results(), "replay: %zu calls more than recorded, the first \"%s\"\n",
                     replayed.calls.size() - recorded.calls.size(), replayed.calls[recorded.calls.size()].line.c_str());
    }
    differing += compareThreadCalls(recorded.threadIsp, replayed.threadIsp);
    ispCalls += recorded.threadIsp.size();
    std::fprintf(results(), "replay: %zu calls, %zu ISP calls, %zu differences\n", recorded.calls.size(), ispCalls, differing);
    return differing;
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

int runRecord(const std::vector<std::string>& args)
{
    if (args.size() < 3 || args[0] != "--out") return failWith(kExitUsage, "usage: record --out FILE COMMAND...");
    const std::string root = deviceTree();
    std::string error;
    std::vector<Word> words;
    for (size_t i = 2; i < args.size(); ++i) words.push_back({args[i], ""});
    int channel = 1;
    std::vector<Step> steps;
    if (!planSteps(words, channel, steps, error)) return failWith(kExitUsage, error);
    if (!switchRecorderOn(root, error)) return failWith(kExitRuntime, error);
    int code = kExitOk;
    {
        Session session;
        const InputPolicy policy;
        code = session.open(true, SimulatedStart{}, error) ? (session.takeCalls(), runSteps(session, steps, policy))
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
    std::string text, error;
    if (tree.path().empty()) return failWith(kExitRuntime, "cannot make a temporary folder");
    if (!prepareTree(args[0], tree.path(), text, error)) return failWith(kExitUsage, error);
    const RecordLog recorded = parseRecordLog(text);
    if (recorded.calls.empty()) return failWith(kExitUsage, args[0] + " holds no recorded call");
    if (recorded.dropped > 0) {
        std::fprintf(stderr, "sensorctl: warning: the device dropped %lld records; calls after them may differ\n", recorded.dropped);
    }
    switchRecorderOff(tree.path());
    if (!switchRecorderOn(tree.path(), error)) return failWith(kExitRuntime, error);
    setenv("SENSOR_ROOTFS", tree.path().c_str(), 1);
    std::string replayedText;
    if (!replayCalls(recorded.calls, tree.path(), replayedText, error)) return failWith(kExitUsage, error);
    if (update) {
        if (!writeFile(args[0], replayedText)) return failWith(kExitRuntime, "cannot write " + args[0]);
        std::fprintf(results(), "replay: %s rewritten\n", args[0].c_str());
        return kExitOk;
    }
    return compareLogs(recorded, parseRecordLog(replayedText)) == 0 ? kExitOk : kExitRuntime;
}
