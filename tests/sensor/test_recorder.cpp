// The flight recorder: what it writes for a host call, its bounded log, and
// that a full or unwritable medium costs no host call its result.
#include <gtest/gtest.h>

#include <string>

#include "Recorder.h"
#include "SensorKeys.h"
#include "TestHelpers.h"

namespace {

const std::string kSwitch = sensor::recorder::kSwitchFile;
const std::string kLog = sensor::recorder::kLogFile;
const std::string kPrevious = sensor::recorder::kPreviousLogFile;

// A rig whose channel 1 started with the switch file as given ("" for none);
// the recorder is off again afterwards.
struct RecordingRig {
    explicit RecordingRig(const char* switchText)
    {
        if (switchText != nullptr) rig.root().writeFile(kSwitch, switchText);
    }
    ~RecordingRig()
    {
        if (rig.root().exists(kSwitch)) rig.root().remove(kSwitch);
        sensor::recorder::probe();
    }
    ControllerRig rig;
};

// Sets and reads key 34 n times; the values read back, as the host saw them.
std::string setAndRead(ISensorController& camera, int n)
{
    std::string seen;
    for (int i = 0; i < n; ++i) {
        int value = -1;
        const int set = camera.setParameter(KEY_BRIGHTNESS, 40 + i % 20, false);
        const bool got = camera.getParameter(KEY_BRIGHTNESS, value);
        seen += std::to_string(set) + (got ? "+" : "-") + std::to_string(value) + " ";
    }
    return seen;
}

// The result line of the first record whose call is `call`.
std::string resultOf(const std::string& log, const std::string& call)
{
    const size_t at = log.find(call + "\n");
    if (at == std::string::npos) return "(no " + call + ")";
    const size_t result = log.find("# = ", at);
    return log.substr(result, log.find('\n', result) - result);
}

std::string flag(bool value)
{
    return value ? "1" : "0";
}

} // namespace

TEST(FlightRecorder, WritesTheHostCallItsIspCallsAndResultAsScriptLines)
{
    RecordingRig recording("");
    ISensorController& camera = recording.rig.start(1);
    int value = 0;
    ASSERT_EQ(camera.setParameter(KEY_BRIGHTNESS, 61, false), SNS_SUCCESS);
    ASSERT_TRUE(camera.getParameter(KEY_BRIGHTNESS, value));
    const std::string log = recording.rig.root().readFile(kLog);
    EXPECT_TRUE(has(log, "--channel 1 op setParameter 34 61 0\n# isp 0 34 0 61 = 0\n# = 0\n")) << log;
    // An output is written after the result; the inner calls of an operation are not written again.
    EXPECT_TRUE(has(log, "--channel 1 op getParameter 34\n# = 1 " + std::to_string(value) + "\n")) << log;
    EXPECT_EQ(log.rfind("# sensor_record 1\n", 0), 0u);
}

// A one-key read gives its value back; a one-key set through a reference
// reads it first and gives it back; a set by value only reads it; a record
// array is its pair text. Records the medium lost are counted before the
// next record written.
TEST(FlightRecorder, WritesEachShapeOfOperationAndTheLostRecordsBeforeTheNext)
{
    RecordingRig recording("");
    recording.rig.root().writeFile(kLog + "/not-a-file", ""); // the log's name is taken by a folder
    ISensorController& camera = recording.rig.start(1);
    int scheme = -1;
    camera.getParamScheme(scheme);
    recording.rig.root().remove(kLog + "/not-a-file");
    recording.rig.root().remove(kLog);

    int wdr = 1;
    const bool wdrSet = camera.setWDRSwitch(wdr);
    int wdrRead = -1;
    const bool wdrGot = camera.getWDRSwitch(wdrRead);
    const bool dnSet = camera.setDNMode(2);
    KeyVal records[] = {{KEY_BRIGHTNESS, 55}, {KEY_BRIGHTNESS, 56}};
    const int recordsSet = camera.setParameters(records, 2, false);

    const std::string log = recording.rig.root().readFile(kLog);
    EXPECT_EQ(log.rfind("# sensor_record 1\n# dropped ", 0), 0u) << log;
    EXPECT_EQ(resultOf(log, "--channel 1 op setWDRSwitch 1"), "# = " + flag(wdrSet) + " " + std::to_string(wdr));
    EXPECT_EQ(resultOf(log, "--channel 1 op getWDRSwitch"), "# = " + flag(wdrGot) + " " + std::to_string(wdrRead));
    EXPECT_EQ(resultOf(log, "--channel 1 op setDNMode 2"), "# = " + flag(dnSet));
    EXPECT_EQ(resultOf(log, "--channel 1 op setParameters \"(34,55)(34,56)\" 0"), "# = " + std::to_string(recordsSet));
}

TEST(FlightRecorder, IsOffWithoutTheSwitchFileAndWritesNothing)
{
    RecordingRig recording(nullptr);
    ISensorController& camera = recording.rig.start(1);
    setAndRead(camera, 3);
    EXPECT_FALSE(sensor::recorder::g_bActive.load());
    EXPECT_FALSE(recording.rig.root().exists(kLog));
}

TEST(FlightRecorder, AFullLogRotatesWithinItsLimitAndLosesNoResult)
{
    std::string unrecorded;
    {
        RecordingRig plain(nullptr);
        unrecorded = setAndRead(plain.rig.start(1), 200);
    }
    RecordingRig recording("4\n"); // 4 KB: two files of 2 KB at most
    ISensorController& camera = recording.rig.start(1);
    EXPECT_EQ(setAndRead(camera, 200), unrecorded);
    const std::string current = recording.rig.root().readFile(kLog);
    const std::string previous = recording.rig.root().readFile(kPrevious);
    EXPECT_LE(current.size(), 2048u);
    EXPECT_LE(previous.size(), 2048u);
    EXPECT_EQ(previous.rfind("# sensor_record 1\n", 0), 0u) << "each file reads alone";
    EXPECT_TRUE(has(current, "op getParameter 34\n# = 1 ")) << current;
}

TEST(FlightRecorder, AnUnwritableLogFolderDropsAndCountsButLosesNoResult)
{
    std::string unrecorded;
    {
        RecordingRig plain(nullptr);
        unrecorded = setAndRead(plain.rig.start(1), 20);
    }
    RecordingRig recording("");
    recording.rig.root().writeFile(kLog + "/not-a-file", ""); // the log's name is taken by a folder
    const unsigned long long droppedBefore = sensor::recorder::dropped();
    ISensorController& camera = recording.rig.start(1);
    EXPECT_EQ(setAndRead(camera, 20), unrecorded);
    EXPECT_GE(sensor::recorder::dropped() - droppedBefore, 40u);
}
