#include "Bundle.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Commands.h"
#include "RecordLog.h"
#include "Runner.h"

namespace fs = std::filesystem;

namespace {

const size_t kBlock = 512;

// The fields of a ustar header that a plain file needs (POSIX.1-1988).
struct Header {
    char name[100];
    char mode[8];
    char uid[8];
    char gid[8];
    char size[12];
    char mtime[12];
    char checksum[8];
    char type;
    char link[100];
    char magic[6];
    char version[2];
    char rest[247];
};
static_assert(sizeof(Header) == kBlock, "a tar header is one block");

// Writes value in octal, zero-padded to fill the field but its closing NUL;
// false when it needs more digits (a file of 8 GB or more).
bool octal(char* field, size_t width, unsigned long long value)
{
    char text[24];
    const int length = std::snprintf(text, sizeof text, "%0*llo", static_cast<int>(width - 1), value);
    if (length < 0 || static_cast<size_t>(length) >= width) return false;
    std::memcpy(field, text, static_cast<size_t>(length) + 1);
    return true;
}

unsigned checksumOf(const Header& header)
{
    Header blank = header;
    std::memset(blank.checksum, ' ', sizeof blank.checksum);
    unsigned sum = 0;
    for (size_t i = 0; i < kBlock; ++i) sum += reinterpret_cast<const unsigned char*>(&blank)[i];
    return sum;
}

bool appendFile(std::ofstream& out, const std::string& name, const std::string& content)
{
    Header header{};
    if (name.size() >= sizeof header.name) return false;
    std::memcpy(header.name, name.data(), name.size());
    octal(header.mode, sizeof header.mode, 0644);
    octal(header.uid, sizeof header.uid, 0);
    octal(header.gid, sizeof header.gid, 0);
    if (!octal(header.size, sizeof header.size, content.size())) return false;
    octal(header.mtime, sizeof header.mtime, 0); // a bundle's bytes depend on the files alone
    header.type = '0';
    std::memcpy(header.magic, "ustar", 6);
    std::memcpy(header.version, "00", 2);
    octal(header.checksum, 7, checksumOf(header));
    out.write(reinterpret_cast<const char*>(&header), kBlock);
    out << content << std::string((kBlock - content.size() % kBlock) % kBlock, '\0');
    return static_cast<bool>(out);
}

// The tree's files under the bundled paths, as names relative to the root, sorted.
std::vector<std::string> bundledFiles(const std::string& root)
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const std::string& device : bundledPaths()) {
        const fs::path path = root + device;
        if (fs::is_regular_file(path, ignored)) names.push_back(device.substr(1));
        if (!fs::is_directory(path, ignored)) continue;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(path, ignored)) {
            if (entry.is_regular_file(ignored)) names.push_back(fs::relative(entry.path(), root).string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

const std::vector<std::string>& bundledPaths()
{
    static const std::vector<std::string> paths = {
        "/mnt/mtd/log/sensor_record.0", "/mnt/mtd/log/sensor_record.1", // the recorder's log
        "/hd1/moduleConfig",                                            // module configuration and style pairs
        "/mnt/mtd/code/factory_setting/machineinfo.ini",                // machine information
        "/mnt/mtd/code/config_file",                                    // scheme files and stamp
        "/mnt/mtd/hd1/program/config",                                  // field-of-view calibration
        "/tmp/Debug.sign",                                              // sign file
        "/mnt/mtd/isp_profile.ini",                                     // the simulated ISP's profile
    };
    return paths;
}

bool writeBundle(const std::string& root, const std::string& out, size_t& files, std::string& error)
{
    std::ofstream tar(out, std::ios::binary | std::ios::trunc);
    const std::vector<std::string> names = bundledFiles(root);
    for (const std::string& name : names) {
        if (!appendFile(tar, name, readWholeFile(root + "/" + name))) {
            error = "cannot add " + name + " to " + out;
            return false;
        }
    }
    tar << std::string(2 * kBlock, '\0'); // the end of the archive
    files = names.size();
    if (tar.flush()) return true;
    error = "cannot write " + out;
    return false;
}

bool isBundle(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    Header header{};
    return in.read(reinterpret_cast<char*>(&header), kBlock) && std::memcmp(header.magic, "ustar", 5) == 0;
}

bool extractBundle(const std::string& path, const std::string& tree, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    Header header{};
    while (in.read(reinterpret_cast<char*>(&header), kBlock) && header.name[0] != '\0') {
        const std::string name(header.name, strnlen(header.name, sizeof header.name));
        const unsigned long long size = std::strtoull(std::string(header.size, sizeof header.size).c_str(), nullptr, 8);
        std::string content(size, '\0');
        in.read(&content[0], static_cast<std::streamsize>(size));
        in.ignore(static_cast<std::streamsize>((kBlock - size % kBlock) % kBlock));
        const fs::path target = fs::path(tree) / fs::path(name).lexically_normal();
        if (!in || name[0] == '/' || fs::path(name).lexically_normal().string().rfind("..", 0) == 0) {
            error = path + " is no bundle (entry \"" + name + "\")";
            return false;
        }
        if (header.type != '0' && header.type != '\0') continue;
        std::error_code ignored;
        fs::create_directories(target.parent_path(), ignored);
        std::ofstream(target, std::ios::binary) << content;
    }
    return true;
}

int runBundle(const std::vector<std::string>& args)
{
    if (args.size() != 2 || args[0] != "--out") return failWith(kExitUsage, "usage: bundle --out FILE");
    const char* root = std::getenv("SENSOR_ROOTFS");
    std::string error;
    size_t files = 0;
    if (!writeBundle(root != nullptr ? root : "", args[1], files, error)) return failWith(kExitRuntime, error);
    std::fprintf(results(), "bundle: %zu files in %s\n", files, args[1].c_str());
    return kExitOk;
}
