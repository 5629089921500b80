// Pair text "(key,value)..." as the host sends it with a parameter list: the
// reader must stay inside the text and the array, and what it reads must
// come back unchanged through the writer.
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "SensorKeyVal.h"

namespace {
// The library reads into arrays of one set's size.
constexpr u32 kCapacity = 170;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::deviceRoot();
    const std::string text(reinterpret_cast<const char*>(data), size);
    KeyVal records[kCapacity];
    u32 count = 0;
    keyval_str2stBounded(text, records, &count, kCapacity);
    if (count > kCapacity) std::abort();

    std::string written;
    keyval_st2str(written, records, count);
    KeyVal again[kCapacity];
    u32 againCount = 0;
    keyval_str2stBounded(written, again, &againCount, kCapacity);
    if (againCount != count || std::memcmp(records, again, sizeof(KeyVal) * count) != 0) std::abort();
    return 0;
}
