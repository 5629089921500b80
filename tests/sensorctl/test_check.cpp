// sensorctl check on copies of the sample tree: the sample passes, each fault
// planted in the simulated ISP fails it naming the key, and a check stopped
// half-way by a signal leaves every value as it found it.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "CheckCommand.h"
#include "Commands.h"
#include "LintCommand.h"
#include "Output.h"
#include "TestRoot.h"
#include "isp_sim.h"

namespace {

struct CheckResult {
    int code;
    std::string out;
};

// The command as sensorctl runs it, its results caught.
CheckResult check(const std::vector<std::string>& args)
{
    std::FILE* out = std::tmpfile();
    setResults(out);
    const int code = runCheck(args);
    setResults(stdout);
    std::string text;
    std::rewind(out);
    for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) text += static_cast<char>(c);
    std::fclose(out);
    return {code, text};
}

void plant(const TestRoot& root, const std::string& line)
{
    root.writeFile("/mnt/mtd/isp_profile.ini", root.readFile("/mnt/mtd/isp_profile.ini") + line + "\n");
}

// Every value a channel holds: its scheme, each scheme's set, and what the
// ISP holds for each command of the key table.
typedef std::map<std::string, long long> Values;

Values valuesOf(Session& session)
{
    Values values;
    for (int channel = 1; channel <= session.channelCount(); ++channel) {
        ISensorController& controller = session.controller(channel);
        const std::string prefix = std::to_string(channel) + "/";
        int scheme = -1;
        controller.getParamScheme(scheme);
        values[prefix + "scheme"] = scheme;
        u32 count = 0;
        for (u32 s = 0; const KeyVal* set = controller.getSchemeKeyVal(s, count); ++s) {
            for (u32 i = 0; i < count; ++i) values[prefix + std::to_string(s) + "/" + std::to_string(set[i].key)] = set[i].value;
        }
        for (const CheckKey& key : checkKeys()) {
            if (key.command != 0) values[prefix + "isp/" + std::to_string(key.command)] = isp_sim::value(channel - 1, key.command);
        }
    }
    return values;
}

} // namespace

TEST(SensorctlCheck, TheSampleTreePasses)
{
    TestRoot root(true);
    const CheckResult run = check({});
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_EQ(run.out.find("fail:"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("test limits and options: OK\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Total for channel 1: 12, Succeeded: 12, Failed: 0, Warnings: "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Total for channel 2: 12, Succeeded: 12, Failed: 0, Warnings: "), std::string::npos) << run.out;
    // The library passes a value outside the style's range on to the ISP: a warning.
    EXPECT_NE(run.out.find("\twarn: key 34 (Brightness): outside the style's 0..100, -1 and 101 are passed through\n"),
              std::string::npos)
        << run.out;
}

TEST(SensorctlCheck, EachPlantedFaultFailsNamingTheKey)
{
    const std::pair<const char*, const char*> kFaults[] = {
        {"ignore 34", "fail: key 34 (Brightness): set 100, the ISP holds 0\n"},
        {"skew 2337 1", "fail: key 2337 (Saturation): set 0, the ISP holds 1\n"},
        {"hold 2353 min=0 max=90", "fail: key 2353 (Contrast): set 100, the ISP holds 90\n"},
        {"fail 2321", "fail: key 2321 (Sharpness): a get of its ISP command 2321 fails\n"},
        {"range 96 items=0,1", "fail: key 96 (Metering Area): option 2 is not among what the ISP takes (0 1)\n"},
    };
    for (const auto& fault : kFaults) {
        SCOPED_TRACE(fault.first);
        TestRoot root(true);
        plant(root, fault.first);
        const CheckResult run = check({"--channel", "1"});
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.out.find(fault.second), std::string::npos) << run.out;
    }
}

TEST(SensorctlCheck, OptionsJsonStopAndSave)
{
    TestRoot root(true);
    setJsonOutput(true);
    const CheckResult json = check({"--channel", "2"});
    setJsonOutput(false);
    EXPECT_EQ(json.code, 0);
    const nlohmann::json document = nlohmann::json::parse(json.out);
    ASSERT_EQ(document["channels"].size(), 1u) << json.out;
    EXPECT_EQ(document["channels"][0]["channel"], 2);
    EXPECT_EQ(document["channels"][0]["total"], 12);
    EXPECT_EQ(document["channels"][0]["tests"][11]["result"], "OK (not supported)");
    EXPECT_EQ(document["ok"], true);

    // A saved change is read back from its file, and the file keeps what it held.
    const std::string file = "/mnt/mtd/code/config_file/sensor1_0.cfg";
    const std::string saved = root.readFile(file);
    const CheckResult save = check({"--save", "--channel", "1", "brightness"});
    EXPECT_EQ(save.code, 0) << save.out;
    EXPECT_NE(save.out.find("test save and read back: OK\n"), std::string::npos) << save.out;
    EXPECT_EQ(root.readFile(file), saved);

    plant(root, "fail 2321");
    const CheckResult stopped = check({"-E"});
    EXPECT_EQ(stopped.code, 1);
    EXPECT_NE(stopped.out.find("test ISP commands answer a get: FAIL\n\tfail: key 2321 (Sharpness)"), std::string::npos) << stopped.out;
    EXPECT_NE(stopped.out.find("Total for channel 1: 4, Succeeded: 3, Failed: 1, Warnings: 0\n"), std::string::npos) << stopped.out;
    EXPECT_EQ(stopped.out.find("channel 2"), std::string::npos) << stopped.out;

    EXPECT_EQ(check({"nosuchkey"}).code, 2);
    EXPECT_EQ(check({"--channel", "7"}).code, 2);
}

TEST(SensorctlCheck, AnInterruptedCheckLeavesEveryValueAsBefore)
{
    TestRoot root(true);
    CheckOptions options;
    options.scope.lintRules = rulesOfTree();
    Session session;
    std::string error;
    ASSERT_TRUE(session.open(true, SimulatedStart{}, error)) << error;
    // Taken where the check starts, after the sensor threads' first pass;
    // half-way through the scheme switches every scheme holds a value of the check's.
    Values before;
    int steps = 0;
    bool changed = false;
    options.scope.hook = [&](int channel, const std::string& test) {
        if (before.empty()) before = valuesOf(session);
        if (channel != 1 || test != "scheme switches" || ++steps != 2) return;
        changed = valuesOf(session) != before;
        std::raise(SIGTERM);
    };
    std::FILE* out = std::tmpfile();
    setResults(out);
    const int code = checkSession(session, options);
    setResults(stdout);
    std::fclose(out);
    EXPECT_EQ(code, 128 + SIGTERM);
    EXPECT_TRUE(changed);
    ASSERT_FALSE(before.empty());
    const Values after = valuesOf(session);
    for (const auto& value : before) EXPECT_EQ(after.at(value.first), value.second) << value.first;
}
