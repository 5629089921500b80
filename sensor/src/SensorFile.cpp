// File layer: whole files, binary parameter files, the version stamp and
// fields of the module detail text.
#include "SensorFile.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "SensorReport.h"
#include "VXFile.h"

static const char* const kReportModule = "SensorFile";

namespace {

const char kVersionFile[] = "/mnt/mtd/code/config_file/snsversion.cfg";
const unsigned char kModeRead = VXFile::modeRead;
const unsigned char kModeRewrite = VXFile::modeWrite | VXFile::modeTruncate;

// Report details print the name; a missing name must not reach printf.
const char* printable(const char* text)
{
    return text != nullptr ? text : "(null)";
}

// VXFile takes 32-bit lengths: only the low 32 bits of a byte count travel.
unsigned int low32(INT64 count)
{
    return static_cast<unsigned int>(static_cast<uint64_t>(count));
}

// A save goes to "<target>.tmp" beside the target, is synced to the medium
// and renamed over the target in one step, so a power cut leaves the old file
// or the new one, never a torn one. A ".tmp" left by a cut is truncated by the
// next save of its target and renamed away; readers never open it.
const char kTempSuffix[] = ".tmp";

// Two saves of one target would share its temporary.
std::mutex g_saveMutex;

struct SaveOutcome {
    bool opened = false;
    // The write's count, or 0 when the temporary could not replace the target.
    unsigned int nSize = 0;
};

std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

// Writes length bytes as the new content of target; on any failure the
// target keeps its old content and the temporary is gone.
SaveOutcome replaceFile(const char* target, const char* data, INT64 length)
{
    SaveOutcome outcome;
    if (target == nullptr) return outcome;
    const std::string folder = folderOf(target);
    const std::string temp = std::string(target) + kTempSuffix;
    std::lock_guard<std::mutex> lock(g_saveMutex);
    VXFile file;
    outcome.opened = file.open(temp.c_str(), kModeRewrite);
    if (outcome.opened && length >= 0 && data != nullptr) outcome.nSize = file.write(data, low32(length));
    const bool whole = outcome.opened && static_cast<INT64>(outcome.nSize) == length;
    const bool synced = whole && file.sync();
    file.close();
    if (!synced || !VXFile::rename(temp.c_str(), target)) {
        VXFile::remove(temp.c_str());
        if (whole) outcome.nSize = 0;
        return outcome;
    }
    // The new content is in place; should the folder sync fail, a cut can
    // at worst bring back the old name, still a whole file.
    VXFile::syncFolder(folder.c_str());
    return outcome;
}

// Finds the value text of a "(name=value)" group: the text between the first
// "=" after the first occurrence of the name and the next ")".
bool findDetailValue(const char* p_szDetail, const char* p_szName, const char*& value, size_t& length)
{
    if (p_szDetail == nullptr || p_szName == nullptr) return false;
    const char* name = std::strstr(p_szDetail, p_szName);
    if (name == nullptr) return false;
    const char* equals = std::strchr(name, '=');
    if (equals == nullptr) return false;
    const char* close = std::strchr(equals, ')');
    if (close == nullptr) return false;
    value = equals + 1;
    length = static_cast<size_t>(close - value);
    return true;
}

} // namespace

INT64 getFileLen(const char* file_name)
{
    VXFile file;
    SNS_CHECK_TEXT(file.open(file_name, kModeRead), "file.open(file_name)", "file_name(%s)", printable(file_name));
    return file.getLength();
}

int loadFromFile(const char* file_name, char* data, INT64 file_len)
{
    SNS_DBG("open file:%s\n", printable(file_name));
    VXFile file;
    if (!file.open(file_name, kModeRead)) return -1;
    // A negative length can never be read in full; refusing it keeps the
    // low-32-bit conversion from turning it into a huge read.
    if (file_len < 0 || data == nullptr) return -1;
    const unsigned int nSize = file.read(data, low32(file_len));
    if (static_cast<INT64>(nSize) != file_len) return -1;
    file.close();
    return static_cast<int>(nSize);
}

