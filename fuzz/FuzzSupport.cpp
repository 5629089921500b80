#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fuzz {

namespace {

void writeHostFile(const std::string& path, const void* data, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror(path.c_str());
        std::abort();
    }
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

void removeRoot()
{
    std::error_code ignored;
    std::filesystem::remove_all(deviceRoot(), ignored);
}

std::string makeRoot()
{
    char pattern[] = "/tmp/sensor-fuzz-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    const std::string root = made;
    // The sample tree: style documents, factory files and the ISP profile.
    std::filesystem::copy(SENSOR_EXAMPLE_ROOTFS, root, std::filesystem::copy_options::recursive);
    setenv("SENSOR_ROOTFS", root.c_str(), 1);
    // Level 7: every report is formatted and printed (the fuzzer closes the
    // standard output), so fuzzed texts reach the report paths too; 0: an
    // assertion report never aborts, only a real fault ends a run.
    static const char kSign[] = "7\n0\n";
    writeHostFile(root + "/tmp/Debug.sign", kSign, sizeof kSign - 1);
    return root;
}

} // namespace

const std::string& deviceRoot()
{
    static const std::string root = makeRoot();
    static const int removal = std::atexit(removeRoot);
    (void)removal;
    return root;
}

void writeDeviceFile(const std::string& devicePath, const void* data, size_t size)
{
    writeHostFile(deviceRoot() + devicePath, data, size);
}

std::vector<std::string> splitInput(const uint8_t* data, size_t size, size_t parts)
{
    std::vector<std::string> out(parts);
    const char* text = reinterpret_cast<const char*>(data);
    size_t part = 0;
    for (size_t i = 0; i < size; ++i) {
        if (text[i] == '\0' && part + 1 < parts) {
            ++part;
            continue;
        }
        out[part] += text[i];
    }
    return out;
}

} // namespace fuzz
