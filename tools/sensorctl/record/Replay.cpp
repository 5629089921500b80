#include "Replay.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "Commands.h"
#include "Operations.h"
#include "ReplayTree.h"
#include "Session.h"

namespace {

// Calls of which the differences are shown; the rest are counted.
const size_t kShownDifferences = 3;

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

// Runs the calls at their recorded times of day, from the minute of the
// log's first record (start-up's ISP calls, when the log holds them), and
// gives back the log they made: read before the controllers stop, since
// their uinit is no recorded call.
bool replayCalls(const RecordLog& recorded, const std::string& tree, std::string& replayedText, std::string& error)
{
    const std::vector<RecordedCall>& calls = recorded.calls;
    SimulatedStart start;
    int second = 0;
    parseClock(recorded.firstTime, start.hour, start.minute, second);
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
    replayedText = readRecorderFiles(tree);
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
size_t compareThreadCalls(const std::vector<std::string>& recorded, const std::vector<std::string>& replayed, std::FILE* out)
{
    const size_t count = std::max(recorded.size(), replayed.size());
    for (size_t i = 0; i < count; ++i) {
        const std::string was = i < recorded.size() ? recorded[i] : "(none)";
        const std::string is = i < replayed.size() ? replayed[i] : "(none)";
        if (was == is) continue;
        std::fprintf(out, "replay: start-up and sensor threads differ:\n  ISP call %zu: recorded \"%s\", replayed \"%s\"\n",
                     i + 1, was.c_str(), is.c_str());
        return 1;
    }
    return 0;
}

} // namespace

size_t compareLogs(const RecordLog& recorded, const RecordLog& replayed, std::FILE* out)
{
    size_t differing = 0, ispCalls = 0;
    const RecordedCall missing{"", "(not replayed)", {}, ""};
    for (size_t i = 0; i < recorded.calls.size(); ++i) {
        const RecordedCall& was = recorded.calls[i];
        ispCalls += was.isp.size();
        const std::vector<std::string> lines = callDifferences(was, i < replayed.calls.size() ? replayed.calls[i] : missing);
        if (lines.empty()) continue;
        if (++differing > kShownDifferences) continue;
        std::fprintf(out, "replay: call %zu at %s \"%s\" differs:\n", i + 1, was.time.c_str(), was.line.c_str());
        for (const std::string& line : lines) std::fprintf(out, "  %s\n", line.c_str());
    }
    if (replayed.calls.size() > recorded.calls.size()) {
        ++differing;
        std::fprintf(out, "replay: %zu calls more than recorded, the first \"%s\"\n",
                     replayed.calls.size() - recorded.calls.size(), replayed.calls[recorded.calls.size()].line.c_str());
    }
    differing += compareThreadCalls(recorded.threadIsp, replayed.threadIsp, out);
    ispCalls += recorded.threadIsp.size();
    std::fprintf(out, "replay: %zu calls, %zu ISP calls, %zu differences\n", recorded.calls.size(), ispCalls, differing);
    return differing;
}


ExitCode replayOnTree(const RecordLog& recorded, const std::string& tree, std::string& replayedText, std::string& error)
{
    if (recorded.calls.empty()) {
        error = "the log holds no recorded call";
        return kExitUsage;
    }
    switchRecorderOff(tree);
    if (!switchRecorderOn(tree, error)) return kExitRuntime;
    setenv("SENSOR_ROOTFS", tree.c_str(), 1);
    if (!replayCalls(recorded, tree, replayedText, error)) return kExitUsage;
    return kExitOk;
}
