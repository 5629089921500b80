// The dynamic style and the factory defaults taken from it, against what
// TinyXML alone needs to parse and print the same merged style.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <tinyxml.h>
#include <vector>

#include "BenchDevice.h"
#include "SensorFile.h"

namespace {

using bench::BenchDevice;

constexpr int kChannel = 1;
// Start-up's display flags: WDR shown, lens correction hidden.
constexpr bool kShowWdr = true;
constexpr bool kShowLdc = false;

// The merged style that start-up prepared for channel 1.
std::string mergedStyle(BenchDevice& device)
{
    const char* style = device.controller().m_stSysConf.szUIStyle;
    return style != nullptr ? style : "";
}

// The library must hand out exactly the bytes SaveFile writes, so its own
// floor prints the same way: TinyXML's FILE printer into memory. The visitor
// printer (TiXmlPrinter) is the other way TinyXML prints.
enum class Printer { SaveFile, Visitor };

size_t printDocument(const TiXmlDocument& document, Printer printer)
{
    if (printer == Printer::Visitor) {
        TiXmlPrinter visitor;
        document.Accept(&visitor);
        benchmark::DoNotOptimize(visitor.CStr());
        return visitor.Size();
    }
    char* buffer = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    if (stream == nullptr) return 0;
    document.SaveFile(stream);
    std::fclose(stream);
    benchmark::DoNotOptimize(buffer);
    std::free(buffer);
    return size;
}

void tinyXmlParsePrint(benchmark::State& state, Printer printer)
{
    BenchDevice device;
    const std::string style = mergedStyle(device);
    if (style.empty()) return state.SkipWithError("no merged style");
    size_t printed = 0;
    for (auto _ : state) {
        TiXmlDocument document;
        document.Parse(style.c_str(), nullptr, TIXML_ENCODING_UTF8);
        printed = printDocument(document, printer);
    }
    state.counters["style_bytes"] = static_cast<double>(style.size());
    state.counters["printed_bytes"] = static_cast<double>(printed);
}

void dynamicStyle(benchmark::State& state)
{
    BenchDevice device;
    std::string style = mergedStyle(device);
    if (style.empty()) return state.SkipWithError("no merged style");
    bench::SilentStdout quiet;
    std::string dynamic;
    for (auto _ : state) {
        getDnaStyle(kChannel, style.c_str(), dynamic, kShowWdr, kShowLdc);
        benchmark::DoNotOptimize(dynamic.data());
    }
    state.counters["style_bytes"] = static_cast<double>(style.size());
}

void factoryData(benchmark::State& state)
{
    BenchDevice device;
    std::string style = mergedStyle(device);
    if (style.empty()) return state.SkipWithError("no merged style");
    bench::SilentStdout quiet;
    std::vector<KeyVal> records(device.controller().m_nKeyValSum + 5);
    u32 count = 0;
    for (auto _ : state) {
        getFctDataBounded(kChannel, &style[0], records.data(), &count, kShowWdr, kShowLdc, static_cast<u32>(records.size()));
        benchmark::DoNotOptimize(records.data());
    }
    state.counters["records"] = static_cast<double>(count);
}

BENCHMARK_CAPTURE(tinyXmlParsePrint, file, Printer::SaveFile)
    ->Name("style/tinyxml_parse_print")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(tinyXmlParsePrint, visitor, Printer::Visitor)
    ->Name("style/tinyxml_parse_print_visitor")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(dynamicStyle)->Name("style/getDnaStyle")->Unit(benchmark::kMicrosecond);
BENCHMARK(factoryData)->Name("style/getFctData")->Unit(benchmark::kMicrosecond);

} // namespace
