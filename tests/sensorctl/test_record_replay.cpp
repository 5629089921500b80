// A bug report as a file: a run recorded on one tree replays clean on a fresh
// copy, a planted change is reported with its call, and a cut log still reads.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

#include "RecordLog.h"
#include "RunSensorctl.h"
#include "TestRoot.h"

namespace {

const char* const kRun = "set 34=60 get 34 scheme 1 wait 5m dn night mode auto set-text \"(34,44)\" zoom in "
                         "op getSensorParamRange 49 op getAllParameters op getParameters \"(34,35)\" "
                         "op SensorCheck \"(1,2,3)\" op setFocusValue 100 op getFocusValue op getZoomValue "
                         "op setIrLedInfo 1 2 3 4 op setZoomFocusLock 1 op getCmdExecStatus 34 op setShowWDRFalg 1 "
                         "--channel 2 get 34 op uinit";
// How some of those calls read in the log: each host operation by its name.
const char* const kRecordedLines[] = {"op getSensorParamRange 49\n", "op getAllParameters\n# isp",
                                      "op getParameters \"(34,35)\"\n", "op SensorCheck \"(1,2,3)\"\n",
                                      "op setIrLedInfo 1 2 3 4\n", "op getSensorZoomFocusParam\n",
                                      "op setSensorZoomFocusParam 1\n", "op getZoomValue\n# isp 0 1568 1 ",
                                      "--channel 2 op uinit\n"};

bool has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

// A file of this test process, removed when it goes.
struct TestFile {
    explicit TestFile(const std::string& name) : path(testing::TempDir() + std::to_string(getpid()) + "-" + name) {}
    ~TestFile() { std::remove(path.c_str()); }
    const std::string path;
};

// Records kRun on a fresh copy of the sample tree into the file.
void recordRun(const std::string& log)
{
    TestRoot tree(true);
    const Outcome recorded = runSensorctl(tree.path(), std::string("--quiet record --out '") + log + "' " + kRun);
    EXPECT_EQ(recorded.code, 0) << recorded.err;
    EXPECT_FALSE(tree.exists("/mnt/mtd/log/sensor_record.on")) << "record leaves the tree as it was";
}

} // namespace

TEST(RecordReplay, ARecordedRunReplaysCleanOnAFreshCopyWithoutTouchingIt)
{
    const TestFile file("clean.log");
    const std::string& log = file.path;
    recordRun(log);
    const std::string before = readAll(log);
    EXPECT_TRUE(has(before, "--channel 1 op setParameter 34 60 1\n# isp 0 34 0 60 = 0\n# = 0\n")) << before;
    for (const char* line : kRecordedLines) EXPECT_TRUE(has(before, line)) << line;
    TestRoot fresh(true);
    const Outcome replayed = runSensorctl(fresh.path(), "--quiet replay '" + log + "'");
    EXPECT_EQ(replayed.code, 0) << replayed.out << replayed.err;
    EXPECT_TRUE(has(replayed.out, " 0 differences\n")) << replayed.out;
    EXPECT_EQ(readAll(log), before);
    EXPECT_FALSE(fresh.exists("/mnt/mtd/log/sensor_record.0"));
    EXPECT_FALSE(fresh.exists("/mnt/mtd/code/config_file/sensor1_0.cfg")) << "the replay ran on a copy";
}

TEST(RecordReplay, AChangedProfileOrKeyValueIsReportedWithTheCall)
{
    const TestFile file("planted.log");
    const std::string& log = file.path;
    recordRun(log);
    {
        TestRoot failing(true);
        failing.writeFile("/mnt/mtd/isp_profile.ini", failing.readFile("/mnt/mtd/isp_profile.ini") + "fail 34\n");
        const Outcome replayed = runSensorctl(failing.path(), "--quiet replay '" + log + "'");
        EXPECT_EQ(replayed.code, 1);
        EXPECT_TRUE(has(replayed.out, "\"--channel 1 op setParameter 34 60 1\" differs:\n")) << replayed.out;
        EXPECT_TRUE(has(replayed.out, "recorded \"isp 0 34 0 60 = 0\", replayed \"isp 0 34 0 60 = -1\"")) << replayed.out;
    }
    TestRoot changed(true);
    ASSERT_EQ(runSensorctl(changed.path(), "--quiet scheme 1 set 34=70 flush scheme 0").code, 0);
    const Outcome replayed = runSensorctl(changed.path(), "--quiet replay '" + log + "'");
    EXPECT_EQ(replayed.code, 1);
    EXPECT_TRUE(has(replayed.out, "\"--channel 1 op setParamScheme 1\" differs:\n")) << replayed.out;
    EXPECT_TRUE(has(replayed.out, "replayed \"isp 0 34 0 70 = 0\"")) << replayed.out;
}

TEST(RecordReplay, UpdateRewritesTheExpectation)
{
    const TestFile file("update.log");
    const std::string& log = file.path;
    recordRun(log);
    std::string text = readAll(log);
    text.replace(text.find("# isp 0 34 0 60 = 0"), 19, "# isp 0 34 0 61 = 0");
    { std::ofstream(log) << text; }
    TestRoot tree(true);
    EXPECT_EQ(runSensorctl(tree.path(), "--quiet replay '" + log + "'").code, 1);
    EXPECT_EQ(runSensorctl(tree.path(), "--quiet replay '" + log + "' --update").code, 0);
    const Outcome again = runSensorctl(tree.path(), "--quiet replay '" + log + "'");
    EXPECT_EQ(again.code, 0) << again.out;
}

