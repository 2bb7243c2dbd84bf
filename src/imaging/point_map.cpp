#include "imaging/point_map.h"

#include "platform/key_hash.h"

namespace vm {

std::size_t PointMap::indexOf(std::uint64_t key) const {
    const std::size_t mask = m_table.size() - 1;
    std::size_t i = hashKey(key) & mask;
    while (m_table[i].key != kEmpty && m_table[i].key != key) i = (i + 1) & mask;
    return i;
}

const std::int32_t* PointMap::find(std::uint64_t key) const {
    if (m_size == 0) return nullptr;
    const Entry& e = m_table[indexOf(key)];
    return e.key == key ? &e.value : nullptr;
}

void PointMap::set(std::uint64_t key, std::int32_t value) {
    if ((m_size + 1) * 2 > m_table.size()) grow();
    Entry& e = m_table[indexOf(key)];
    if (e.key != key) {
        e.key = key;
        ++m_size;
    }
    e.value = value;
}

void PointMap::grow() {
    std::vector<Entry> old(m_table.empty() ? 4096 : m_table.size() * 2, Entry{kEmpty, 0});
    old.swap(m_table);
    for (const Entry& e : old)
        if (e.key != kEmpty) m_table[indexOf(e.key)] = e;
}

void PointMap::clear() {
    m_table.clear();
    m_size = 0;
}

std::vector<PointMap::Entry> PointMap::entries() const {
    std::vector<Entry> out;
    out.reserve(m_size);
    for (const Entry& e : m_table)
        if (e.key != kEmpty) out.push_back(e);
    return out;
}

}  // namespace vm
