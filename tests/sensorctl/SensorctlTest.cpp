// sensorctl as its users run it: each command of its table on a copy of the
// sample tree, with its output and exit code, and every bad input refused
// with a message and a non-zero exit.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "RunSensorctl.h"
#include "TestRoot.h"

namespace {

struct Case {
    const char* args;
    int code;
    const char* out; // expected within standard output
    const char* err; // expected within standard error
};

void expectCase(const Case& c, const std::string& root)
{
    const Outcome outcome = runSensorctl(root, c.args);
    EXPECT_EQ(outcome.code, c.code) << c.args << "\n" << outcome.err;
    EXPECT_NE(outcome.out.find(c.out), std::string::npos) << c.args << " printed:\n" << outcome.out;
    EXPECT_NE(outcome.err.find(c.err), std::string::npos) << c.args << " said:\n" << outcome.err;
}

// Every command named in --help.
std::vector<std::string> helpCommands()
{
    const std::string help = runSensorctl("", "--help").out;
    std::vector<std::string> names;
    std::istringstream lines(help.substr(help.find("commands (")));
    std::string line;
    std::getline(lines, line);
    // The table's commands end at the blank line before those that run alone.
    while (std::getline(lines, line) && !line.empty()) {
        std::istringstream words(line);
        std::string name;
        if (words >> name) names.push_back(name);
    }
    return names;
}

const Case kCommandCases[] = {
    {"info", 0, "1\t1\t0\t2001\t1\n2\t2\t1\t2002\t1\n", ""},
    {"notify 2384 1", 0, "0\n", ""},
    {"keys", 0, "34\t34\tKEY_BRIGHTNESS\t", ""},
    {"apply brightness 60", 0, "isp\t0\t34\tSET\t60\tok\n", ""},
    {"get 34 KEY_BRIGHTNESS Brightness", 0, "50\n50\n50\n", ""},
    {"set KEY_BRIGHTNESS=60 get 34", 0, "isp\t0\t34\tSET\t60\tok\n60\n", ""},
    {"set-text '(34,61)(brightness,62)' get 34", 0, "62\n", ""},
    {"range 49", 0, "default\t6\nitems\t1 2 3", ""},
    {"correct '(34,60)'", 0, "(34,60)\n", ""},
    {"all", 0, "(34,50)", ""},
    {"scheme 1 scheme", 0, "1\n", ""},
    {"mode manual mode", 0, "manual\n", ""},
    {"--time 05:59 -f SCHEDULE run --hours 1", 0, "2000-01-01 06:00\tchannel 1\tscheme 3\n", ""},
    {"--date 2024-02-28 -f SCHEDULE run --days 2", 0, "2024-02-29 22:00\tchannel 1\tscheme 0\n", ""},
    {"-f SCHEDULE wait 7h scheme", 0, "3\n", ""},
    {"zoom in", 0, "isp\t0\t1569\tSET\t1\tok\n", ""},
    {"focus near", 0, "isp\t0\t1536\tSET\t1\tok\n", ""},
    {"iris up", 0, "isp\t0\t83\tSET\t1\tok\n", ""},
    {"shutter up", 0, "isp\t0\t49\tSET\t5\tok\n", ""},
    {"ir on", 0, "isp\t0\t168\tGET\t0\tok\n", ""},
    {"white on", 0, "isp\t0\t168\tSET\t1\tok\n", ""},
    {"dn night", 0, "isp\t0\t153\tSET\t1\tok\n", ""},
    {"sync-fov", 0, "isp\t0\t1568\tSET\t28000\tok\n", ""},
    {"config", 0, "module_id\t2001\nschemes\t4\n", ""},
    {"merge", 0, "<style", ""},
    {"style", 0, "<item id=\"34\" name=\"Brightness\"", ""},
    {"defaults", 0, "8000\tKEY_SCHEME_MODE\t0\n", ""},
    {"dump-file /mnt/mtd/code/config_file/sensor1_0.cfg", 0, "34\tKEY_BRIGHTNESS\t50\n", ""},
    {"version", 0, "8\n", ""},
    {"set 34=70 flush revert get 34", 0, "70\n", ""},
    {"set 34=70 restore 34", 0, "isp\t0\t34\tSET\t70\tok\n", ""},
    {"restore-ae", 0, "isp\t0\t16\tSET\t0\tok\n", ""},
    {"set 34=70 factory-reset get 34", 0, "50\n", ""},
    {"mirror 1", 0, "isp\t0\t2384\tSET\t1\tok\n", ""},
    {"op list op getZoomValue", 0, "getDNMode\t0\n", "" },
    {"help get", 0, "  get KEY...", ""},
    {"--version", 0, "sensorctl " SENSORCTL_VERSION "\n", ""},
    // No sensor pass comes between the lines: nothing waits on the clock.
    {"shell < SHELL_LINES", 0, "50\nisp\t0\t34\tSET\t60\tok\n60\n", ""},
    {"set 34=70 show", 0, "34\tKEY_BRIGHTNESS\t0..100\t50\t70\t50\t", ""},
    {"set 34=70 diff 0 1", 0, "key\tname\tscheme0\tscheme1\n34\tKEY_BRIGHTNESS\t70\t50\n", ""},
};

const Case kBadInputs[] = {
    {"set-text '(34,'", 2, "", "unclosed pair"},
    {"set-text '(('", 2, "", "bad pair text"},
    {"set-text abc", 2, "", "bad pair text"},
    {"set-text '(34 60)'", 2, "", "bad pair text"},
    {"set-text '( 34 , 60 )'", 2, "", "bad pair text"},
    {"set-text '(34,)'", 2, "", "is no number"},
    {"correct '(34,60'", 2, "", "unclosed pair"},
    {"get 9999", 2, "", "unknown key 9999"},
    {"set 9999=1", 2, "", "unknown key 9999"},
    {"get nosuchkey", 2, "", "no such key"},
    {"--strict set 34=500", 2, "", "outside what the style allows for key 34 (Brightness): 0..100"},
    {"--strict mirror 9", 2, "", "0=Normal 1=Horizontal"},
    {"--strict set 8001=25", 2, "", "key 8001 (Start Hour): 0..23"},
    {"set 34=500", 0, "isp\t0\t34\tSET\t500\tok\n", "warning: 500 is outside"},
    {"set 8001=23 8003=1 flush", 1, "", "flush refused (507): the scheme's time window is empty"},
    {"set 8001=25 flush", 1, "", "flush refused (505): the scheme's time window starts after 24:00"},
    {"run --hours 35791395", 2, "", "bad --hours"},
    {"wait 2x", 2, "", "bad duration"},
    {"frobnicate", 2, "", "unknown command \"frobnicate\""},
    {"get", 2, "", "usage: get KEY"},
    {"--time 25:00 info", 2, "", "--time needs HH:MM"},
    {"--date 2023-02-29 info", 2, "", "--date needs a date"},
    {"-f /tmp info", 2, "", "not a readable file"},
    {"op nosuch", 2, "", "no operation"},
    {"--channel 7 info", 2, "", "no channel 7"},
    {"diff 0 9", 2, "", "schemes 0 to 3"},
    {"help nosuch", 2, "", "unknown command \"nosuch\""},
};

} // namespace

