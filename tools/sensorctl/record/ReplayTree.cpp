#include "ReplayTree.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

const char* const kSwitch = "/mnt/mtd/log/sensor_record.on";
const char* const kFiles[] = {"/mnt/mtd/log/sensor_record.0", "/mnt/mtd/log/sensor_record.1"};
// A limit no sensorctl run reaches (in KB): a run is recorded whole.
const char* const kWholeRunKb = "1048576\n";

} // namespace

bool switchRecorderOn(const std::string& root, std::string& error)
{
    std::error_code ignored;
    if (std::filesystem::exists(root + kSwitch, ignored)) {
        error = "the tree records already (" + std::string(kSwitch) + " exists); its recording is left alone";
        return false;
    }
    for (const char* file : kFiles) std::filesystem::remove(root + file, ignored);
    std::filesystem::create_directories(root + "/mnt/mtd/log", ignored);
    std::ofstream out(root + kSwitch);
    out << kWholeRunKb;
    if (out.flush()) return true;
    error = "cannot write " + root + kSwitch;
    return false;
}

void switchRecorderOff(const std::string& root)
{
    std::error_code ignored;
    std::filesystem::remove(root + kSwitch, ignored);
    for (const char* file : kFiles) std::filesystem::remove(root + file, ignored);
}

TemporaryTree::TemporaryTree()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "sensorctl-replay-XXXXXX").string();
    if (mkdtemp(&pattern[0]) != nullptr) m_path = pattern;
}

TemporaryTree::~TemporaryTree()
{
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
}
