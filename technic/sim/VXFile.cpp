#include "VXFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "DevicePath.h"
#include "SimPower.h"

namespace {

struct OpenFlags {
    int flags;
    const char* streamMode;
};

// open(2) flags and the matching stdio mode; fdopen never truncates, so
// creation and truncation are decided by open alone.
bool flagsForMode(unsigned char mode, OpenFlags& out)
{
    const bool reading = (mode & VXFile::modeRead) != 0;
    if ((mode & VXFile::modeAppend) != 0) {
        out = reading ? OpenFlags{O_RDWR | O_CREAT | O_APPEND, "a+b"} : OpenFlags{O_WRONLY | O_CREAT | O_APPEND, "ab"};
    } else if ((mode & (VXFile::modeWrite | VXFile::modeTruncate)) != 0) {
        const int truncate = (mode & VXFile::modeTruncate) != 0 ? O_TRUNC : 0;
        out = reading ? OpenFlags{O_RDWR | O_CREAT | truncate, "r+b"} : OpenFlags{O_WRONLY | O_CREAT | truncate, "wb"};
    } else if (reading) {
        out = OpenFlags{O_RDONLY, "rb"};
    } else {
        return false;
    }
    return true;
}

} // namespace

VXFile::VXFile() = default;

VXFile::~VXFile()
{
    close();
}

bool VXFile::open(const char* name, unsigned char mode)
{
    close();
    OpenFlags how{};
    if (name == nullptr || !flagsForMode(mode, how) || technic_sim::powerCut()) return false;
    const int fd = ::open(technic::devicePath(name).c_str(), how.flags | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    m_pFile = fdopen(fd, how.streamMode);
    if (m_pFile == nullptr) ::close(fd);
    return m_pFile != nullptr;
}

unsigned int VXFile::read(char* buf, unsigned int len)
{
    if (m_pFile == nullptr || buf == nullptr || technic_sim::powerCut()) return 0;
    return static_cast<unsigned int>(fread(buf, 1, len, m_pFile));
}

unsigned int VXFile::write(const char* buf, unsigned int len)
{
    if (m_pFile == nullptr || buf == nullptr || technic_sim::powerCut()) return 0;
    const auto passed = static_cast<size_t>(technic_sim::powerForWrite(len));
    const size_t written = fwrite(buf, 1, passed, m_pFile);
    // Power went off in this write: what got through is on the disk and the
    // buffer is empty, so closing afterwards writes nothing more.
    if (passed < len) fflush(m_pFile);
    return static_cast<unsigned int>(written);
}

int64_t VXFile::getLength()
{
    if (m_pFile == nullptr || technic_sim::powerCut()) return 0;
    fflush(m_pFile); // buffered writes count too
    struct stat info {};
    if (fstat(fileno(m_pFile), &info) != 0) return 0;
    return static_cast<int64_t>(info.st_size);
}

bool VXFile::ReadOneLine(std::string& line)
{
    line.clear();
    if (m_pFile == nullptr) return false;
    int c = getc(m_pFile);
    if (c == EOF) return false;
    while (c != EOF && c != '\n') {
        line += static_cast<char>(c);
        c = getc(m_pFile);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

int VXFile::ReadLines(std::vector<std::string>& lines)
{
    int count = 0;
    std::string line;
    while (ReadOneLine(line)) {
        lines.push_back(line);
        ++count;
    }
    return count;
}

void VXFile::close()
{
    if (m_pFile != nullptr) fclose(m_pFile);
    m_pFile = nullptr;
}

bool VXFile::sync()
{
    if (m_pFile == nullptr || technic_sim::powerCut()) return false;
    return fflush(m_pFile) == 0 && (!technic_sim::durableSync() || fsync(fileno(m_pFile)) == 0);
}

bool VXFile::rename(const char* from, const char* to)
{
    if (from == nullptr || to == nullptr || !technic_sim::powerForRename()) return false;
    return ::rename(technic::devicePath(from).c_str(), technic::devicePath(to).c_str()) == 0;
}

bool VXFile::syncFolder(const char* path)
{
    if (path == nullptr || technic_sim::powerCut()) return false;
    if (!technic_sim::durableSync()) return true;
    const int fd = ::open(technic::devicePath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = fsync(fd) == 0;
    ::close(fd);
    return synced;
}

bool VXFile::remove(const char* name)
{
    if (name == nullptr || technic_sim::powerCut()) return false;
    return ::unlink(technic::devicePath(name).c_str()) == 0;
}
