// Runs every benchmark with the console table, then prints the ratios that
// this same run gives between each operation and its floor.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

// One benchmark's figure: the median when it was repeated.
struct Figure {
    double seconds = 0;
    std::map<std::string, double> counters;
    bool median = false;
};

class RecordingReporter : public benchmark::ConsoleReporter {
public:
    using benchmark::ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        benchmark::ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) record(run);
    }

    const Figure* find(const std::string& name) const
    {
        const auto found = m_figures.find(name);
        return found == m_figures.end() ? nullptr : &found->second;
    }

private:
    void record(const Run& run)
    {
        if (run.error_occurred) return;
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !median) return;
        std::string name = run.run_name.function_name;
        if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
        Figure& figure = m_figures[name];
        if (figure.median && !median) return;
        // Processor time, which other work on the machine disturbs least;
        // init reports its own wall time with the clock's wait taken off.
        const bool manual = run.run_name.time_type == "manual_time";
        const double adjusted = manual ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
        figure.seconds = adjusted / benchmark::GetTimeUnitMultiplier(run.time_unit);
        figure.median = median;
        figure.counters.clear();
        for (const auto& counter : run.counters) figure.counters[counter.first] = counter.second.value;
    }

    std::map<std::string, Figure> m_figures;
};

enum class RowKind {
    Ratio,   // measured / floor, goal: at most `goal`
    Counter, // a counter of the measured benchmark, goal: at most `goal`
    Figure,  // the measured time alone, and the counter named in floor
    Time,    // the measured time, goal: at most `goal` seconds
};

struct Row {
    RowKind kind;
    const char* label;
    const char* measured;
    const char* floor;   // Ratio: the floor benchmark; Counter, Figure: a counter; Time: none
    double goal;
};

const Row kRows[] = {
    {RowKind::Ratio, "setParameter, plain key / 1 ISP call + 1 probe", "set/setParameter/sign_file",
     "floor/isp_call+probe/sign_file", 1.5},
    {RowKind::Ratio, "  the same without a sign file", "set/setParameter/no_sign_file",
     "floor/isp_call+probe/no_sign_file", 1.5},
    {RowKind::Ratio, "setParameter, flight recorder on / off", "set/setParameter/recorder_on",
     "set/setParameter/sign_file", 1.3},
    {RowKind::Ratio, "setParameters, 165 keys / 165 ISP calls", "set/setParameters/key_table",
     "floor/isp_calls/key_table", 1.5},
    {RowKind::Ratio, "  / 165 ISP calls + 165 probes", "set/setParameters/key_table",
     "floor/isp_calls+probes/key_table", 1.5},
    {RowKind::Ratio, "setParameters, scheme set / as many ISP calls", "set/setParameters/scheme_set",
     "floor/isp_calls/scheme_set", 1.5},
    {RowKind::Ratio, "  / as many ISP calls + probes", "set/setParameters/scheme_set",
     "floor/isp_calls+probes/scheme_set", 1.5},
    {RowKind::Ratio, "switch, every key differs / as many ISP calls", "switch/every_key_differs",
     "floor/isp_calls/scheme_set", 1.5},
    {RowKind::Ratio, "  / as many ISP calls + probes", "switch/every_key_differs", "floor/isp_calls+probes/scheme_set",
     1.5},
    {RowKind::Counter, "switch, nothing differs: ISP calls", "switch/nothing_differs", "isp_calls", 0},
    {RowKind::Ratio, "keyval_str2st, 1,650 / 165 pairs (linear: 10)", "keyval/str2st/sets:10", "keyval/str2st/sets:1",
     12},
    {RowKind::Ratio, "keyval_st2str, 1,650 / 165 pairs (linear: 10)", "keyval/st2str/sets:10", "keyval/st2str/sets:1",
     12},
    {RowKind::Ratio, "getDnaStyle / TinyXML parse + print", "style/getDnaStyle", "style/tinyxml_parse_print", 3},
    {RowKind::Ratio, "getFctData / TinyXML parse + print", "style/getFctData", "style/tinyxml_parse_print", 3},
    {RowKind::Ratio, "getDnaStyle / parse + visitor print", "style/getDnaStyle", "style/tinyxml_parse_print_visitor",
     3},
    {RowKind::Ratio, "getFctData / parse + visitor print", "style/getFctData", "style/tinyxml_parse_print_visitor", 3},
    {RowKind::Figure, "init, files present (wait excluded)", "init/warm", "cpu_ms", 0},
    {RowKind::Figure, "init, first boot (wait excluded)", "init/first_boot", "cpu_ms", 0},
    {RowKind::Time, "replay of a recorded day, 10,000 calls (wall)", "replay/recorded_day", nullptr, 2},
    {RowKind::Time, "  a camera's day, each call at its own second", "replay/camera_day", nullptr, 2},
};

std::string formatTime(double seconds)
{
    char text[32];
    if (seconds >= 1e-3) {
        std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    } else if (seconds >= 1e-6) {
        std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
    } else {
        std::snprintf(text, sizeof text, "%.0f ns", seconds * 1e9);
    }
    return text;
}

std::string formatNumber(const char* format, double value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void printRow(const char* label, const std::string& measured, const std::string& floor, const std::string& ratio,
              const std::string& goal, const char* verdict)
{
    std::printf("%-48s %11s %11s %8s %7s  %s\n", label, measured.c_str(), floor.c_str(), ratio.c_str(), goal.c_str(),
                verdict);
}

void printRatioTable(const RecordingReporter& figures)
{
    std::printf("\nRatios of this run (medians of the repetitions; processor time, init and replay in wall time):\n");
    printRow("case", "measured", "floor", "ratio", "goal", "");
    for (const Row& row : kRows) {
        const Figure* measured = figures.find(row.measured);
        const Figure* floor = row.kind == RowKind::Ratio ? figures.find(row.floor) : nullptr;
        if (measured == nullptr || (row.kind == RowKind::Ratio && floor == nullptr)) {
            printRow(row.label, "-", "-", "-", "", "not run");
            continue;
        }
        if (row.kind == RowKind::Figure) {
            const auto counter = measured->counters.find(row.floor);
            const std::string cpu = counter == measured->counters.end() ? ""
                                                                        : formatNumber("%.2f ms", counter->second);
            printRow(row.label, formatTime(measured->seconds), "", "", "", cpu.empty() ? "" : ("cpu " + cpu).c_str());
        } else if (row.kind == RowKind::Time) {
            printRow(row.label, formatTime(measured->seconds), "", "", formatNumber("<=%.0fs", row.goal),
                     measured->seconds <= row.goal ? "met" : "MISSED");
        } else if (row.kind == RowKind::Counter) {
            const auto counter = measured->counters.find(row.floor);
            const double value = counter == measured->counters.end() ? -1 : counter->second;
            printRow(row.label, formatTime(measured->seconds), "", formatNumber("%.0f", value),
                     formatNumber("%.0f", row.goal), value >= 0 && value <= row.goal ? "met" : "MISSED");
        } else {
            const double ratio = measured->seconds / floor->seconds;
            printRow(row.label, formatTime(measured->seconds), formatTime(floor->seconds),
                     formatNumber("%.2fx", ratio), formatNumber("<=%.1fx", row.goal),
                     ratio <= row.goal ? "met" : "MISSED");
        }
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    // Line-buffered as on a console, whatever stdout is connected to, so the
    // library's console lines cost the same in every run.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RecordingReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Color
                                                     : benchmark::ConsoleReporter::OO_None);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatioTable(reporter);
    benchmark::Shutdown();
    return 0;
}
