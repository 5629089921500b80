// The set path against its floor: what one ISP call and one sign-file probe
// cost, what a single setParameter, a whole 165-key set and scheme switches
// cost on top of that.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BenchDevice.h"
#include "Recorder.h"
#include "SensorDiag.h"
#include "SensorKeyVal.h"
#include "SensorKeys.h"
#include "ia_ioctrl.h"
#include "isp_sim.h"

namespace {

using bench::BenchDevice;

// A key whose row sends the value as it is, through doIaCmd.
constexpr u32 kPlainKey = KEY_BRIGHTNESS;
constexpr int kChannel = 0; // camera id 1
const char* const kSignFile = "/tmp/Debug.sign";
// Large enough for the biggest record a set command carries.
constexpr int kIspDataWords = 80;

enum class Sign { Sample, Absent };

// The sample tree's sign file says level 4: every probe opens and reads it.
void prepareSignFile(const BenchDevice& device, Sign sign)
{
    if (sign == Sign::Absent) device.tree().remove(kSignFile);
}

size_t ispCallsOf(const std::function<void()>& operation)
{
    isp_sim::clearTrace();
    operation();
    return isp_sim::trace().size();
}

// The same set with every value moved by one; the scheme mode stays, as a
// new mode in scheme 0 would change how schemes are selected.
std::vector<KeyVal> everyValueMoved(std::vector<KeyVal> set)
{
    for (KeyVal& record : set) {
        if (record.key != KEY_SCHEME_MODE) record.value += 1;
    }
    return set;
}

std::string pairText(std::vector<KeyVal> set)
{
    std::string text;
    keyval_st2str(text, set.data(), static_cast<u32>(set.size()));
    return text;
}

// What a whole set holds: the sample scheme set (every item of the sample
// style), or one record for each row of the key table.
enum class Whole { SchemeSet, KeyTable };

std::vector<KeyVal> wholeSet(BenchDevice& device, Whole whole)
{
    return whole == Whole::SchemeSet ? device.currentSet() : device.keyTableSet();
}

// The ISP command each key of the set would be sent with.
std::vector<u32> commandsOf(BenchDevice& device, const std::vector<KeyVal>& set)
{
    u32 rows = 0;
    const keycmd* table = device.controller().getKeyCmdMap(rows);
    std::vector<u32> commands;
    for (const KeyVal& record : set) {
        u32 command = record.key;
        for (u32 row = 0; row < rows; ++row) {
            if (table[row].nKey == record.key) command = table[row].nIaCmd;
        }
        commands.push_back(command);
    }
    return commands;
}

int sendDirect(u32 command, int value)
{
    int data[kIspDataWords] = {value};
    return ia_ioctrl_v2(kChannel, static_cast<ia_cmd_e>(command), IA_CMD_OPT_SET, data);
}

#define REQUIRE_DEVICE(device)                                                  \
    if (!(device).ready()) return state.SkipWithError("the sample tree did not start")

void partProbe(benchmark::State& state, Sign sign)
{
    BenchDevice device;
    REQUIRE_DEVICE(device);
    prepareSignFile(device, sign);
    for (auto _ : state) updateDebugLevel();
}

void partIspCall(benchmark::State& state)
{
    BenchDevice device;
    REQUIRE_DEVICE(device);
    int value = 0;
    for (auto _ : state) benchmark::DoNotOptimize(sendDirect(kPlainKey, value ^= 1));
}

// The floor of one set: one ISP call and the probe that any report costs.
void floorCallAndProbe(benchmark::State& state, Sign sign)
{
    BenchDevice device;
    REQUIRE_DEVICE(device);
    prepareSignFile(device, sign);
    int value = 0;
    for (auto _ : state) {
        updateDebugLevel();
        benchmark::DoNotOptimize(sendDirect(kPlainKey, value ^= 1));
    }
}

// The flight recorder switched on for the life of the object (its default
// limit, so the log rotates during a run), off again afterwards.
class RecorderOn {
public:
    explicit RecorderOn(const BenchDevice& device) : m_switch(device.tree().host(sensor::recorder::kSwitchFile))
    {
        std::ofstream(m_switch) << "";
        sensor::recorder::probe();
    }
    ~RecorderOn()
    {
        std::remove(m_switch.c_str());
        sensor::recorder::probe();
    }

private:
    std::string m_switch;
};

void setOnePlainKey(benchmark::State& state, Sign sign, bool recording)
{
    BenchDevice device;
    REQUIRE_DEVICE(device);
    prepareSignFile(device, sign);
    std::unique_ptr<RecorderOn> recorder(recording ? new RecorderOn(device) : nullptr);
    bench::SilentStdout quiet;
    ISensorController& controller = device.controller();
    int value = 0;
    // Each value differs from the stored one, so every call reaches the ISP.
    auto setNext = [&] { return controller.setParameter(kPlainKey, value ^= 1, true); };
    for (auto _ : state) {
        if (setNext() != SNS_SUCCESS) return state.SkipWithError("the set was refused");
    }
    state.counters["isp_calls"] = static_cast<double>(ispCallsOf(setNext));
}

// The floor of a whole set: one direct call per key, with or without a probe each.
void floorWholeSet(benchmark::State& state, Whole whole, bool withProbes)
{
    BenchDevice device;
    REQUIRE_DEVICE(device);
    const std::vector<KeyVal> set = wholeSet(device, whole);
    const std::vector<u32> commands = commandsOf(device, set);
    int value = 0;
    for (auto _ : state) {
        value ^= 1;
        for (u32 command : commands) {
            if (withProbes) updateDebugLevel();
            benchmark::DoNotOptimize(sendDirect(command, value));
        }
    }
    state.counters["keys"] = static_cast<double>(commands.size());
}

// The array form, as scheme switches use it: the text form parses into an
// array of one scheme set's size and so cannot carry 165 records here.
void setWholeSet(benchmark::State& state, Whole whole)
{
    BenchDevice device;
    REQUIRE_DEVICE(device);
    bench::SilentStdout quiet;
    const std::vector<KeyVal> original = wholeSet(device, whole);
    // The two sets differ in every key, so each call applies the whole set.
    const std::vector<KeyVal> sets[2] = {everyValueMoved(original), original};
    ISensorController& controller = device.controller();
    std::vector<KeyVal> records(original.size());
    size_t turn = 0;
    // Handlers may rewrite a record, so each call gets a fresh copy.
    auto setNext = [&] {
        records = sets[turn++ % 2];
        return controller.setParameters(records.data(), static_cast<u32>(records.size()), true);
    };
    for (auto _ : state) {
        if (setNext() != SNS_SUCCESS) return state.SkipWithError("a record was refused");
    }
    state.counters["keys"] = static_cast<double>(original.size());
    state.counters["isp_calls"] = static_cast<double>(ispCallsOf(setNext));
}

// The host's text form on the scheme set: parsing and its debug report come on top.
void setWholeText(benchmark::State& state)
{
    BenchDevice device;
    REQUIRE_DEVICE(device);
    bench::SilentStdout quiet;
    const std::vector<KeyVal> original = device.currentSet();
    const std::string texts[2] = {pairText(everyValueMoved(original)), pairText(original)};
    ISensorController& controller = device.controller();
    size_t turn = 0;
    auto setNext = [&] { return controller.setParameters(texts[turn++ % 2], true); };
    for (auto _ : state) {
        if (setNext() != SNS_SUCCESS) return state.SkipWithError("a record was refused");
    }
    state.counters["keys"] = static_cast<double>(original.size());
    state.counters["isp_calls"] = static_cast<double>(ispCallsOf(setNext));
}

// The look-ups the set path makes for each record of the scheme set: the
// skip test, the light type, the table row and the store.
void lookupsOfSchemeSet(benchmark::State& state)
{
    BenchDevice device;
    REQUIRE_DEVICE(device);
    const std::vector<KeyVal> set = device.currentSet();
    ISensorController& controller = device.controller();
    u32 rows = 0;
    const keycmd* table = controller.getKeyCmdMap(rows);
    for (auto _ : state) {
        for (const KeyVal& record : set) {
            u32 value = 0;
            keycmd row{};
            benchmark::DoNotOptimize(controller.getKeyValFromCache(0, record.key, value));
            benchmark::DoNotOptimize(controller.getKeyValFromCache(0, KEY_LIGHT_TYPE, value));
            benchmark::DoNotOptimize(controller.findFromKeyCmdMap(table, record.key, row));
            benchmark::DoNotOptimize(controller.setKeyValToCache(0, record.key, record.value, false));
        }
    }
    state.counters["keys"] = static_cast<double>(set.size());
}

// Alternates between scheme 0 and a scheme that holds the given set.
void switchSchemes(benchmark::State& state, bool everyKeyDiffers)
{
    BenchDevice device;
    REQUIRE_DEVICE(device);
    bench::SilentStdout quiet;
    const std::vector<KeyVal> original = device.currentSet();
    const int other = everyKeyDiffers ? 1 : 2;
    device.fillScheme(static_cast<u32>(other), everyKeyDiffers ? everyValueMoved(original) : original);
    ISensorController& controller = device.controller();
    const int targets[2] = {other, 0};
    size_t turn = 0;
    for (auto _ : state) benchmark::DoNotOptimize(controller.setParamScheme(targets[turn++ % 2]));
    state.counters["keys"] = static_cast<double>(original.size());
    state.counters["isp_calls"] =
        static_cast<double>(ispCallsOf([&] { controller.setParamScheme(targets[turn++ % 2]); }));
}

BENCHMARK_CAPTURE(partProbe, sample, Sign::Sample)->Name("part/probe/sign_file");
BENCHMARK_CAPTURE(partProbe, absent, Sign::Absent)->Name("part/probe/no_sign_file");
BENCHMARK(partIspCall)->Name("part/isp_call");
BENCHMARK_CAPTURE(floorCallAndProbe, sample, Sign::Sample)->Name("floor/isp_call+probe/sign_file");
BENCHMARK_CAPTURE(setOnePlainKey, sample, Sign::Sample, false)->Name("set/setParameter/sign_file");
BENCHMARK_CAPTURE(setOnePlainKey, recorded, Sign::Sample, true)->Name("set/setParameter/recorder_on");
BENCHMARK_CAPTURE(floorCallAndProbe, absent, Sign::Absent)->Name("floor/isp_call+probe/no_sign_file");
BENCHMARK_CAPTURE(setOnePlainKey, absent, Sign::Absent, false)->Name("set/setParameter/no_sign_file");
BENCHMARK_CAPTURE(floorWholeSet, table, Whole::KeyTable, false)
    ->Name("floor/isp_calls/key_table")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(floorWholeSet, table_probed, Whole::KeyTable, true)
    ->Name("floor/isp_calls+probes/key_table")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(setWholeSet, table, Whole::KeyTable)
    ->Name("set/setParameters/key_table")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(floorWholeSet, scheme, Whole::SchemeSet, false)
    ->Name("floor/isp_calls/scheme_set")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(floorWholeSet, scheme_probed, Whole::SchemeSet, true)
    ->Name("floor/isp_calls+probes/scheme_set")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(setWholeSet, scheme, Whole::SchemeSet)
    ->Name("set/setParameters/scheme_set")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(setWholeText)->Name("set/setParameters_text/scheme_set")->Unit(benchmark::kMicrosecond);
BENCHMARK(lookupsOfSchemeSet)->Name("part/lookups/scheme_set")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(switchSchemes, differs, true)->Name("switch/every_key_differs")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(switchSchemes, same, false)->Name("switch/nothing_differs");

} // namespace
