#include "VXLogger.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "DevicePath.h"

namespace {

// Every report makes its own logger; one process-wide lock keeps a rotation
// and the appends around it from interleaving.
std::mutex g_logFileMutex;

std::string rotatedName(const std::string& path, unsigned int index)
{
    return path + "." + std::to_string(index);
}

bool appendAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

} // namespace

VXLogger::VXLogger() = default;

VXLogger::~VXLogger() = default;

bool VXLogger::init(const char* fileName, unsigned int maxBytes, unsigned int fileCount)
{
    if (fileName == nullptr || fileName[0] == '\0') return false;
    m_strPath = technic::devicePath(fileName);
    m_nMaxBytes = maxBytes;
    m_nFileCount = fileCount;
    return true;
}

bool VXLogger::writeLog(const char* tag, const char* text)
{
    if (m_strPath.empty()) return false;
    std::string entry = tag != nullptr ? tag : "";
    entry += ' ';
    entry += text != nullptr ? text : "";
    if (entry.back() != '\n') entry += '\n';

    std::lock_guard<std::mutex> lock(g_logFileMutex);
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(m_strPath).parent_path(), ignored);

    struct stat info {};
    if (m_nMaxBytes > 0 && stat(m_strPath.c_str(), &info) == 0 && info.st_size > 0 &&
        static_cast<unsigned long long>(info.st_size) + entry.size() > m_nMaxBytes) {
        rotate();
    }
    const int fd = ::open(m_strPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool written = appendAll(fd, entry);
    ::close(fd);
    return written;
}

// name -> name.1 -> ... -> name.<count-1>; the oldest falls off the end.
void VXLogger::rotate()
{
    if (m_nFileCount <= 1) {
        std::remove(m_strPath.c_str());
        return;
    }
    std::remove(rotatedName(m_strPath, m_nFileCount - 1).c_str());
    for (unsigned int index = m_nFileCount - 1; index > 1; --index) {
        std::rename(rotatedName(m_strPath, index - 1).c_str(), rotatedName(m_strPath, index).c_str());
    }
    std::rename(m_strPath.c_str(), rotatedName(m_strPath, 1).c_str());
}
