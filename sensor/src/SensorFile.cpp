// File layer: whole files, binary parameter files, the version stamp and
// fields of the module detail text.
#include "SensorFile.h"

#include <cstdlib>
#include <cstring>

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
    VXFile file;
    SNS_CHECK_TEXT(file.open(file_name, kModeRewrite), "file.open(file_name, VXFile::modeWrite | VXFile::modeTruncate)",
                   "file_name(%s)\n", printable(file_name));
    const int nSize = (file_len < 0 || data == nullptr) ? 0 : static_cast<int>(file.write(data, low32(file_len)));
    SNS_CHECK_TEXT(static_cast<INT64>(nSize) == file_len, "file_len == (nSize=file.write(data, file_len))",
                   "file_len(%d)\n", static_cast<int>(file_len));
    file.close();
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
    VXFile file;
    SNS_CHECK_TEXT(file.open(file_name, kModeRewrite), "file.open(file_name, VXFile::modeWrite | VXFile::modeTruncate)",
                   "file_name(%s)\n", printable(file_name));
    const INT64 expected = static_cast<INT64>(sizeof(KeyVal)) * p_nKeyValSum;
    const unsigned int nSize = file.write(reinterpret_cast<const char*>(p_pKeyVal), low32(expected));
    SNS_CHECK_TEXT(static_cast<INT64>(nSize) == expected, "nSize == sizeof(KeyVal)*p_nKeyValSum",
                   "nSize(%d) sizeof(KeyVal) = %d, p_nKeyValNum(%d)\n", static_cast<int>(nSize),
                   static_cast<int>(sizeof(KeyVal)), static_cast<int>(p_nKeyValSum));
    file.close();
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