TEST(RecordReplay, ABundleCarriesTheTreeAndReplaysWithoutOne)
{
    const TestFile file("bundled.log");
    const std::string& log = file.path;
    recordRun(log);
    TestRoot device(true);
    device.writeFile("/mnt/mtd/log/sensor_record.0", readAll(log));
    const TestFile tar("report.tar");
    const std::string& bundle = tar.path;
    const Outcome packed = runSensorctl(device.path(), "bundle --out '" + bundle + "'");
    ASSERT_EQ(packed.code, 0) << packed.err;
    // The tar program reads it too.
    EXPECT_EQ(std::system(("tar -tf '" + bundle + "' mnt/mtd/isp_profile.ini tmp/Debug.sign >/dev/null").c_str()), 0);
    const Outcome replayed = runSensorctl("", "--quiet replay '" + bundle + "'");
    EXPECT_EQ(replayed.code, 0) << replayed.out << replayed.err;
    EXPECT_TRUE(has(replayed.out, " 0 differences\n")) << replayed.out;
}

// record takes the start time and scripts as a normal run does; a replay
// starts where the recording did, before its first call, so that the sensor
// threads' start-up under a day schedule is the recorded one.
TEST(RecordReplay, RecordStartsAtTimeAndDateAndRunsScriptsNamingTheirLines)
{
    const TestFile log("timed.log"), script("day.sensorctl"), bad("bad.sensorctl");
    { std::ofstream(script.path) << "run --from 09:00 --hours 1\nset 34=61 2337=40\nget 34\nscheme 1\n"; }
    { std::ofstream(bad.path) << "set 34=61\nbogus 3\n"; }
    TestRoot tree(true);
    ASSERT_EQ(runSensorctl(tree.path(), std::string("--quiet -f ") + SENSOR_SCHEDULE_SCRIPT).code, 0);
    const Outcome recorded = runSensorctl(
        tree.path(), "--quiet --time 07:30 record --out '" + log.path + "' --date 2024-02-29 -f '" + script.path + "'");
    ASSERT_EQ(recorded.code, 0) << recorded.err;
    const std::string text = readAll(log.path);
    const RecordLog parsed = parseRecordLog(text);
    EXPECT_EQ(parsed.firstTime.substr(0, 5), "07:30") << text;
    const auto set = std::find_if(parsed.calls.begin(), parsed.calls.end(),
                                  [](const RecordedCall& call) { return call.line == "--channel 1 op setParameter 34 61 1"; });
    ASSERT_NE(set, parsed.calls.end()) << text;
    EXPECT_EQ(set->time.substr(0, 5), "10:00") << "after the hour run from 09:00";
    // The script's last call, then the stop of the run: each channel's uinit.
    ASSERT_GE(parsed.calls.size(), 3u);
    const size_t last = parsed.calls.size() - 3;
    EXPECT_EQ(parsed.calls[last].line, "--channel 1 op setParamScheme 1");
    EXPECT_EQ(parsed.calls[last + 1].line, "--channel 1 op uinit");
    EXPECT_EQ(parsed.calls[last + 2].line, "--channel 2 op uinit");
    TestRoot fresh(true);
    ASSERT_EQ(runSensorctl(fresh.path(), std::string("--quiet -f ") + SENSOR_SCHEDULE_SCRIPT).code, 0);
    const Outcome replayed = runSensorctl(fresh.path(), "--quiet replay '" + log.path + "'");
    EXPECT_EQ(replayed.code, 0) << replayed.out << replayed.err;
    EXPECT_TRUE(has(replayed.out, " 0 differences\n")) << replayed.out;

    const TestFile unwritten("unwritten.log");
    const Outcome refused = runSensorctl(tree.path(), "record --out '" + unwritten.path + "' -f '" + bad.path + "'");
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(has(refused.err, bad.path + ":2: unknown command \"bogus\"")) << refused.err;
    EXPECT_FALSE(tree.exists("/mnt/mtd/log/sensor_record.on"));
    EXPECT_TRUE(readAll(unwritten.path).empty()) << "nothing is recorded when the script is refused";
}

// A power cut may end the log at any byte: what reads is a prefix of the whole.
TEST(RecordLog, ALogCutAtAnyByteReadsAsAPrefixOfItsCalls)
{
    const TestFile log("cut.log");
    recordRun(log.path);
    const std::string text = readAll(log.path);
    const RecordLog whole = parseRecordLog(text);
    ASSERT_GT(whole.calls.size(), 10u);
    size_t previous = 0;
    for (size_t length = 0; length <= text.size(); ++length) {
        const RecordLog cut = parseRecordLog(text.substr(0, length));
        ASSERT_GE(cut.calls.size(), previous) << "at byte " << length;
        for (size_t i = 0; i < cut.calls.size(); ++i) {
            ASSERT_EQ(cut.calls[i].line, whole.calls[i].line) << "at byte " << length;
            ASSERT_EQ(cut.calls[i].isp, whole.calls[i].isp) << "at byte " << length;
            ASSERT_EQ(cut.calls[i].result, whole.calls[i].result) << "at byte " << length;
        }
        ASSERT_LE(cut.threadIsp.size(), whole.threadIsp.size());
        ASSERT_TRUE(std::equal(cut.threadIsp.begin(), cut.threadIsp.end(), whole.threadIsp.begin())) << "at byte " << length;
        previous = cut.calls.size();
    }
    EXPECT_EQ(previous, whole.calls.size());
}
