// The library's one way of reporting: coloured console lines with a header
// naming kind, module, function and line; assertion and warning reports also
// go to "/mnt/mtd/log/SensorError.log". Every report re-reads
// "/tmp/Debug.sign" first, so verbosity can change on a running camera.
//
// Each source file names its module once, before using the macros:
//   static const char* const kReportModule = "SensorFile";
#ifndef SENSOR_SRC_SENSOR_REPORT_H
#define SENSOR_SRC_SENSOR_REPORT_H

#include "SensorDiag.h"

namespace sensor {

struct ReportSite {
    // Not constexpr on purpose: a site built at the call in a few
    // instructions, rather than a copy in writable data with a relocation
    // per pointer.
    ReportSite(const char* module_, const char* function_, int line_, const char* signature_)
        : module(module_), function(function_), line(line_), signature(signature_)
    {
    }
    const char* module;
    const char* function;  // plain name, printed in the header
    int line;
    const char* signature; // full signature, given to the abort
};

enum class ReportKind { Assert, Warn, Err, Dbg, Info };

// The debug level from which each kind of report shows; kLevelDebug serves
// error reports, debug reports and debug prints.
enum ReportLevel : int { kLevelAssert = 0, kLevelWarn = 4, kLevelDebug = 6, kLevelInfo = 7 };

// Console colour codes.
enum ReportColour : int { kColourPlain = 0, kColourRed = 31, kColourGreen = 32, kColourMagenta = 35,
                          kColourWhite = 37 };

// Messages longer than this are cut.
constexpr int kReportBufferSize = 2048;

void report(ReportKind kind, const ReportSite& site, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// A debug report in another colour than the default.
void reportColoured(int colour, const ReportSite& site, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// A failed check: header block with the condition text, then the detail line
// (printf-style, may be empty); aborts when the sign file says so.
void reportAssert(const ReportSite& site, const char* condition, const char* detailFormat, ...)
    __attribute__((format(printf, 3, 4)));
// A coloured line without header, shown from the debug level on.
void debugPrint(int colour, const char* format, ...) __attribute__((format(printf, 2, 3)));
// A plain line without colour or header, shown from the debug level on.
void plainPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A tagged line shown and logged at every level of 0 or more, outside the
// assertion convention (nothing stops).
void logLine(const char* tag, const char* format, ...) __attribute__((format(printf, 2, 3)));
// True when reports of that threshold are shown now (re-reads the sign file).
bool levelAtLeast(int threshold);

} // namespace sensor

#define SNS_SITE() (::sensor::ReportSite{kReportModule, __func__, __LINE__, __PRETTY_FUNCTION__})

// Reports when ok is false; expr is the condition text as printed.
#define SNS_CHECK_TEXT(ok, expr, ...)                                 \
    do {                                                              \
        const bool bRet = (ok);                                       \
        if (!bRet) ::sensor::reportAssert(SNS_SITE(), expr, __VA_ARGS__); \
    } while (0)
#define SNS_CHECK(cond, ...) SNS_CHECK_TEXT((cond), #cond, __VA_ARGS__)

#define SNS_WARN(...) ::sensor::report(::sensor::ReportKind::Warn, SNS_SITE(), __VA_ARGS__)
#define SNS_ERR(...) ::sensor::report(::sensor::ReportKind::Err, SNS_SITE(), __VA_ARGS__)
#define SNS_DBG(...) ::sensor::report(::sensor::ReportKind::Dbg, SNS_SITE(), __VA_ARGS__)
#define SNS_INFO(...) ::sensor::report(::sensor::ReportKind::Info, SNS_SITE(), __VA_ARGS__)

#endif
