#include "SchemeFile.h"

#include <cstdio>

#include "SensorFile.h"

bool readKeyValFile(std::string name, std::vector<KeyVal>& set)
{
    const INT64 length = getFileLen(name.c_str());
    if (length <= 0) return false;
    if (length % static_cast<INT64>(sizeof(KeyVal)) != 0) {
        std::fprintf(stderr, "sensorctl: %s is %lld bytes, not a whole number of records\n", name.c_str(),
                     static_cast<long long>(length));
    }
    set.resize(static_cast<size_t>(length / sizeof(KeyVal)));
    keyValFromFile(&name[0], set.data(), static_cast<u32>(set.size()));
    return true;
}
