#include "SchemeSets.h"

#include <algorithm>

#include "BesideObject.h"

namespace sensor {

bool SchemeView::reaches(long long scheme, Reach reach) const
{
    const long long limit = reach == kWithFactory ? static_cast<long long>(m_schemes) + 1 : m_schemes;
    return scheme >= 0 && scheme < limit;
}

KeyVal* SchemeView::set(long long scheme, Reach reach) const
{
    return held() && reaches(scheme, reach) ? m_sets[static_cast<size_t>(scheme)] : nullptr;
}

int SchemeView::find(long long scheme, u32 key) const
{
    const KeyVal* records = set(scheme);
    for (u32 i = 0; records != nullptr && i < m_count; ++i) {
        if (records[i].key == key) return static_cast<int>(i);
    }
    return -1;
}

void SchemeSets::allocate(u32 schemes, const KeyVal* factory, u32 count, u32 workCapacity)
{
    // Never empty, so every view is a real address even for sets of no
    // records: the copies and file writes behind them take no null.
    m_block.assign(std::max<size_t>(1, static_cast<size_t>(schemes + 1) * count), KeyVal{});
    m_pointers.resize(schemes + 1);
    for (u32 i = 0; i <= schemes; ++i) m_pointers[i] = m_block.data() + static_cast<size_t>(i) * count;
    std::copy(factory, factory + count, m_pointers[schemes]);
    m_scratch.assign(std::max<u32>(1, count), KeyVal{});
    m_work.assign(workCapacity, KeyVal{});
}

void SchemeSets::release()
{
    std::vector<KeyVal>().swap(m_block);
    std::vector<KeyVal*>().swap(m_pointers);
    std::vector<KeyVal>().swap(m_scratch);
    std::vector<KeyVal>().swap(m_work);
}

void createSchemeSets(const void* owner)
{
    BesideObject<SchemeSets>::create(owner);
}

void destroySchemeSets(const void* owner)
{
    BesideObject<SchemeSets>::destroy(owner);
}

SchemeSets& schemeSetsOf(const void* owner)
{
    return BesideObject<SchemeSets>::of(owner);
}

} // namespace sensor
