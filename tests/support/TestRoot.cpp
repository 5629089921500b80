#include "TestRoot.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

TestRoot::TestRoot(bool withExample)
{
    std::string pattern = (fs::temp_directory_path() / "sensor-root-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_strPath = pattern;
    if (withExample) {
        fs::copy(SENSOR_EXAMPLE_ROOTFS, m_strPath, fs::copy_options::recursive);
    }
    // Every device has a /tmp; the merged styles are written there.
    fs::create_directories(fs::path(m_strPath) / "tmp");
    if (const char* previous = std::getenv("SENSOR_ROOTFS")) {
        m_bHadPrevious = true;
        m_strPrevious = previous;
    }
    setenv("SENSOR_ROOTFS", m_strPath.c_str(), 1);
}

TestRoot::~TestRoot()
{
    if (m_bHadPrevious) {
        setenv("SENSOR_ROOTFS", m_strPrevious.c_str(), 1);
    } else {
        unsetenv("SENSOR_ROOTFS");
    }
    std::error_code ignored;
    fs::remove_all(m_strPath, ignored);
}

std::string TestRoot::host(const std::string& devicePath) const
{
    return m_strPath + (devicePath.empty() || devicePath[0] != '/' ? "/" : "") + devicePath;
}

void TestRoot::writeFile(const std::string& devicePath, const std::string& content) const
{
    const fs::path target = host(devicePath);
    fs::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string TestRoot::readFile(const std::string& devicePath) const
{
    std::ifstream in(host(devicePath), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TestRoot::exists(const std::string& devicePath) const
{
    return fs::exists(host(devicePath));
}

void TestRoot::remove(const std::string& devicePath) const
{
    std::error_code ignored;
    fs::remove(host(devicePath), ignored);
}