TEST(Sensorctl, EveryCommandOfTheTableOnTheSampleTree)
{
    std::vector<std::string> tested;
    for (const Case& c : kCommandCases) {
        TestRoot root(true);
        std::string args = c.args;
        const size_t schedule = args.find("SCHEDULE");
        if (schedule != std::string::npos) args.replace(schedule, 8, SENSOR_SCHEDULE_SCRIPT);
        // Lines piped into the shell.
        root.writeFile("/shell.txt", "get 34\nset 34=60\nget 34\n");
        const size_t lines = args.find("SHELL_LINES");
        if (lines != std::string::npos) args.replace(lines, 11, root.host("/shell.txt"));
        SCOPED_TRACE(args);
        expectCase({args.c_str(), c.code, c.out, c.err}, root.path());
        std::istringstream words(args);
        for (std::string word; words >> word;) tested.push_back(word);
    }
    for (const std::string& name : helpCommands()) {
        EXPECT_NE(std::find(tested.begin(), tested.end(), name), tested.end()) << "no case runs " << name;
    }
}

TEST(Sensorctl, BadInputsEndWithAMessageAndTheirExitCode)
{
    for (const Case& c : kBadInputs) {
        TestRoot root(true);
        expectCase(c, root.path());
    }
    // A pair more than a set holds is refused rather than dropped.
    TestRoot root(true);
    std::string longText = "'";
    for (int i = 0; i < 400; ++i) longText += "(34,1)";
    expectCase({("set-text " + longText + "'").c_str(), 2, "", "a set takes at most"}, root.path());
}

