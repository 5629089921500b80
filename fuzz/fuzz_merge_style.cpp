// The style merge on its three inputs: the style text, a NUL, the diversity
// text, a NUL, then the module detail text.
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "SensorFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::deviceRoot();
    std::vector<std::string> parts = fuzz::splitInput(data, size, 3);

    ModuleConfig config{};
    std::strncpy(config.szDetail, parts[2].c_str(), sizeof config.szDetail - 1);

    // The merge replaces the caller's heap buffer with one of its own.
    char* style = new char[parts[0].size() + 1];
    std::memcpy(style, parts[0].c_str(), parts[0].size() + 1);
    mergeStyle(1, &config, &style, &parts[1][0]);
    if (style == nullptr) std::abort();
    delete[] style;
    return 0;
}
