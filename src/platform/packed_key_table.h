#pragma once
// A hash table keyed on a packed 64-bit key, for the few thousand slots and
// points one hide or reveal touches: open addressing in one array, so that no
// entry costs an allocation (std::unordered_map's node per entry shows in the
// engine benchmark). With no Value it is a set.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace vm {

struct NoValue {};

template <typename Value = NoValue>
class PackedKeyTable {
  public:
    struct Entry {
        std::uint64_t key;
        [[no_unique_address]] Value value;
    };
    // The one key no entry may have.
    static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};

    // The value stored under key, or nullptr.
    const Value* find(std::uint64_t key) const {
        if (m_size == 0) return nullptr;
        const Entry& entry = m_table[indexOf(key)];
        return entry.key == key ? &entry.value : nullptr;
    }
    // The value under key, inserted as Value{} when missing; second: whether it was.
    std::pair<Value*, bool> insert(std::uint64_t key) {
        if ((m_size + 1) * 2 > m_table.size()) grow();
        Entry& entry = m_table[indexOf(key)];
        const bool inserted = entry.key != key;
        if (inserted) {
            entry.key = key;
            ++m_size;
        }
        return {&entry.value, inserted};
    }
    void clear() {
        m_table.clear();
        m_size = 0;
    }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    // Every entry, in no particular order.
    template <typename Visit>
    void forEach(Visit visit) const {
        for (const Entry& entry : m_table)
            if (entry.key != kEmpty) visit(entry);
    }

  private:
    // Spreads nearby keys (neighbouring points) far apart over the table.
    static std::size_t spread(std::uint64_t key) {
        key ^= key >> 33;
        key *= 0xff51afd7ed558ccdULL;
        key ^= key >> 33;
        return static_cast<std::size_t>(key);
    }
    std::size_t indexOf(std::uint64_t key) const {
        const std::size_t mask = m_table.size() - 1;
        std::size_t i = spread(key) & mask;
        while (m_table[i].key != kEmpty && m_table[i].key != key) i = (i + 1) & mask;
        return i;
    }
    void grow() {
        std::vector<Entry> old(m_table.empty() ? kFirstSize : m_table.size() * 2,
                               Entry{kEmpty, {}});
        old.swap(m_table);
        for (const Entry& entry : old)
            if (entry.key != kEmpty) m_table[indexOf(entry.key)] = entry;
    }

    // Room for a 160-character message's 1,312 slots without growing.
    static constexpr std::size_t kFirstSize = 4096;
    std::vector<Entry> m_table;  // size 0 or a power of two, at most half full
    std::size_t m_size = 0;
};

}  // namespace vm