TEST(Sensorctl, TreeScriptAndConsoleErrors)
{
    TestRoot empty;
    expectCase({"info", 2, "", "is no device tree"}, empty.path());
    empty.writeFile("/file", "x");
    expectCase({"info", 2, "", "no such folder"}, empty.host("/file"));
    expectCase({"info", 2, "", "no device tree"}, "");

    TestRoot root(true);
    root.writeFile("/script.txt", "get 34\r\nset 34=70\r\n\r\nbogus 1\r\n");
    expectCase({("-f " + root.host("/script.txt")).c_str(), 2, "", "script.txt:4: unknown command \"bogus\""},
               root.path());
    root.writeFile("/script.txt", "set 34=70\r\nget 34 # comment\r\nget 9999\r\n");
    expectCase({("-f " + root.host("/script.txt")).c_str(), 2, "70\n", "script.txt:3: get: unknown key"}, root.path());

    // By default only warnings and above: a read prints its value alone.
    const Outcome newcomer = runSensorctl(root.path(), "get 34");
    EXPECT_EQ("50\n", newcomer.out);
    EXPECT_TRUE(newcomer.err.empty()) << newcomer.err;
    // A warning is shown with its message line.
    root.writeFile("/mnt/mtd/code/config_file/snsversion.cfg", "0");
    // The header's line number follows the source: matched up to it.
    const std::string warned = runSensorctl(root.path(), "get 34").err;
    const size_t header = warned.find("[sensor warn] file:ISensorController fun:checkVersionStamp line:");
    ASSERT_NE(header, std::string::npos) << warned;
    EXPECT_NE(warned.find("\ncheck the sensor version", header), std::string::npos) << warned;
    // -v: every line; not a terminal: no colour codes; --log takes the console, --quiet drops it.
    const Outcome plain = runSensorctl(root.path(), "-v get 34");
    EXPECT_NE(plain.err.find("video\t1\t"), std::string::npos);
    EXPECT_EQ(plain.err.find('\033'), std::string::npos);
    const Outcome logged = runSensorctl(root.path(), "-v --log " + root.host("/console.log") + " get 34");
    EXPECT_TRUE(logged.err.empty()) << logged.err;
    EXPECT_NE(root.readFile("/console.log").find("video\t1\t"), std::string::npos);
    EXPECT_TRUE(runSensorctl(root.path(), "--quiet get 34").err.empty());
    const Outcome preview = runSensorctl(root.path(), "--quiet preview --out " + root.host("/page.html"));
    EXPECT_EQ(preview.code, 0);
    EXPECT_TRUE(preview.err.empty() && preview.out.empty()) << preview.err << preview.out;
    EXPECT_NE(root.readFile("/page.html").find("\"name\":\"Brightness\""), std::string::npos);

    // The page server does not start without its page's files.
    setenv("SENSORCTL_WEB", "/nonexistent/web", 1);
    expectCase({"serve --port 0", 1, "", "the page's files are not in /nonexistent/web"}, root.path());
    unsetenv("SENSORCTL_WEB");

    // The tree's abort switch: a failed assertion ends with its own code.
    root.writeFile("/tmp/Debug.sign", "1\n1\n");
    expectCase({"scheme 99", 3, "", "assertion failed"}, root.path());
}

TEST(Sensorctl, JsonOutputParsesBack)
{
    TestRoot root(true);
    const Outcome outcome = runSensorctl(root.path(), "--json --quiet set 34=70 get 34 brightness info range 49 show");
    ASSERT_EQ(outcome.code, 0) << outcome.err;
    std::istringstream lines(outcome.out);
    std::vector<nlohmann::json> documents;
    for (std::string line; std::getline(lines, line);) documents.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(documents.size(), 5u) << outcome.out;
    EXPECT_EQ(documents[0]["isp"][0], nlohmann::json::parse(R"([0, 34, "SET", 70, "ok"])"));
    EXPECT_EQ(documents[1], nlohmann::json::parse("[70, 70]"));
    EXPECT_EQ(documents[2][1]["thermal"], 1);
    EXPECT_EQ(documents[3]["default"], 6);
    const nlohmann::json& brightness = *std::find_if(documents[4].begin(), documents[4].end(),
                                                     [](const nlohmann::json& row) { return row["key"] == 34; });
    EXPECT_EQ(brightness["allowed"], "0..100");
    EXPECT_EQ(brightness["scheme0*"], 70); // the current scheme, marked
    EXPECT_EQ(brightness["scheme1"], 50);
}

