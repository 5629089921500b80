// What the controller asks about a key, read from the key's row in
// key_table.def. The side lists of the set, get and style paths are derived
// from the rows at compile time, so no list repeats a key.
#ifndef SENSOR_SRC_KEY_FACTS_H
#define SENSOR_SRC_KEY_FACTS_H

#include <array>
#include <cstddef>

#include "ISensorController.h"
#include "KeyFactWords.h"
#include "SensorKeys.h"

namespace sensor {

struct KeyFact {
    u32 key;
    u32 command; // 0: never sent
    KeyHandler handler;
    u32 facts;
    u32 twinOf; // base key of an intelligent-mode twin, 0 for none
};

// Table rows plus the twins outside the built table.
constexpr size_t kKeyFactRows = kKeyTableRows
#define SENSOR_KEY(constant, key, cmd, handler, facts)
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler, facts)
#define SENSOR_KEY_NO_CMD(constant, key, facts, twinOf)
#define SENSOR_TWIN_KEY(constant, key, twinOf) +1
#include "key_table.def"
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
#undef SENSOR_TWIN_KEY
    ;

constexpr std::array<KeyFact, kKeyFactRows> readKeyFacts()
{
    using namespace fact;
    return {{
#define SENSOR_KEY(constant, key, cmd, handler, facts) \
    {key, (cmd) == SAME ? (key) : (cmd), &ISensorController::handler, (facts), NO_TWIN},
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler, facts) SENSOR_KEY(constant, key, cmd, handler, facts)
#define SENSOR_KEY_NO_CMD(constant, key, facts, twinOf) {key, 0, nullptr, (facts), (twinOf)},
#define SENSOR_TWIN_KEY(constant, key, twinOf) {key, 0, nullptr, PLAIN, (twinOf)},
#include "key_table.def"
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
#undef SENSOR_TWIN_KEY
    }};
}

inline constexpr std::array<KeyFact, kKeyFactRows> kKeyFacts = readKeyFacts();

inline const KeyFact* findKeyFact(u32 key)
{
    for (const KeyFact& row : kKeyFacts) {
        if (row.key == key) return &row;
    }
    return nullptr;
}

// The ISP command of a key's row (0 for a key without one).
constexpr u32 commandOf(u32 key)
{
    for (const KeyFact& row : kKeyFacts) {
        if (row.key == key) return row.command;
    }
    return 0;
}

constexpr size_t countKeysWith(u32 facts)
{
    size_t count = 0;
    for (const KeyFact& row : kKeyFacts) count += (row.facts & facts) != 0 ? 1 : 0;
    return count;
}

// The keys whose row has any of the facts, in table order.
template <u32 Facts>
constexpr std::array<u32, countKeysWith(Facts)> keysWith()
{
    std::array<u32, countKeysWith(Facts)> keys{};
    size_t next = 0;
    for (const KeyFact& row : kKeyFacts) {
        if ((row.facts & Facts) != 0) keys[next++] = row.key;
    }
    return keys;
}

template <size_t N>
constexpr bool listed(const std::array<u32, N>& keys, u32 key)
{
    for (u32 entry : keys) {
        if (entry == key) return true;
    }
    return false;
}

inline constexpr auto kStoredOnlyKeys = keysWith<fact::STORED_ONLY>();
inline constexpr auto kDayNightKeys = keysWith<fact::DAY_NIGHT>();
inline constexpr auto kThermalRoutedKeys = keysWith<fact::THERMAL_OWN | fact::THERMAL_VIDEO>();
inline constexpr auto kNotCachedKeys = keysWith<fact::NOT_CACHED>();
inline constexpr auto kRangedKeys = keysWith<fact::RANGED>();
inline constexpr auto kStyleValueKeys = keysWith<fact::STYLE_VALUE>();
inline constexpr auto kWdrItemKeys = keysWith<fact::WDR_ITEM>();
inline constexpr auto kLdcItemKeys = keysWith<fact::LDC_ITEM>();

struct TwinKeys {
    u32 base;
    u32 twin;
};

constexpr size_t countTwins()
{
    size_t count = 0;
    for (const KeyFact& row : kKeyFacts) count += row.twinOf != 0 ? 1 : 0;
    return count;
}

constexpr std::array<TwinKeys, countTwins()> readTwinKeys()
{
    std::array<TwinKeys, countTwins()> pairs{};
    size_t next = 0;
    for (const KeyFact& row : kKeyFacts) {
        if (row.twinOf != 0) pairs[next++] = TwinKeys{row.twinOf, row.key};
    }
    return pairs;
}

inline constexpr auto kTwinKeys = readTwinKeys();

// The pair a key belongs to, as base or as twin; nullptr for none.
inline const TwinKeys* twinPair(u32 key)
{
    for (const TwinKeys& pair : kTwinKeys) {
        if (pair.base == key || pair.twin == key) return &pair;
    }
    return nullptr;
}

// A maximum-shutter style value from this on means the style carries its own
// shutter list; the value proper is the style value less this.
constexpr int kCustomShutterList = 200;

} // namespace sensor

#endif
