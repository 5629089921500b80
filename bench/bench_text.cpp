// Pair text in both directions: a record for every key of the table, and
// ten such sets in one text, to show that the cost grows with the pairs alone.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchDevice.h"
#include "SensorKeyVal.h"

namespace {

using bench::BenchDevice;

// One record per key of the table, repeated `copies` times.
std::vector<KeyVal> sampleRecords(BenchDevice& device, int copies)
{
    const std::vector<KeyVal> set = device.keyTableSet();
    std::vector<KeyVal> records;
    for (int i = 0; i < copies; ++i) records.insert(records.end(), set.begin(), set.end());
    return records;
}

std::string pairText(std::vector<KeyVal> records)
{
    std::string text;
    keyval_st2str(text, records.data(), static_cast<u32>(records.size()));
    return text;
}

void textToRecords(benchmark::State& state)
{
    BenchDevice device;
    if (!device.ready()) return state.SkipWithError("the sample tree did not start");
    const std::vector<KeyVal> records = sampleRecords(device, static_cast<int>(state.range(0)));
    const std::string text = pairText(records);
    std::vector<KeyVal> out(records.size());
    u32 count = 0;
    for (auto _ : state) {
        keyval_str2stBounded(text, out.data(), &count, static_cast<u32>(out.size()));
        benchmark::DoNotOptimize(out.data());
    }
    if (count != records.size()) return state.SkipWithError("not every pair was read back");
    state.counters["pairs"] = static_cast<double>(count);
    state.counters["bytes"] = static_cast<double>(text.size());
}

void recordsToText(benchmark::State& state)
{
    BenchDevice device;
    if (!device.ready()) return state.SkipWithError("the sample tree did not start");
    std::vector<KeyVal> records = sampleRecords(device, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::string text;
        keyval_st2str(text, records.data(), static_cast<u32>(records.size()));
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["pairs"] = static_cast<double>(records.size());
}

// The argument is the number of 165-key sets in the text: 165 and 1,650 pairs.
BENCHMARK(textToRecords)->Name("keyval/str2st")->ArgName("sets")->Arg(1)->Arg(10);
BENCHMARK(recordsToText)->Name("keyval/st2str")->ArgName("sets")->Arg(1)->Arg(10);

} // namespace
