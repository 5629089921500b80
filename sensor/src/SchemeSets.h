// The one owner of a controller's parameter sets: the user schemes and, right
// behind them, the factory set, in one block of (schemes + 1) x count
// records, with the scratch and work sets beside them. The controller's
// described members are views this owner hands out (m_ppUserKeyVal,
// m_pFctKeyVal, m_pstKeyValTmp, m_pstKeyValWork); the owner itself lives
// beside the controller (BesideObject.h), since the object may hold nothing
// more than its described members. The bounds guard of a scheme index is
// written here once, and the lock that guards the sets is held here too.
#ifndef SENSOR_SRC_SCHEME_SETS_H
#define SENSOR_SRC_SCHEME_SETS_H

#include <mutex>
#include <vector>

#include "SensorTypes.h"

namespace sensor {

class SchemeSets {
public:
    // Which sets a scheme index may name: the user schemes only, or the
    // factory set behind them too.
    enum Reach { kUserSchemes, kWithFactory };

    // Allocates the sets for `schemes` user schemes of `count` records, the
    // factory set a copy of `factory`, the scratch set of `count` records and
    // the work set of `workCapacity`.
    void allocate(u32 schemes, const KeyVal* factory, u32 count, u32 workCapacity);
    // Frees every set; the scheme count stays, as the configuration keeps it.
    void release();

    bool held() const { return !m_pointers.empty(); }
    // The bounds guard: whether `scheme` lies in `reach`, whether or not the
    // sets are held. Negative indices and those past the reach are refused.
    bool reaches(long long scheme, Reach reach) const;
    // The set of `scheme`; null when not held or out of `reach`.
    KeyVal* set(long long scheme, Reach reach = kWithFactory);
    // The position of `key` in the set of `scheme` (factory set included);
    // -1 when the key or the set is not there.
    int find(long long scheme, u32 key);
    // User schemes held now: 0 before allocation and after release.
    u32 heldSchemes() const { return held() ? m_schemes : 0; }

    // The views the controller's described members take.
    KeyVal** pointers() { return held() ? m_pointers.data() : nullptr; }
    KeyVal* factory() { return set(m_schemes); }
    KeyVal* scratch() { return held() ? m_scratch.data() : nullptr; }
    KeyVal* work() { return held() ? m_work.data() : nullptr; }

    // Taken by host operations and by the sensor thread's switch (recursive:
    // a switch calls operations that take it again).
    std::recursive_mutex& lock() { return m_lock; }

private:
    u32 m_schemes = 0;
    u32 m_count = 0;
    std::vector<KeyVal> m_block;
    std::vector<KeyVal*> m_pointers;
    std::vector<KeyVal> m_scratch;
    std::vector<KeyVal> m_work;
    std::recursive_mutex m_lock;
};

// The sets of `owner`, created in its constructor, destroyed in its destructor.
void createSchemeSets(const void* owner);
void destroySchemeSets(const void* owner);
SchemeSets& schemeSetsOf(const void* owner);

} // namespace sensor

#endif
