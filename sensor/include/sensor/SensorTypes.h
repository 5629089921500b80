#ifndef SENSOR_SENSOR_TYPES_H
#define SENSOR_SENSOR_TYPES_H

#include <cstdint>

typedef uint32_t u32;
typedef int64_t INT64;

#define SNS_SUCCESS 0

// One parameter. The value is signed wherever it is printed or sent to the
// ISP. Arrays of these are the unit of every set, get, file and text.
struct KeyVal {
    u32 key;
    u32 value;
};
static_assert(sizeof(KeyVal) == 8, "parameter files store 8-byte records");

// The module's configuration as copied from the host.
struct ModuleConfig {
    int nModuleId;
    char szPlaceholder1[32];
    char szPlaceholder2[10];
    char szParameters[256];
    char szDetail[512];
};

struct UIFileInfo {
    int nId;
    char* szLanguage;
    char* szCommon;
};

// moduleConfig comes first: the style merge takes a SysConfig* as the
// address of its ModuleConfig.
struct SysConfig {
    ModuleConfig moduleConfig;
    u32 nSchemeSum;
    u32 nUIFileSum;
    UIFileInfo* pstUIFile;
    char* szUIStyle;
    int nDeviceType;
};

#endif
