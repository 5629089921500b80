#include "SensorReport.h"

#include <cassert>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "DeviceFiles.h"
#include "VXFile.h"
#include "VXLogger.h"

// glibc declares this only while NDEBUG is unset; the abort switch of the
// sign file needs it in every build.
extern "C" void __assert_fail(const char* assertion, const char* file, unsigned int line,
                              const char* function) noexcept __attribute__((noreturn));

std::atomic<int> g_nDebugLevel{1};
std::atomic<bool> g_bEnAssert{false};

namespace {

const char* const kSignFile = "/tmp/Debug.sign";
const char* const kErrorLog = "/mnt/mtd/log/SensorError.log";
const unsigned int kLogBytes = 10240; // size of one log file before it rotates
const unsigned int kLogFiles = 3;

struct KindInfo {
    const char* tag;
    int threshold;
    int colour;
    bool logged;
};

// Indexed by ReportKind.
const KindInfo kKinds[] = {
    {"[sensor assert]", sensor::kLevelAssert, sensor::kColourRed, true},
    {"[sensor warn]", sensor::kLevelWarn, sensor::kColourPlain, true},
    {"[sensor err]", sensor::kLevelDebug, sensor::kColourPlain, false},
    {"[sensor dbg]", sensor::kLevelDebug, sensor::kColourPlain, false},
    {"[sensor info]", sensor::kLevelInfo, sensor::kColourMagenta, false},
};

const KindInfo& kindInfo(sensor::ReportKind kind)
{
    return kKinds[static_cast<int>(kind)];
}

void writeLogEntries(const char* tag, const char* first, const char* second)
{
    VXLogger logger;
    logger.init(kErrorLog, kLogBytes, kLogFiles);
    logger.writeLog(tag, first);
    if (second != nullptr) logger.writeLog(tag, second);
}

void printColoured(int colour, const char* header, const char* message)
{
    std::printf("\033[%dm\033[%dm%s%s\033[0m", 0, colour, header, message);
    std::fflush(stdout);
}

// Prints a report whose level the caller has just found shown.
void printHeaderReport(const KindInfo& info, int colour, const sensor::ReportSite& site, const char* message)
{
    char header[512];
    std::snprintf(header, sizeof header, "%s file:%s fun:%s line:%d\n", info.tag, site.module, site.function,
                  site.line);
    printColoured(colour, header, message);
    if (info.logged) {
        char logHeader[512];
        std::snprintf(logHeader, sizeof logHeader, "file:%s fun:%s line:%d\n", site.module, site.function, site.line);
        const std::string logMessage(message, std::min(std::strlen(message), static_cast<size_t>(sensor::kReportBufferSize) - 1));
        writeLogEntries(info.tag, logHeader, logMessage.c_str());
    }
}

} // namespace

void updateDebugLevel()
{
    if (!sensor::deviceFileExists(kSignFile)) {
        g_nDebugLevel = 1;
        g_bEnAssert = false;
        return;
    }
    VXFile file;
    if (!file.open(kSignFile, 1)) return;
    std::string line;
    if (file.ReadOneLine(line) && !line.empty()) {
        g_nDebugLevel = std::atoi(line.c_str());
    } else {
        g_nDebugLevel = 1;
    }
    line.clear();
    g_bEnAssert = file.ReadOneLine(line) && !line.empty() && std::atoi(line.c_str()) != 0;
    file.close();
}

namespace sensor {

bool levelAtLeast(int threshold)
{
    updateDebugLevel();
    return g_nDebugLevel >= threshold;
}

// The level is probed before the message is formatted: a hidden report
// costs its probe and nothing more.
namespace {

void formatHeaderReport(const KindInfo& info, int colour, const ReportSite& site, const char* format, va_list args)
{
    if (!levelAtLeast(info.threshold)) return;
    // The console gets the whole message; only the log file's copy is bounded.
    va_list sizing;
    va_copy(sizing, args);
    const int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    std::vector<char> message(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    std::vsnprintf(message.data(), message.size(), format, args);
    printHeaderReport(info, colour, site, message.data());
}

enum class BoundedLine {
    Coloured,       // in the colour, not logged
    ColouredLogged, // in the colour, and logged under the tag
    Tagged,         // plain after the tag, and logged under it
};

// A line without header, cut at the report buffer size.
void printBounded(BoundedLine as, int colour, const char* tag, const char* format, va_list args)
{
    char message[kReportBufferSize];
    std::vsnprintf(message, sizeof message, format, args);
    if (as == BoundedLine::Tagged) {
        std::printf("%s %s", tag, message);
        std::fflush(stdout);
    } else {
        printColoured(colour, "", message);
    }
    if (as != BoundedLine::Coloured) writeLogEntries(tag, message, nullptr);
}

} // namespace

void report(ReportKind kind, const ReportSite& site, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    formatHeaderReport(kindInfo(kind), kindInfo(kind).colour, site, format, args);
    va_end(args);
}

void reportColoured(int colour, const ReportSite& site, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    formatHeaderReport(kindInfo(ReportKind::Dbg), colour, site, format, args);
    va_end(args);
}

void reportAssert(const ReportSite& site, const char* condition, const char* detailFormat, ...)
{
    const KindInfo& info = kindInfo(ReportKind::Assert);
    if (levelAtLeast(info.threshold)) {
        char message[kReportBufferSize];
        std::snprintf(message, sizeof message, "%s   ~~~Assertion failed.\n", condition);
        printHeaderReport(info, kColourRed, site, message);
    }

    if (levelAtLeast(kLevelAssert)) {
        va_list args;
        va_start(args, detailFormat);
        printBounded(BoundedLine::ColouredLogged, kColourRed, info.tag, detailFormat, args);
        va_end(args);
    }
    if (g_bEnAssert) {
        __assert_fail("bRet", site.module, static_cast<unsigned int>(site.line), site.signature);
    }
}

void debugPrint(int colour, const char* format, ...)
{
    if (!levelAtLeast(kLevelDebug)) return;
    va_list args;
    va_start(args, format);
    printBounded(BoundedLine::Coloured, colour, nullptr, format, args);
    va_end(args);
}

void plainPrint(const char* format, ...)
{
    if (!levelAtLeast(kLevelDebug)) return;
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

void logLine(const char* tag, const char* format, ...)
{
    if (!levelAtLeast(kLevelAssert)) return;
    va_list args;
    va_start(args, format);
    printBounded(BoundedLine::Tagged, kColourPlain, tag, format, args);
    va_end(args);
}

} // namespace sensor
