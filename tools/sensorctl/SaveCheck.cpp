#include "SaveCheck.h"

#include <cstring>
#include <vector>

#include "SensorFile.h"

bool savedSchemeReadsBack(ISensorController& controller, std::string& problem)
{
    int scheme = -1;
    controller.getParamScheme(scheme);
    u32 count = 0;
    const KeyVal* set = controller.getSchemeKeyVal(static_cast<u32>(scheme), count);
    if (set == nullptr) return true;
    const std::string name = controller.schemeFileName(static_cast<u32>(scheme));
    if (count == 0) {
        problem = "nothing was saved to " + name + ": scheme " + std::to_string(scheme) + " has no keys";
        return false;
    }
    // The set comes first; records of keys the set lacks may follow it.
    std::vector<KeyVal> held(count);
    const INT64 length = static_cast<INT64>(count * sizeof(KeyVal));
    const bool whole = loadFromFile(name.c_str(), reinterpret_cast<char*>(held.data()), length) == length;
    if (whole && std::memcmp(held.data(), set, static_cast<size_t>(length)) == 0) return true;
    problem = "the save did not reach " + name + ": read back, it does not hold the " + std::to_string(count) +
              " records of scheme " + std::to_string(scheme);
    return false;
}
