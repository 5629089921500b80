// Look-up of one "(name=value)" field in the module detail text: the input
// is the detail text, a NUL, then the field name.
#include <cstdlib>
#include <cstring>

#include "FuzzSupport.h"
#include "SensorFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::deviceRoot();
    const std::vector<std::string> parts = fuzz::splitInput(data, size, 2);
    const char* detail = parts[0].c_str();
    const char* name = parts[1].c_str();

    u32 number = 0xA5A5A5A5u;
    const int numberFound = getDetailFieldTou32(detail, name, &number);
    // Callers pass a zeroed buffer one longer than the longest value kept.
    char text[kDetailValueMax + 2] = {0};
    const int textFound = getDetailFieldToStr(detail, name, text);
    if (numberFound != textFound) std::abort();
    if (numberFound != 0 && number != 0xA5A5A5A5u) std::abort();
    if (text[kDetailValueMax] != '\0' || text[kDetailValueMax + 1] != '\0') std::abort();
    return 0;
}