namespace {

// Commands piped into the shell after the sample schedule: sets, scheme
// switches, the day/night state in day/night mode, waits and a day's run.
const char* const kReplayLines = "set 34=60 2337=40\n"
                                 "scheme 1\n"
                                 "set 34=70\n"
                                 "wait 2h\n"
                                 "scheme 0\n"
                                 "set 8000=2\n"
                                 "dn night\n"
                                 "wait 3m\n"
                                 "get 34\n"
                                 "dn day\n"
                                 "wait 90s\n"
                                 "scheme\n"
                                 "set 8000=1\n"
                                 "run --hours 24\n"
                                 "get 34 2337\n";

// Exit code, standard output and standard error of one traced run.
std::string replayOn(const TestRoot& root)
{
    const std::string out = root.host("/replay.out"), err = root.host("/replay.err");
    const std::string command = std::string("env -u SENSOR_ROOTFS ") + SENSORCTL_BINARY + " --root '" + root.path() +
                                "' --trace -f " + SENSOR_SCHEDULE_SCRIPT + " shell < '" + root.host("/replay.txt") +
                                "' > '" + out + "' 2> '" + err + "'";
    const int status = std::system(command.c_str());
    return std::to_string(status) + "\n" + readAll(out) + "\n--- stderr\n" + readAll(err);
}

} // namespace

// The sensor threads and the commands take turns on the simulated clock: the
// same commands on the same tree give the same bytes, however the PC
// schedules the threads (runs go two at a time to load it).
TEST(Sensorctl, ReplaysByteForByte)
{
    std::set<std::string> outputs;
    for (int pair = 0; pair < 25; ++pair) {
        TestRoot first(true), second(true);
        std::string results[2];
        int index = 0;
        for (const TestRoot* root : {&first, &second}) root->writeFile("/replay.txt", kReplayLines);
        std::vector<std::thread> runs;
        for (const TestRoot* root : {&first, &second}) {
            std::string& result = results[index++];
            runs.emplace_back([root, &result] { result = replayOn(*root); });
        }
        for (std::thread& run : runs) run.join();
        outputs.insert(results, results + 2);
    }
    ASSERT_EQ(1u, outputs.size()) << "first:\n" << *outputs.begin() << "\nlast:\n" << *outputs.rbegin();
    const std::string& output = *outputs.begin();
    EXPECT_EQ(0u, output.find("0\n")) << output;
    EXPECT_NE(output.find("2000-01-01 08:00\tchannel 1\tscheme 1\n"), std::string::npos) << output;
}

namespace {

// Collects what the terminal shows until `text` appears; false at the deadline or the end.
bool readUntil(int terminal, const std::string& text, std::string& seen)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (seen.find(text) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready{terminal, POLLIN, 0};
        char buffer[1024];
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
        const ssize_t got = read(terminal, buffer, sizeof buffer);
        if (got <= 0) return false;
        seen.append(buffer, static_cast<size_t>(got));
    }
    return true;
}

} // namespace

TEST(Sensorctl, ShellOnATerminalCompletesNamesAndKeepsTheControllers)
{
    TestRoot root(true);
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    // A chroot without /dev/pts has no pseudo-terminals to give.
    if (child < 0 && access("/dev/pts/ptmx", F_OK) != 0) GTEST_SKIP() << "no pseudo-terminals on this machine";
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("HOME", root.path().c_str(), 1);
        setenv("TERM", "vt100", 1);
        unsetenv("SENSOR_ROOTFS");
        execl(SENSORCTL_BINARY, "sensorctl", "--root", root.path().c_str(), "--quiet", "shell", nullptr);
        _exit(127);
    }
    const auto type = [&](const std::string& keys, const std::string& shown) {
        std::string seen;
        EXPECT_EQ(write(terminal, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
        EXPECT_TRUE(readUntil(terminal, shown, seen)) << "after \"" << keys << "\" the terminal showed:\n" << seen;
    };
    type("", "sensorctl> ");
    type("set 34=61\n", "sensorctl> ");
    // libedit redraws: the completed rest of the word follows a cursor move.
    type("get KEY_BRIGH\t", "TNESS ");
    type("\n", "61\r\n");
    type("sche\t", "me ");
    type("\n", "0\r\n");
    type("exit\n", "\n");
    std::string rest;
    const bool ended = !readUntil(terminal, "never shown", rest);
    if (!ended) kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(terminal);
    ASSERT_TRUE(WIFEXITED(status)) << rest;
    EXPECT_EQ(0, WEXITSTATUS(status)) << rest;
}
