// The one owner of a controller's parameter sets: the user schemes and, right
// behind them, the factory set, in one block of (schemes + 1) x count
// records, with the scratch and work sets beside them. The controller's
// described members are views this owner hands out (m_ppUserKeyVal,
// m_pFctKeyVal, m_pstKeyValTmp, m_pstKeyValWork); the owner itself lives
// beside the controller (BesideObject.h), since the object may hold nothing
// more than its described members. It is looked up there only to allocate
// and release (start-up, shut-down): everything else reads the sets through
// a SchemeView of the described members, which takes no lock.
#ifndef SENSOR_SRC_SCHEME_SETS_H
#define SENSOR_SRC_SCHEME_SETS_H

#include <vector>

#include "SensorTypes.h"

namespace sensor {

// The sets as the controller's described members show them. The bounds guard
// of a scheme index is written here once.
class SchemeView {
public:
    // Which sets a scheme index may name: the user schemes only, or the
    // factory set behind them too.
    enum Reach { kUserSchemes, kWithFactory };

    // `sets`: schemes + 1 sets of `count` records, or null when not held.
    SchemeView(KeyVal* const* sets, u32 schemes, u32 count) : m_sets(sets), m_schemes(schemes), m_count(count) {}

    bool held() const { return m_sets != nullptr; }
    // Whether `scheme` lies in `reach`, whether or not the sets are held.
    // Negative indices and those past the reach are refused.
    bool reaches(long long scheme, Reach reach) const;
    // The set of `scheme`; null when not held or out of `reach`.
    KeyVal* set(long long scheme, Reach reach = kWithFactory) const;
    // The position of `key` in the set of `scheme` (factory set included);
    // -1 when the key or the set is not there.
    int find(long long scheme, u32 key) const;
    // User schemes held now: 0 before allocation and after release.
    u32 heldSchemes() const { return held() ? m_schemes : 0; }

private:
    KeyVal* const* m_sets;
    u32 m_schemes;
    u32 m_count;
};

class SchemeSets {
public:
    // Allocates the sets for `schemes` user schemes of `count` records, the
    // factory set a copy of `factory`, the scratch set of `count` records and
    // the work set of `workCapacity`.
    void allocate(u32 schemes, const KeyVal* factory, u32 count, u32 workCapacity);
    // Frees every set.
    void release();

    // The views the controller's described members take; null when not held.
    KeyVal** pointers() { return m_pointers.empty() ? nullptr : m_pointers.data(); }
    KeyVal* factory() { return m_pointers.empty() ? nullptr : m_pointers.back(); }
    KeyVal* scratch() { return m_pointers.empty() ? nullptr : m_scratch.data(); }
    KeyVal* work() { return m_pointers.empty() ? nullptr : m_work.data(); }

private:
    std::vector<KeyVal> m_block;
    std::vector<KeyVal*> m_pointers;
    std::vector<KeyVal> m_scratch;
    std::vector<KeyVal> m_work;
};

// The sets of `owner`, created in its constructor, destroyed in its
// destructor; looked up in a process-wide registry, so only start-up and
// shut-down do.
void createSchemeSets(const void* owner);
void destroySchemeSets(const void* owner);
SchemeSets& schemeSetsOf(const void* owner);

} // namespace sensor

#endif
