// Replay of a recorded day of 10,000 host calls: `sensorctl replay` of the
// log is timed, tree copy and start-up included. Two days: a script recorded
// with `sensorctl record -f` (its calls fall on the seconds after its waits),
// and a camera's day, each call at a second of its own (its expectations
// written by `replay --update`), so every call steps the clock. The binary
// is run, as a user runs it: linking its record library here would put a
// second copy of the library (the shared one beside these benchmarks'
// objects) into this process.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "BenchDevice.h"

namespace {

// A day of 720 blocks of two minutes: the host polls the scheme (each wait
// of 2m reads it on both channels, 8 calls), sets two or three keys and
// reads them back; every hour it switches the scheme (0 to 3 in turn), every
// 90 minutes the day/night state. 10,000 recorded calls in all.
std::string dayScript()
{
    std::ostringstream script;
    const int blocks = 720;
    for (int block = 0; block < blocks; ++block) {
        script << "wait 2m\n";
        if (block % 30 == 29) script << "scheme " << block / 30 % 4 << "\n";
        if (block % 45 == 22) script << "dn " << (block / 45 % 2 != 0 ? "night" : "day") << "\n";
        script << "set 34=" << 40 + block % 30 << " 2337=" << 30 + block % 20;
        if (block % 2 != 0) script << " 2353=" << 50 + block % 10;
        script << "\nget 34 2337\nget 2353\n";
        if (block % 3 == 0) script << "get 34\n";
    }
    return script.str();
}

std::string quoted(const std::string& text)
{
    return "'" + text + "'";
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// sensorctl on the tree with the words; its exit code, its output in `outPath`.
int runSensorctl(const std::string& root, const std::string& words, const std::string& outPath)
{
    const std::string command =
        quoted(SENSORCTL_BINARY) + " --quiet --root " + quoted(root) + " " + words + " >" + quoted(outPath) + " 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A camera's day from 06:00: a call every 8 or 9 seconds, mostly sets and
// reads of three keys, the scheme polled on both channels, a scheme switch
// every 100 calls and a day/night change every 600. The results are left to
// `replay --update`.
std::string cameraDayLog()
{
    const int keys[] = {34, 2337, 2353};
    std::ostringstream log;
    long second = 6 * 3600;
    for (int call = 0; call < 10000; ++call) {
        second += call % 3 == 0 ? 9 : 8;
        char time[16];
        std::snprintf(time, sizeof time, "%02ld:%02ld:%02ld", second / 3600 % 24, second / 60 % 60, second % 60);
        log << "# at " << time << "\n--channel ";
        if (call % 100 == 99) {
            log << "1 op setParamScheme " << call / 100 % 4;
        } else if (call % 600 == 300) {
            log << "1 op setDNState " << call / 600 % 2;
        } else if (call % 20 < 8) {
            log << "1 op setParameter " << keys[call % 3] << " " << 40 + call % 30 << " 1";
        } else if (call % 20 < 16) {
            log << "1 op getParameter " << keys[call % 3];
        } else {
            log << 1 + call % 2 << " op getParamScheme";
        }
        log << "\n# = 0\n";
    }
    return log.str();
}

// The files of one benchmark, removed when it ends.
struct DayFiles {
    DayFiles()
    {
        const std::string stem = std::string(P_tmpdir) + "/sensor-bench-replay-" + std::to_string(getpid());
        script = stem + ".sensorctl";
        log = stem + ".log";
        out = stem + ".out";
    }
    ~DayFiles()
    {
        for (const std::string& path : {script, log, out}) std::remove(path.c_str());
    }
    std::string script, log, out;
};

// Times the replays of the log; each must find no difference. The counter
// `calls` is the number of calls replayed.
void timeReplays(benchmark::State& state, const std::string& root, const DayFiles& files)
{
    long calls = 0;
    for (auto _ : state) {
        if (state.error_occurred()) break;
        const auto start = std::chrono::steady_clock::now();
        const int code = runSensorctl(root, "replay " + quoted(files.log), files.out);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        const std::string verdict = readFile(files.out);
        if (code != 0 || verdict.find(" 0 differences\n") == std::string::npos) {
            state.SkipWithError(("the replay differs: " + verdict).c_str());
        }
        std::sscanf(verdict.c_str(), "replay: %ld calls", &calls);
    }
    state.counters["calls"] = static_cast<double>(calls);
}

void replayRecordedDay(benchmark::State& state)
{
    const DayFiles files;
    std::ofstream(files.script) << dayScript();
    {
        // Recorded on a copy of its own: the recording saves schemes.
        bench::TempTree recorded;
        // From 06:00, so the day crosses midnight as a camera's does.
        const std::string record = "--time 06:00 record --out " + quoted(files.log) + " -f " + quoted(files.script);
        if (!recorded.ready() || runSensorctl(recorded.host(""), record, files.out) != 0) {
            return state.SkipWithError(("record failed: " + readFile(files.out)).c_str());
        }
    }
    bench::TempTree tree;
    if (!tree.ready()) return state.SkipWithError("no temporary tree");
    timeReplays(state, tree.host(""), files);
}

void replayCameraDay(benchmark::State& state)
{
    bench::TempTree tree;
    if (!tree.ready()) return state.SkipWithError("no temporary tree");
    const DayFiles files;
    std::ofstream(files.log) << cameraDayLog();
    if (runSensorctl(tree.host(""), "replay " + quoted(files.log) + " --update", files.out) != 0) {
        return state.SkipWithError(("replay --update failed: " + readFile(files.out)).c_str());
    }
    timeReplays(state, tree.host(""), files);
}

BENCHMARK(replayRecordedDay)->Name("replay/recorded_day")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(replayCameraDay)->Name("replay/camera_day")->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
