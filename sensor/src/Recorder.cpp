#include "Recorder.h"

#if SENSOR_RECORDER

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <type_traits>

#include "DevicePath.h"
#include "ISensorController.h"
#include "VexloTime.h"

namespace sensor {
namespace recorder {

std::atomic<bool> g_bActive(false);

namespace {

const char kHeader[] = "# sensor_record 1\n";

// The log: one file descriptor, appended to by whole records; rotation moves
// the current file aside when the next record would pass half the limit.
struct Log {
    std::mutex mutex;
    int fd = -1;
    unsigned long long size = 0;
    unsigned long long limit = kDefaultLimitKb * 1024ull;
    std::atomic<unsigned long long> dropped{0};
    unsigned long long unreported = 0; // dropped since the last record written
};

// Constant-initialised (no guard at first use) and trivially destroyed:
// threads may still write while the process exits.
static_assert(std::is_trivially_destructible<Log>::value, "the log outlives every thread");
Log& theLog()
{
    static Log log;
    return log;
}

// Initial-exec: a static offset from the thread pointer, no call into the
// dynamic loader for each access (and no dependency on it).
__attribute__((tls_model("initial-exec"))) thread_local int t_nDepth = 0;
__attribute__((tls_model("initial-exec"))) thread_local Call* t_pCurrent = nullptr;

// Appends the printf-style text (numbers, short words) to `text`: the one
// formatter of the records, so that none is built from temporaries.
__attribute__((format(printf, 2, 3))) void appendf(std::string& text, const char* format, ...)
{
    char part[64];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(part, sizeof part, format, args);
    va_end(args);
    if (length > 0) text.append(part, static_cast<size_t>(length) < sizeof part ? length : sizeof part - 1);
}

void appendTime(std::string& text)
{
    const VexloTime now = VXDeviceTime::getCurrentTime();
    appendf(text, "%02u:%02u:%02u", now.getHour(), now.getMinute(), now.getSecond());
}

// A text given back, on one line: quoted, line ends as \n. A long one (a
// list of all parameters) is written as its length and checksum, so that
// frequent reads do not fill the log.
const size_t kLongText = 256;
void appendText(std::string& line, const std::string& text)
{
    if (text.size() > kLongText) {
        uint32_t hash = 2166136261u; // FNV-1a
        for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
        appendf(line, "<%zu bytes, fnv1a %08x>", text.size(), hash);
        return;
    }
    line += '"';
    for (char c : text) {
        if (c == '\n') {
            line += "\\n";
        } else {
            line += c;
        }
    }
    line += '"';
}

bool writeAll(int fd, const std::string& text)
{
    return fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

// Out of line: the one place that builds a log file's path.
__attribute__((noinline)) std::string logPath(const char* file)
{
    return technic::devicePath(file);
}

// Opens the current file, a fresh one when `fresh`; false when the folder
// takes no file.
bool openLog(Log& log, bool fresh)
{
    const std::string path = logPath(kLogFile);
    log.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC | (fresh ? O_TRUNC : 0), 0644);
    if (log.fd < 0) return false;
    const off_t end = ::lseek(log.fd, 0, SEEK_END);
    log.size = end > 0 ? static_cast<unsigned long long>(end) : 0;
    if (log.size > 0) return true;
    log.size = sizeof kHeader - 1;
    return writeAll(log.fd, kHeader);
}

void closeLog(Log& log)
{
    if (log.fd >= 0) ::close(log.fd);
    log.fd = -1;
}

void rotate(Log& log)
{
    closeLog(log);
    std::rename(logPath(kLogFile).c_str(), logPath(kPreviousLogFile).c_str());
    openLog(log, true);
}

// Appends one whole record, or drops and counts it: a failing medium never
// holds a host call up, and a record is never written in part on purpose.
void append(std::string& record)
{
    Log& log = theLog();
    std::lock_guard<std::mutex> guard(log.mutex);
    if (log.unreported > 0) {
        std::string dropped;
        appendf(dropped, "# dropped %llu\n", log.unreported);
        dropped += record;
        record = dropped;
    }
    if (log.fd >= 0 && log.size + record.size() > log.limit / 2) rotate(log);
    if ((log.fd < 0 && !openLog(log, false)) || !writeAll(log.fd, record)) {
        ++log.dropped;
        ++log.unreported;
        closeLog(log); // opened again by the next record
        return;
    }
    log.size += record.size();
    log.unreported = 0;
}

unsigned long long readLimit(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) return 0;
    unsigned long kb = 0;
    const bool given = std::fscanf(file, "%lu", &kb) == 1 && kb >= 2;
    std::fclose(file);
    return given ? kb * 1024ull : kDefaultLimitKb * 1024ull;
}

} // namespace

int& depth()
{
    return t_nDepth;
}

void probe()
{
    const unsigned long long limit = readLimit(logPath(kSwitchFile));
    Log& log = theLog();
    std::lock_guard<std::mutex> guard(log.mutex);
    if (limit > 0) log.limit = limit;
    closeLog(log); // the next record opens the file afresh
    g_bActive = limit > 0;
}

unsigned long long dropped()
{
    return theLog().dropped;
}

void ispCall(int channel, u32 cmd, u32 opt, const void* payload, int result)
{
    // The first int32 of the payload: the value of a plain command, the
    // head of a record.
    int value = 0;
    if (payload != nullptr) value = *static_cast<const int*>(payload);
    char line[96];
    std::snprintf(line, sizeof line, "isp %d %u %u %d = %d\n", channel, cmd, opt, value, result);
    if (t_pCurrent != nullptr) {
        t_pCurrent->isp(line);
        return;
    }
    std::string record("# thread ");
    appendTime(record);
    record += ' ';
    record += line;
    append(record);
}

Call::Call(const ISensorController& self, const char* name) : m_strLine("# at "), m_pRecords(nullptr)
{
    appendTime(m_strLine);
    appendf(m_strLine, "\n--channel %d op ", self.getCameraID());
    m_strLine += name;
    ++t_nDepth;
    t_pCurrent = this;
}

Call::~Call()
{
    --t_nDepth;
    t_pCurrent = nullptr;
}

void Call::input(long long value)
{
    if (m_pRecords == nullptr) {
        appendf(m_strLine, " %lld", value);
        return;
    }
    // The count of the records given before it: the records as pair text.
    m_strLine += " \"";
    for (long long i = 0; i < value; ++i) appendf(m_strLine, "(%u,%u)", m_pRecords[i].key, m_pRecords[i].value);
    m_strLine += '"';
    m_pRecords = nullptr;
}

void Call::input(const std::string& text)
{
    m_strLine += " \"";
    m_strLine += text;
    m_strLine += '"';
}

void Call::records(const KeyVal* records)
{
    m_pRecords = records;
}

void Call::output(long long value)
{
    appendf(m_strResult, " %lld", value);
}

void Call::inputWords(const void* record, unsigned words)
{
    if (record == nullptr) return;
    int word = 0;
    for (unsigned i = 0; i < words; ++i) {
        std::memcpy(&word, static_cast<const char*>(record) + i * sizeof word, sizeof word);
        input(word);
    }
}

void Call::output(const std::string& text)
{
    m_strResult += ' ';
    appendText(m_strResult, text);
}

void Call::isp(const char* line)
{
    m_strIsp += "# ";
    m_strIsp += line;
}

void Call::finish(long long result)
{
    appendf(m_strIsp, "# = %lld", result);
    write();
}

void Call::finish(const std::string& result)
{
    m_strIsp += "# = ";
    appendText(m_strIsp, result);
    write();
}

// The record: the call, its ISP calls, its result and outputs.
void Call::write()
{
    m_strLine += '\n';
    m_strLine += m_strIsp;
    m_strLine += m_strResult;
    m_strLine += '\n';
    append(m_strLine);
}

} // namespace recorder
} // namespace sensor

#endif
