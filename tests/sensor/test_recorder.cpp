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
