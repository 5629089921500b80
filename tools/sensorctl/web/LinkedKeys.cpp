#include "LinkedKeys.h"

#include "SensorKeys.h"

namespace {

const int kIntelligentLightType = 2; // the twins lead, their base keys follow
const int NO_TWIN = 0;

struct Twins {
    int base;
    int twin;
};

const Twins kTwins[] = {
#define SENSOR_KEY(constant, key, cmd, handler, facts)
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler, facts)
#define SENSOR_KEY_NO_CMD(constant, key, facts, twinOf) {static_cast<int>(twinOf), key},
#define SENSOR_TWIN_KEY(constant, key, twinOf) {static_cast<int>(twinOf), key},
#include "key_table.def"
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
#undef SENSOR_TWIN_KEY
};

} // namespace

int leadingKey(int key, int lightType)
{
    const bool twinsLead = lightType == kIntelligentLightType;
    for (const Twins& pair : kTwins) {
        if (pair.base == NO_TWIN) continue;
        if (key == pair.base && twinsLead) return pair.twin;
        if (key == pair.twin && !twinsLead) return pair.base;
    }
    return key;
}
