// What the controller asks about a key, read from the key's row in
// key_table.def. The side lists of the set, get and style paths are derived
// from the rows at compile time, so no list repeats a key.
#ifndef SENSOR_SRC_KEY_FACTS_H
#define SENSOR_SRC_KEY_FACTS_H

#include <array>
#include <cstddef>
#include <cstdint>

#include "ISensorController.h"
#include "KeyFactWords.h"
#include "SensorKeys.h"

namespace sensor {

// A row's handler: its slot in key_handlers.def, or none.
enum KeyHandlerSlot : unsigned char {
    kNoHandler,
#define SENSOR_KEY_HANDLER(handler) kHandlerSlot_##handler,
#include "key_handlers.def"
#undef SENSOR_KEY_HANDLER
};

// Packed: the rows are read at run time, and keys and facts fit 16 bits (a
// row that does not fit does not compile).
struct KeyFact {
    u32 command; // 0: never sent
    uint16_t key;
    uint16_t twinOf; // base key of an intelligent-mode twin, 0 for none
    uint16_t facts;
    KeyHandlerSlot handler;
};

// The member function of a handler slot; nullptr for none.
KeyHandler keyHandler(KeyHandlerSlot slot);

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

// The rows, once for the whole library: a static member of a class template
// has one definition however many files include this. The row words (PLAIN,
// SAME, ...) are read in a namespace of their own that sees fact's names.
namespace table {
using namespace fact;
template <class Unused = void>
struct KeyFactTable {
    static constexpr KeyFact rows[kKeyFactRows] = {
#define SENSOR_KEY(constant, key, cmd, handler, facts) \
    {(cmd) == SAME ? (key) : (cmd), key, NO_TWIN, (facts), kHandlerSlot_##handler},
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler, facts) SENSOR_KEY(constant, key, cmd, handler, facts)
#define SENSOR_KEY_NO_CMD(constant, key, facts, twinOf) {0, key, (twinOf), (facts), kNoHandler},
#define SENSOR_TWIN_KEY(constant, key, twinOf) {0, key, (twinOf), PLAIN, kNoHandler},
#include "key_table.def"
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
#undef SENSOR_TWIN_KEY
    };
};
template <class Unused>
constexpr KeyFact KeyFactTable<Unused>::rows[kKeyFactRows];
} // namespace table

// Names for the one table (static: a reference at namespace scope links externally).
static constexpr const KeyFact (&kKeyFacts)[kKeyFactRows] = table::KeyFactTable<>::rows;

inline const KeyFact* findKeyFact(u32 key)
{
    for (const KeyFact& row : kKeyFacts) {
        if (row.key == key) return &row;
    }
    return nullptr;
}

// The ISP command of a key's row (0 for a key without one). C++11 constexpr
// functions are one return statement, so the walks over the rows recurse.
constexpr u32 commandOf(u32 key, size_t row = 0)
{
    return row == kKeyFactRows ? 0 : kKeyFacts[row].key == key ? kKeyFacts[row].command : commandOf(key, row + 1);
}

// Which rows a side list takes.
template <u32 Facts>
struct HasAnyFact {
    static constexpr bool test(const KeyFact& row) { return (row.facts & Facts) != 0; }
};
struct IsTwin {
    static constexpr bool test(const KeyFact& row) { return row.twinOf != 0; }
};

template <class Rows>
constexpr size_t countRows(size_t row = 0)
{
    return row == kKeyFactRows ? 0 : (Rows::test(kKeyFacts[row]) ? 1 : 0) + countRows<Rows>(row + 1);
}

// The index of the n-th (0-based) row taken.
template <class Rows>
constexpr size_t nthRow(size_t n, size_t row = 0)
{
    return !Rows::test(kKeyFacts[row]) ? nthRow<Rows>(n, row + 1) : n == 0 ? row : nthRow<Rows>(n - 1, row + 1);
}

template <size_t... N>
struct IndexList {};
template <size_t Count, size_t... N>
struct MakeIndexList : MakeIndexList<Count - 1, Count - 1, N...> {};
template <size_t... N>
struct MakeIndexList<0, N...> {
    typedef IndexList<N...> type;
};

// The keys whose row has any of the facts, in table order.
template <u32 Facts, class Indexes = typename MakeIndexList<countRows<HasAnyFact<Facts> >()>::type>
struct KeysWith;
template <u32 Facts, size_t... N>
struct KeysWith<Facts, IndexList<N...> > {
    static constexpr std::array<u32, sizeof...(N)> keys = {{kKeyFacts[nthRow<HasAnyFact<Facts> >(N)].key...}};
};
template <u32 Facts, size_t... N>
constexpr std::array<u32, sizeof...(N)> KeysWith<Facts, IndexList<N...> >::keys;

template <size_t N>
bool listed(const std::array<u32, N>& keys, u32 key)
{
    for (u32 entry : keys) {
        if (entry == key) return true;
    }
    return false;
}

static constexpr const auto& kStoredOnlyKeys = KeysWith<fact::STORED_ONLY>::keys;
static constexpr const auto& kDayNightKeys = KeysWith<fact::DAY_NIGHT>::keys;
static constexpr const auto& kThermalRoutedKeys = KeysWith<fact::THERMAL_OWN | fact::THERMAL_VIDEO>::keys;
static constexpr const auto& kNotCachedKeys = KeysWith<fact::NOT_CACHED>::keys;
static constexpr const auto& kRangedKeys = KeysWith<fact::RANGED>::keys;
static constexpr const auto& kStyleValueKeys = KeysWith<fact::STYLE_VALUE>::keys;
static constexpr const auto& kWdrItemKeys = KeysWith<fact::WDR_ITEM>::keys;
static constexpr const auto& kLdcItemKeys = KeysWith<fact::LDC_ITEM>::keys;

struct TwinKeys {
    u32 base;
    u32 twin;
};

constexpr TwinKeys twinKeysOf(const KeyFact& row)
{
    return TwinKeys{row.twinOf, row.key};
}

template <class Indexes = MakeIndexList<countRows<IsTwin>()>::type>
struct TwinTable;
template <size_t... N>
struct TwinTable<IndexList<N...> > {
    static constexpr std::array<TwinKeys, sizeof...(N)> pairs = {{twinKeysOf(kKeyFacts[nthRow<IsTwin>(N)])...}};
};
template <size_t... N>
constexpr std::array<TwinKeys, sizeof...(N)> TwinTable<IndexList<N...> >::pairs;

static constexpr const auto& kTwinKeys = TwinTable<>::pairs;

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