int saveToFile(char* file_name, char* data, INT64 file_len)
{
    const SaveOutcome save = replaceFile(file_name, data, file_len);
    SNS_CHECK_TEXT(save.opened, "file.open(file_name, VXFile::modeWrite | VXFile::modeTruncate)", "file_name(%s)\n",
                   printable(file_name));
    const int nSize = static_cast<int>(save.nSize);
    SNS_CHECK_TEXT(static_cast<INT64>(nSize) == file_len, "file_len == (nSize=file.write(data, file_len))",
                   "file_len(%d)\n", static_cast<int>(file_len));
    return nSize;
}

int keyValFromFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValNum)
{
    VXFile file;
    SNS_CHECK_TEXT(file.open(file_name, kModeRead), "file.open(file_name)", "file_name(%s)\n", printable(file_name));
    const INT64 expected = static_cast<INT64>(sizeof(KeyVal)) * p_nKeyValNum;
    const unsigned int nSize = file.read(reinterpret_cast<char*>(p_pKeyVal), low32(expected));
    SNS_CHECK_TEXT(static_cast<INT64>(nSize) == expected, "nSize == sizeof(KeyVal)*p_nKeyValNum",
                   "file_name(%s) nSize(%d) sizeof(KeyVal) = %d, p_nKeyValNum(%d)\n", printable(file_name),
                   static_cast<int>(nSize), static_cast<int>(sizeof(KeyVal)), static_cast<int>(p_nKeyValNum));
    file.close();
    return SNS_SUCCESS;
}

int keyValToFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValSum)
{
    const INT64 expected = static_cast<INT64>(sizeof(KeyVal)) * p_nKeyValSum;
    const SaveOutcome save = replaceFile(file_name, reinterpret_cast<const char*>(p_pKeyVal), expected);
    SNS_CHECK_TEXT(save.opened, "file.open(file_name, VXFile::modeWrite | VXFile::modeTruncate)", "file_name(%s)\n",
                   printable(file_name));
    const unsigned int nSize = save.nSize;
    SNS_CHECK_TEXT(static_cast<INT64>(nSize) == expected, "nSize == sizeof(KeyVal)*p_nKeyValSum",
                   "nSize(%d) sizeof(KeyVal) = %d, p_nKeyValNum(%d)\n", static_cast<int>(nSize),
                   static_cast<int>(sizeof(KeyVal)), static_cast<int>(p_nKeyValSum));
    return SNS_SUCCESS;
}

int getVersion(u32* p_pnVersion)
{
    if (p_pnVersion == nullptr) return -1;
    return loadFromFile(kVersionFile, reinterpret_cast<char*>(p_pnVersion), sizeof(u32)) >= 1 ? 0 : -1;
}

int setVersion(u32 p_nVersion)
{
    char name[sizeof kVersionFile];
    std::memcpy(name, kVersionFile, sizeof kVersionFile);
    return saveToFile(name, reinterpret_cast<char*>(&p_nVersion), sizeof(u32)) >= 1 ? 0 : -1;
}

int getDetailFieldTou32(const char* p_szDetail, const char* p_szName, u32* p_pnValue)
{
    const char* value = nullptr;
    size_t length = 0;
    if (!findDetailValue(p_szDetail, p_szName, value, length)) return -1;
    char number[kDetailValueMax + 1] = {0};
    std::memcpy(number, value, length < kDetailValueMax ? length : kDetailValueMax);
    // Nine characters always fit an int, so atoi cannot overflow here.
    if (p_pnValue != nullptr) *p_pnValue = static_cast<u32>(std::atoi(number));
    return 0;
}

int getDetailFieldToStr(const char* p_szDetail, const char* p_szName, char* p_szValue)
{
    const char* value = nullptr;
    size_t length = 0;
    if (!findDetailValue(p_szDetail, p_szName, value, length)) return -1;
    if (p_szValue != nullptr) std::memcpy(p_szValue, value, length < kDetailValueMax ? length : kDetailValueMax);
    return 0;
}
